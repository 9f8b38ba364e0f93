#!/usr/bin/env python3
"""Writes the bad IE/OE profiles, one file each, in the form the load fuzzer
and the bad-profile test read: the files of an unpacked profile in the order
profile, gateway, gateway.0, gateway.1, gateway.0.0, gateway.1.0, proxy,
proxy.0, proxy.1, proxy.0.0, separated by "#F#"; a part "#NONE#" is a file
the profile does not hold (missing parts at the end are missing too)."""
import struct

NAMES = ["profile", "gateway", "gateway.0", "gateway.1", "gateway.0.0", "gateway.1.0",
         "proxy", "proxy.0", "proxy.1", "proxy.0.0"]


def dword(v):
    return struct.pack("<I", v)


def value(name, typ, data):
    n = name.encode("cp932") + b"\0"
    return dword(len(data)) + data + dword(typ) + dword(len(n)) + n


def subkey(name, file_name):
    f = file_name.encode() + b"\0"
    n = name.encode() + b"\0"
    return dword(len(f)) + f + dword(0xFFFFFFFF) + dword(len(n)) + n


def header(kind=0, name=b"tester", comment=b""):
    return bytes([kind, 1]) + dword(len(name)) + name + dword(len(comment)) + comment


def accounts(top, mail):
    return {top: subkey("00000001", top + ".0") + value("Default Mail Account", 1, b"00000001\0"),
            top + ".0": value("Account Name", 1, mail.encode() + b"\0") + value("POP3 Port", 4, dword(110))}


def proxy():
    return value("ProxyEnable", 4, dword(1)) + value("ProxyServer", 1, b"file.example.jp:8080\0")


def write(file_name, files):
    parts = [files.get(n, b"#NONE#") for n in NAMES]
    while parts and parts[-1] == b"#NONE#":
        parts.pop()
    with open(file_name, "wb") as out:
        out.write(b"#F#".join(parts))


files = {"profile": header(), "gateway": b"Taro\0\0", "proxy": proxy()}
write("gateway-snapshot-missing.unpacked", files)

files = {"profile": header(), "gateway": b"Taro\0\0", "proxy": proxy()[:7]}
files.update(accounts("gateway.0", "taro mail"))
write("proxy-damaged.unpacked", files)

files = {"profile": header(), "gateway": b"Taro\0\0Hanako\0\0"}
files.update(accounts("gateway.0", "taro mail"))
files.update(accounts("gateway.1", "hanako mail"))
write("gateway-out-of-order.unpacked", files)

files = {"profile": header(), "gateway": b"Hanako\0\0Taro"}
files.update(accounts("gateway.0", "hanako mail"))
files.update(accounts("gateway.1", "taro mail"))
write("gateway-last-record-unterminated.unpacked", files)

files = {"profile": header(kind=1, name=b"TESTPC"), "gateway": b"Taro\0\0"}
files.update(accounts("gateway.0", "taro mail"))
write("header-tcpip-kind.unpacked", files)
