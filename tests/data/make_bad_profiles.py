#!/usr/bin/env python3
"""Writes the bad profiles of both settings groups, one file each, into
ieoe/ and tcpip/ beside this script, in the form the load fuzzers and the
bad-profile tests read: the files of an unpacked profile in the group's
order of NAMES, separated by "#F#"; a part "#NONE#" is a file the profile
does not hold (missing parts at the end are missing too)."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
REG_SZ, REG_DWORD, REG_MULTI_SZ = 1, 4, 7
IEOE_NAMES = ["profile", "gateway", "gateway.0", "gateway.1", "gateway.0.0", "gateway.1.0",
              "proxy", "proxy.0", "proxy.1", "proxy.0.0"]
TCPIP_NAMES = ["profile", "tcpip", "tcpip.0", "tcpip.1", "tcpip.2", "tcpip.0.0", "tcpip.1.0"]


def dword(v):
    return struct.pack("<I", v)


def value(name, typ, data):
    n = name.encode("cp932") + b"\0"
    return dword(len(data)) + data + dword(typ) + dword(len(n)) + n


def subkey(name, file_name):
    f = file_name.encode() + b"\0"
    n = name.encode() + b"\0"
    return dword(len(f)) + f + dword(0xFFFFFFFF) + dword(len(n)) + n


def header(kind, name, comment=b""):
    return bytes([kind, 1]) + dword(len(name)) + name + dword(len(comment)) + comment


def write(folder, names, file_name, files):
    parts = [files.get(n, b"#NONE#") for n in names]
    while parts and parts[-1] == b"#NONE#":
        parts.pop()
    with open(os.path.join(HERE, folder, file_name), "wb") as out:
        out.write(b"#F#".join(parts))


# ---- IE/OE: accounts of identities and the Internet options ----------------

def accounts(top, mail):
    return {top: subkey("00000001", top + ".0") + value("Default Mail Account", REG_SZ, b"00000001\0"),
            top + ".0": value("Account Name", REG_SZ, mail.encode() + b"\0") + value("POP3 Port", REG_DWORD, dword(110))}


def proxy():
    return value("ProxyEnable", REG_DWORD, dword(1)) + value("ProxyServer", REG_SZ, b"file.example.jp:8080\0")


def ieoe(file_name, files):
    write("ieoe", IEOE_NAMES, file_name, files)


IEOE_HEADER = header(0, b"tester")

ieoe("gateway-snapshot-missing.unpacked", {"profile": IEOE_HEADER, "gateway": b"Taro\0\0", "proxy": proxy()})

files = {"profile": IEOE_HEADER, "gateway": b"Taro\0\0", "proxy": proxy()[:7]}
files.update(accounts("gateway.0", "taro mail"))
ieoe("proxy-damaged.unpacked", files)

files = {"profile": IEOE_HEADER, "gateway": b"Taro\0\0Hanako\0\0"}
files.update(accounts("gateway.0", "taro mail"))
files.update(accounts("gateway.1", "hanako mail"))
ieoe("gateway-out-of-order.unpacked", files)

files = {"profile": IEOE_HEADER, "gateway": b"Hanako\0\0Taro"}
files.update(accounts("gateway.0", "hanako mail"))
files.update(accounts("gateway.1", "taro mail"))
ieoe("gateway-last-record-unterminated.unpacked", files)

files = {"profile": header(1, b"TESTPC"), "gateway": b"Taro\0\0"}
files.update(accounts("gateway.0", "taro mail"))
ieoe("header-tcpip-kind.unpacked", files)


# ---- TCP/IP: the Interfaces trees of connections ---------------------------

def interface(top, address):
    """A static interface with one per-network subkey below it."""
    return {top: subkey("6e6574", top + ".0")
            + value("EnableDHCP", REG_DWORD, dword(0))
            + value("IPAddress", REG_MULTI_SZ, address.encode() + b"\0\0")
            + value("SubnetMask", REG_MULTI_SZ, b"255.255.255.0\0\0")
            + value("NameServer", REG_SZ, b"192.168.10.1\0"),
            top + ".0": value("DhcpServer", REG_SZ, b"255.255.255.255\0")}


def tcpip(file_name, files):
    write("tcpip", TCPIP_NAMES, file_name, files)


TCPIP_HEADER = header(1, b"OTHERPC", "本社".encode("cp932"))


def two(index=b"LAN1\0\0LAN2\0\0"):
    files = {"profile": TCPIP_HEADER, "tcpip": index}
    files.update(interface("tcpip.0", "10.1.1.1"))
    files.update(interface("tcpip.1", "10.2.2.2"))
    return files


files = two()
del files["tcpip.0"], files["tcpip.0.0"]
tcpip("tcpip-snapshot-missing.unpacked", files)

files = two()
files["tcpip.0"] = files["tcpip.0"][:-5]
tcpip("tcpip-snapshot-damaged.unpacked", files)

files = two()
del files["tcpip.0.0"]
tcpip("tcpip-subkey-snapshot-missing.unpacked", files)

tcpip("tcpip-out-of-order.unpacked", two(b"LAN2\0\0LAN1\0\0"))

tcpip("tcpip-last-record-unterminated.unpacked", two(b"LAN1\0\0LAN2"))

tcpip("tcpip-empty.unpacked", {"profile": TCPIP_HEADER, "tcpip": b""})

tcpip("tcpip-missing.unpacked", {"profile": TCPIP_HEADER})

files = two()
files["profile"] = header(0, b"tester", "本社".encode("cp932"))
tcpip("header-ieoe-kind.unpacked", files)

files = two()
files["profile"] = TCPIP_HEADER[:5]
tcpip("header-too-short.unpacked", files)

files = two()
files["profile"] = bytes([1, 1]) + dword(200) + b"OTHERPC" + dword(0)
tcpip("header-name-past-end.unpacked", files)
