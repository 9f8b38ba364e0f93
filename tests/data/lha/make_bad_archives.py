#!/usr/bin/env python3
"""Writes the crafted archives in bad/, one per class of bad input, each
named for what is wrong with it. Run from this folder; the output is
committed, so the tests do not need Python."""
import struct


def crc16(data, crc=0):
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def level0(method, name, data, original=None, crc=None, compressed=None):
    original = len(data) if original is None else original
    crc = crc16(data) if crc is None else crc
    compressed = len(data) if compressed is None else compressed
    body = method + struct.pack('<III', compressed, original, 0x4A2B3C4D) + bytes([0x20, 0, len(name)]) + name
    body += struct.pack('<H', crc)
    return bytes([len(body), sum(body) & 0xFF]) + body + data


def level2(method, name, data, original=None, crc=None, extended=None, compressed=None, fix_crc=True):
    """extended: list of (type, payload); by default a CRC header and the name."""
    original = len(data) if original is None else original
    crc = crc16(data) if crc is None else crc
    compressed = len(data) if compressed is None else compressed
    if extended is None:
        extended = [(0x00, b'\0\0')] + ([(0x01, name)] if name is not None else [])
    ext = b''
    for i, (t, payload) in enumerate(extended):
        nxt = len(extended[i + 1][1]) + 3 if i + 1 < len(extended) else 0
        ext += bytes([t]) + payload + struct.pack('<H', nxt)
    first = len(extended[0][1]) + 3 if extended else 0
    total = 26 + len(ext)
    h = bytearray(struct.pack('<H', total) + method + struct.pack('<III', compressed, original, 0) +
                  bytes([0x20, 2]) + struct.pack('<H', crc) + b'M' + struct.pack('<H', first) + ext)
    if fix_crc and extended and extended[0][0] == 0:
        struct.pack_into('<H', h, 27, crc16(bytes(h)))
    return bytes(h) + data


class Bits:
    def __init__(self):
        self.bits = []

    def put(self, n, v):
        self.bits += [(v >> i) & 1 for i in range(n - 1, -1, -1)]

    def bytes(self):
        b = self.bits + [0] * (-len(self.bits) % 8)
        return bytes(int(''.join(map(str, b[i:i + 8])), 2) for i in range(0, len(b), 8))


def lh5_bit_length_17():
    w = Bits()
    w.put(16, 1); w.put(5, 3); w.put(3, 7); w.put(10, 0x3FF); w.put(1, 0)
    return w.bytes() + bytes(8)


def lh5_zero_run_overflow():
    w = Bits()
    w.put(16, 1); w.put(5, 4); w.put(3, 0); w.put(3, 1); w.put(3, 0); w.put(2, 0); w.put(3, 1)
    w.put(9, 5); w.put(1, 0); w.put(4, 10)
    return w.bytes() + bytes(8)


def lh5_oversubscribed():
    w = Bits()
    w.put(16, 1); w.put(5, 3); w.put(3, 1); w.put(3, 1); w.put(3, 1); w.put(2, 0)
    return w.bytes() + bytes(8)


def level1_extended_past_data():
    """A level-1 header whose extended headers claim more than the data holds."""
    name = b'name.txt'
    body = b'-lh0-' + struct.pack('<III', 4, 4, 0) + bytes([0x20, 1, len(name)]) + name + struct.pack('<H', 0)
    body += b'M' + struct.pack('<H', 13)
    return bytes([len(body), sum(body) & 0xFF]) + body + b'\x01long name' + struct.pack('<H', 0) + b'data'


def level3_over_64k():
    name = b'three.bin'
    ext = b'\x01' + name + struct.pack('<I', 0)
    h = struct.pack('<H', 4) + b'-lh0-' + struct.pack('<III', 3, 3, 0) + bytes([0x20, 3]) + struct.pack('<H', crc16(b'abc'))
    h += b'U' + struct.pack('<II', 70000, len(name) + 5) + ext
    return h + bytes(70000 - len(h)) + b'abc'


