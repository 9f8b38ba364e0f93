#!/usr/bin/env python3
"""Writes the seed corpora of the snapshot fuzz targets.

fuzz-load/: files of a work directory joined by "#F#", in the order
proxy, proxy.0, proxy.1, proxy.0.0, ... (see tests/fuzz/snapshot/).
fuzz-header/: whole "profile" files. The named bad inputs of this folder
are added to both.
"""
import struct
from pathlib import Path

here = Path(__file__).resolve().parent
sep = b'#F#'


def dword(v):
    return struct.pack('<I', v)


def value(name, typ, data):
    n = name + b'\0'
    return dword(len(data)) + data + dword(typ) + dword(len(n)) + n


def subkey(name, file_name):
    d = file_name + b'\0'
    n = name + b'\0'
    return dword(len(d)) + d + dword(0xFFFFFFFF) + dword(len(n)) + n


load = {
    'empty': b'',
    'one-dword': value(b'A', 4, dword(5)),
    'default-and-strings': value(b'', 1, b'x\0') + value(b'M', 7, b'a\0b\0\0') + value(b'E', 3, b''),
    'tree': sep.join([
        subkey(b'First', b'proxy.0') + subkey(b'Second', b'proxy.1') + value(b'top', 4, dword(1)),
        subkey(b'Inner', b'proxy.0.0') + value(b'mid', 1, b'text\0'),
        value(b'second', 3, bytes(range(16))),
        value(b'', 1, b'deep\0'),
    ]),
    'cp932-names': sep.join([
        subkey(b'\x83\x5c\x83\x74\x83\x67', b'proxy.0'),
        value(b'\x95\x5c\x8e\xa6', 1, b'\x83\x5c\0'),
    ]),
    'long-data-field': sep.join([
        dword(11) + b'proxy.0\0xyz' + dword(0xFFFFFFFF) + dword(2) + b'S\0',
        value(b'w', 4, dword(4)),
    ]),
}
for f in sorted(here.glob('*.proxy')):
    load['bad-' + f.stem] = f.read_bytes()

header = {
    'ieoe': b'\x00\x01' + dword(5) + b'Taro1' + dword(0),
    'tcpip-comment': b'\x01\x01' + dword(6) + b'TESTPC' + dword(8) + b'\x83\x52\x83\x81\x83\x93\x83\x67',
    'revision-zero': b'\x00\x00' + dword(3) + b'abc',
    'negative-revision': b'\x01\x80' + dword(2) + b'pc' + dword(1) + b'c',
    'trailing': b'\x00\x01' + dword(1) + b'u' + dword(2) + b'hi' + b'trailing',
}
for f in sorted(here.glob('*.profile')):
    header['bad-' + f.stem] = f.read_bytes()

for name, data in load.items():
    (here / 'fuzz-load' / name).write_bytes(data)
for name, data in header.items():
    (here / 'fuzz-header' / name).write_bytes(data)
