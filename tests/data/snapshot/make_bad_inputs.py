#!/usr/bin/env python3
"""Writes the crafted bad snapshot files and profile headers of this folder.

Each file is one class of damage the readers must survive; the unit tests
(tests/unit/snapshot/snapshot_bad_input_test.cpp, profile_header_test.cpp)
copy them into a work directory as "proxy" or "profile" and check what the
loader, the validation and the header reader make of them.
"""
import struct
from pathlib import Path

here = Path(__file__).resolve().parent


def dword(v):
    return struct.pack('<I', v)


def raw(d, data, typ, l, name):
    return dword(d) + data + dword(typ) + dword(l) + name


def value(name, typ, data):
    n = name + b'\0'
    return raw(len(data), data, typ, len(n), n)


def subkey(name, file_name):
    d = file_name + b'\0'
    n = name + b'\0'
    return raw(len(d), d, 0xFFFFFFFF, len(n), n)


A = value(b'A', 4, dword(5))          # the 18-byte record
NEXT = value(b'next', 4, dword(7))    # applied after a refused record

snapshots = {
    # The end of the file cuts the second record short.
    'cut-short-record': A + value(b'B', 4, dword(6))[:10],
    # Data length of 0xFFFFFFFF: claims more than any file holds.
    'data-length-ffffffff': A + dword(0xFFFFFFFF) + b'tail',
    # Name length of 0xFFFFFFFF after a whole data field.
    'name-length-ffffffff': A + raw(4, dword(1), 4, 0xFFFFFFFF, b'B\0'),
    # A name length of 0 is the end of the file; what follows is ignored.
    'name-length-zero': A + raw(4, dword(1), 4, 0, b'') + NEXT,
    # A name field without a NUL: taken as its three bytes.
    'name-without-nul': raw(4, dword(9), 4, 3, b'ABC') + NEXT,
    # A name field longer than any registry name.
    'name-field-too-long': raw(4, dword(9), 4, 300, b'n' * 300) + NEXT,
    # Subkey records whose file name the writer would never produce.
    'subkey-file-dotdot': subkey(b'S', b'..\\x') + NEXT,
    'subkey-file-drive': subkey(b'S', b'C:\\x') + NEXT,
    'subkey-file-self': subkey(b'S', b'proxy') + NEXT,
    'subkey-file-wrong-rank': subkey(b'S', b'proxy.1') + NEXT,
    'subkey-file-leading-zero': subkey(b'S', b'proxy.00') + NEXT,
    # A subkey name that would nest below the destination.
    'subkey-name-backslash': subkey(b'a\\b', b'proxy.0') + NEXT,
    # A subkey name ending in a lone cp932 lead byte: the registry would list
    # the key under a name that cannot be opened, nor the key cleared.
    'subkey-name-broken-cp932': subkey(b'S\x8e', b'proxy.0') + NEXT,
    # An empty subkey name: creating it would open the destination itself.
    'subkey-name-empty': subkey(b'', b'proxy.0') + NEXT,
    # A subkey record whose own file is not there.
    'subkey-file-missing': subkey(b'S', b'proxy.0') + NEXT,
}

# Lengths of file size + 1: computed on the whole file.
size = len(A) + 4 + 4 + 4 + 2
snapshots['data-length-past-end'] = A + dword(size + 1) + dword(4) + dword(2) + b'B\0'
size = len(A) + 4 + 4 + 4 + 4 + 2
snapshots['name-length-past-end'] = A + raw(4, dword(1), 4, size + 1, b'B\0')

headers = {
    'header-0-bytes': b'',
    'header-1-byte': b'\x00',
    'header-5-bytes': b'\x00\x01\x00\x00\x00',
    'header-6-bytes': b'\x00\x01' + dword(0),
    'header-9-bytes': b'\x00\x01' + dword(0) + b'\x00\x00\x00',
    # N points one byte past the end.
    'header-name-past-end': b'\x00\x01' + dword(6) + b'teste',
    # 6 + N wraps around in 32 bits to 2.
    'header-name-huge': b'\x00\x01' + dword(0xFFFFFFFC) + b'abcd',
    # M points one byte past the end.
    'header-comment-past-end': b'\x00\x01' + dword(5) + b'teste' + dword(4) + b'abc',
    # 10 + N + M wraps around in 32 bits to 5.
    'header-comment-huge': b'\x00\x01' + dword(5) + b'tests' + dword(0xFFFFFFF6) + b'abcdef',
}

for name, data in snapshots.items():
    (here / (name + '.proxy')).write_bytes(data)
for name, data in headers.items():
    (here / (name + '.profile')).write_bytes(data)