END = b'\0'
GOOD = b'first member, extracted and then removed again\r\n'
files = {
    'not_an_archive.lzh': b'[Profile]\r\nThis is a text file, not an archive.\r\n' * 3,
    'empty_file.lzh': b'',
    'header_size_below_fixed_part.lzh': (lambda h: bytes([20]) + h[1:])(level0(b'-lh0-', b'name.txt', b'abc')) + END,
    'level0_checksum.lzh': (lambda h: h[:1] + bytes([h[1] ^ 0x55]) + h[2:])(level0(b'-lh0-', b'name.txt', b'abc')) + END,
    'level2_header_crc.lzh': (lambda h: h[:30] + b'X' + h[31:])(level2(b'-lh0-', b'name.txt', b'abc')) + END,
    'extended_size_below_minimum.lzh': (lambda h: h[:24] + b'\x02\x00' + h[26:])(level2(b'-lh0-', b'name.txt', b'abc')) + END,
    'extended_header_past_header.lzh': (lambda h: h[:24] + b'\xF0\x00' + h[26:])(level2(b'-lh0-', b'name.txt', b'abc')) + END,
    'level1_extended_past_data.lzh': level1_extended_past_data() + END,
    'level3_header_over_64k.lzh': level3_over_64k() + END,
    'huffman_bit_length_17.lzh': level0(b'-lh5-', b'data.bin', lh5_bit_length_17(), original=100, crc=0) + END,
    'huffman_zero_run_overflow.lzh': level0(b'-lh5-', b'data.bin', lh5_zero_run_overflow(), original=100, crc=0) + END,
    'huffman_oversubscribed.lzh': level0(b'-lh5-', b'data.bin', lh5_oversubscribed(), original=100, crc=0) + END,
    'data_crc_mismatch.lzh': level2(b'-lh0-', b'first.txt', GOOD) + level2(b'-lh0-', b'second.txt', b'payload', crc=0x1234) + END,
    'stored_length_mismatch.lzh': level2(b'-lh0-', b'first.txt', GOOD) + level2(b'-lh0-', b'second.txt', b'payload', original=6) + END,
    'data_truncated.lzh': level2(b'-lh0-', b'first.txt', GOOD) + level2(b'-lh0-', b'second.txt', b'only part', compressed=100, original=100),
    'method_unsupported.lzh': level2(b'-lh0-', b'first.txt', GOOD) + level2(b'-pm2-', b'second.txt', b'\x01\x02\x03', original=10) + END,
    'directory_entry.lzh': level2(b'-lhd-', None, b'', extended=[(0x00, b'\0\0'), (0x02, b'subdir\xff')]) + END,
    'name_dotdot.lzh': level2(b'-lh0-', b'..', b'abc') + END,
    'name_colon.lzh': level2(b'-lh0-', b'C:evil.txt', b'abc') + END,
    'name_control_bytes.lzh': level2(b'-lh0-', b'\x1b]2;title\x07', b'abc') + END,
    'name_device.lzh': level2(b'-lh0-', b'CON.txt', b'abc') + END,
    'name_trailing_dot.lzh': level2(b'-lh0-', b'profile.', b'abc') + END,
    'name_too_long.lzh': level2(b'-lh0-', b'n' * 256, b'abc') + END,
    'name_empty.lzh': level2(b'-lh0-', None, b'abc') + END,
    'name_twice_other_case.lzh': level2(b'-lh0-', b'profile', GOOD) + level2(b'-lh0-', b'PROFILE', b'abc') + END,
    # Greek small and capital alpha in cp932: one file name on NTFS.
    'name_twice_greek_case.lzh': level2(b'-lh0-', b'\x83\xbf.txt', GOOD) + level2(b'-lh0-', b'\x83\x9f.txt', b'abc') + END,
    # A cp932 lead byte without its second byte: Windows would drop it ("CON").
    'name_lone_lead_byte.lzh': level2(b'-lh0-', b'CON\x82', b'abc') + END,
    'member_too_large.lzh': level2(b'-lh5-', b'huge.bin', b'\0' * 16, original=300 << 20) + END,
    'paths_reduced_to_last_component.lzh': level0(b'-lh0-', b'..\\..\\evil.txt', b'evil\r\n') +
        level2(b'-lh0-', None, b'pw\n', extended=[(0x00, b'\0\0'), (0x02, b'\xffetc\xff'), (0x01, b'passwd')]) +
        level0(b'-lh0-', b'/abs/path/name.txt', b'abs\n') + END,
}
for name, data in files.items():
    with open('bad/' + name, 'wb') as f:
        f.write(data)
