#!/usr/bin/env python3
"""Our archiver against the peers, same inputs, same run.

    nice -n 19 python3 bench/lha/lha_bench.py build/native-release/lha/brvlha

Inputs: (a) 50 MiB of mixed text and binary, (b) 5 MiB of data shaped like
the registry snapshots a profile file holds (a folder of such files).
Encode speed and compressed size against jlha (-lh5-, the method we write);
decode speed against lhasa on the same archive (ours). Each time is the
median of RUNS runs; a table of ratios is printed at the end.
"""
import os
import random
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time

RUNS = 3


def mixed_data(size, seed=1):
    """Text (words of a Zipf-like vocabulary), binary records, some noise."""
    rng = random.Random(seed)
    vocabulary = [''.join(rng.choice('etaoinshrdlucmfwypvbgkjqxz') for _ in range(rng.randint(2, 10)))
                  for _ in range(5000)]
    weights = [1.0 / (i + 1) for i in range(len(vocabulary))]
    out = bytearray()
    while len(out) < size:
        kind = rng.random()
        if kind < 0.45:
            words = rng.choices(vocabulary, weights, k=8000)
            text = ' '.join(words)
            out += '\n'.join(text[i:i + 72] for i in range(0, len(text), 72)).encode()
        elif kind < 0.85:
            base = rng.randint(0, 1 << 20)
            for i in range(3000):
                out += struct.pack('<IIHhf8s', base + i, rng.randint(0, 255), i % 7, rng.randint(-50, 50),
                                   rng.random(), vocabulary[rng.randint(0, 40)].encode()[:8])
        else:
            out += rng.randbytes(32768)
    return bytes(out[:size])


def snapshot_files(folder, total, seed=2):
    """A profile-like folder: header, index and numbered snapshots."""
    rng = random.Random(seed)
    names = ['ProxyEnable', 'ProxyServer', 'ProxyOverride', 'AutoConfigURL', 'SMTP Server', 'POP3 Server',
             'Account Name', 'IPAddress', 'SubnetMask', 'DefaultGateway', 'NameServer', 'EnableDHCP']
    with open(os.path.join(folder, 'profile'), 'wb') as f:
        f.write(b'\x00\x01\x06\x00\x00\x00tester\x00\x00\x00\x00')
    count = 24
    with open(os.path.join(folder, 'gateway'), 'wb') as f:
        for i in range(count):
            f.write(('Account %d\0\0' % i).encode())
    for i in range(1, count + 1):
        data = bytearray()
        while len(data) < total // count:
            key = 'Software\\Microsoft\\Internet Account Manager\\Accounts\\%08d\\%s' % (rng.randint(1, 60),
                                                                                          rng.choice(names))
            data += key.encode() + b'\0' + struct.pack('<II', rng.randint(1, 4), rng.randint(0, 1 << 16))
            if rng.random() < 0.3:
                data += ('192.168.%d.%d' % (rng.randint(0, 255), rng.randint(0, 255))).encode() + b'\0'
            if rng.random() < 0.1:
                data += rng.randbytes(16)
        with open(os.path.join(folder, 'gateway.%d' % i), 'wb') as f:
            f.write(bytes(data[:total // count]))


def timed(command, cwd, prepare=None):
    times = []
    for _ in range(RUNS):
        if prepare:
            prepare()
        start = time.perf_counter()
        subprocess.run(command, cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       stdin=subprocess.DEVNULL)
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def folder_size(folder):
    return sum(os.path.getsize(os.path.join(folder, n)) for n in os.listdir(folder))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    brvlha = os.path.abspath(sys.argv[1])
    for tool in ('lhasa', 'jlha'):
        if not shutil.which(tool):
            sys.exit('%s is not installed' % tool)
    work = tempfile.mkdtemp(prefix='brv-lha-bench-')
    rows = []
    try:
        sets = [('(a) 50 MiB mixed', 'a'), ('(b) 5 MiB snapshot-like', 'b')]
        os.makedirs(os.path.join(work, 'a'))
        with open(os.path.join(work, 'a', 'mixed.bin'), 'wb') as f:
            f.write(mixed_data(50 << 20))
        os.makedirs(os.path.join(work, 'b'))
        snapshot_files(os.path.join(work, 'b'), 5 << 20)
        for label, name in sets:
            source = os.path.join(work, name)
            size = folder_size(source)
            ours = os.path.join(work, name + '-ours.lzh')
            theirs = os.path.join(work, name + '-jlha.lzh')
            files = sorted(os.listdir(source))

            def clear(path):
                return lambda: os.path.exists(path) and os.remove(path)

            our_encode = timed([brvlha, 'a', ours, source], work, clear(ours))
            jlha_encode = timed(['jlha', 'a2o5q', theirs] + files, source, clear(theirs))
            out = os.path.join(work, 'out')

            def fresh():
                shutil.rmtree(out, ignore_errors=True)
                os.makedirs(out)

            our_decode = timed([brvlha, 'e', ours, out], work, fresh)
            lhasa_decode = timed(['lhasa', 'xq', ours], out, fresh)
            fresh()
            subprocess.run(['lhasa', 'xq', ours], cwd=out, check=True, stdout=subprocess.DEVNULL)
            for n in files:
                with open(os.path.join(source, n), 'rb') as a, open(os.path.join(out, n), 'rb') as b:
                    if a.read() != b.read():
                        sys.exit('lhasa did not get %s back' % n)
            rows.append((label, size, our_encode, jlha_encode, os.path.getsize(ours), os.path.getsize(theirs),
                         our_decode, lhasa_decode))
    finally:
        shutil.rmtree(work, ignore_errors=True)

    mib = 1024.0 * 1024.0
    print('median of %d runs; MiB/s of original data' % RUNS)
    print('| input | encode ours | encode jlha | speed ratio (>= 3) | size ours | size jlha | size ratio (<= 1) '
          '| decode ours | decode lhasa | speed ratio (>= 1) |')
    print('|---|---|---|---|---|---|---|---|---|---|')
    for label, size, oe, je, os_, js, od, ld in rows:
        print('| %s | %.1f MiB/s | %.1f MiB/s | %.2f | %d | %d | %.4f | %.1f MiB/s | %.1f MiB/s | %.2f |' % (
            label, size / mib / oe, size / mib / je, je / oe, os_, js, os_ / js, size / mib / od, size / mib / ld,
            ld / od))


if __name__ == '__main__':
    main()
