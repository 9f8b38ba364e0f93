#!/usr/bin/env python3
"""Writes the bad TCP/IP profiles, one file each, in the form the load fuzzer
and the bad-profile test read: the files of an unpacked profile in the order
profile, tcpip, tcpip.0, tcpip.1, tcpip.2, tcpip.0.0, tcpip.1.0, separated by
"#F#"; a part "#NONE#" is a file the profile does not hold (missing parts at
the end are missing too)."""
import struct

NAMES = ["profile", "tcpip", "tcpip.0", "tcpip.1", "tcpip.2", "tcpip.0.0", "tcpip.1.0"]
REG_SZ, REG_DWORD, REG_MULTI_SZ = 1, 4, 7


def dword(v):
    return struct.pack("<I", v)


def value(name, typ, data):
    n = name.encode("cp932") + b"\0"
    return dword(len(data)) + data + dword(typ) + dword(len(n)) + n


def subkey(name, file_name):
    f = file_name.encode() + b"\0"
    n = name.encode() + b"\0"
    return dword(len(f)) + f + dword(0xFFFFFFFF) + dword(len(n)) + n


def header(kind=1, name=b"OTHERPC", comment="本社".encode("cp932")):
    return bytes([kind, 1]) + dword(len(name)) + name + dword(len(comment)) + comment


def interface(top, address):
    """A static interface with one per-network subkey below it."""
    return {top: subkey("6e6574", top + ".0")
            + value("EnableDHCP", REG_DWORD, dword(0))
            + value("IPAddress", REG_MULTI_SZ, address.encode() + b"\0\0")
            + value("SubnetMask", REG_MULTI_SZ, b"255.255.255.0\0\0")
            + value("NameServer", REG_SZ, b"192.168.10.1\0"),
            top + ".0": value("DhcpServer", REG_SZ, b"255.255.255.255\0")}


def write(file_name, files):
    parts = [files.get(n, b"#NONE#") for n in NAMES]
    while parts and parts[-1] == b"#NONE#":
        parts.pop()
    with open(file_name, "wb") as out:
        out.write(b"#F#".join(parts))


def two(index=b"LAN1\0\0LAN2\0\0"):
    files = {"profile": header(), "tcpip": index}
    files.update(interface("tcpip.0", "10.1.1.1"))
    files.update(interface("tcpip.1", "10.2.2.2"))
    return files


files = two()
del files["tcpip.0"], files["tcpip.0.0"]
write("tcpip-snapshot-missing.unpacked", files)

files = two()
files["tcpip.0"] = files["tcpip.0"][:-5]
write("tcpip-snapshot-damaged.unpacked", files)

files = two()
del files["tcpip.0.0"]
write("tcpip-subkey-snapshot-missing.unpacked", files)

write("tcpip-out-of-order.unpacked", two(b"LAN2\0\0LAN1\0\0"))

write("tcpip-last-record-unterminated.unpacked", two(b"LAN1\0\0LAN2"))

write("tcpip-empty.unpacked", {"profile": header(), "tcpip": b""})

write("tcpip-missing.unpacked", {"profile": header()})

files = two()
files["profile"] = header(kind=0, name=b"tester")
write("header-ieoe-kind.unpacked", files)

files = two()
files["profile"] = header()[:5]
write("header-too-short.unpacked", files)

files = two()
files["profile"] = bytes([1, 1]) + dword(200) + b"OTHERPC" + dword(0)
write("header-name-past-end.unpacked", files)
