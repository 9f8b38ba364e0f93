#!/usr/bin/env python3
"""The save and apply flows on a heavy profile, side by side with reg and the floor.

    bench/flows/run [--runs N] [--phases]        (builds, then runs this)
    python3 bench/flows/flows_bench.py [--runs N] [--phases] [--build DIR]

A throwaway Wine prefix (build/bench-flows/prefix) is seeded with the trees
of gen_profile.py. Each flow is timed as whole processes, N runs interleaved
(the order rotates every run), after one untimed warm-up run:
  brvprofile   save ies / apply FILE.ies / save ips / apply FILE.ips
  reg route    reg export of the trees + jlha a; jlha x + reg delete /f +
               reg import
  floor        floor.exe (bench/flows/floor.cpp): the format's own work
and, once per run, file_costs.exe: what creating and deleting as many work
files as the .ies holds costs, with CREATE_ALWAYS and with CREATE_NEW, and
creating them next to as many others.
Before each apply the live trees are changed a little (perturb-*.reg); after
it they are exported and compared with the export taken after seeding.
Medians and ratios are printed, then the floor's phases and the machine's
load. --phases adds one more brvprofile save, check and apply of the .ies,
watched from outside: the number of files in its work directory over time
shows their phases.
"""
import argparse
import glob
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WORK = os.path.join(REPO, 'build', 'bench-flows')
PREFIX = os.path.join(WORK, 'prefix')

IE = r'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
IDENTITIES = r'HKCU\Identities'
INTERFACES = r'HKLM\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Interfaces'
TREES = {'ies': [IE, IDENTITIES], 'ips': [INTERFACES]}
CHECKED = [IE, IDENTITIES, INTERFACES]


def windows_path(path):
    return 'Z:' + os.path.abspath(path).replace('/', '\\')


def wine_environment():
    """The project's Wine settings (scripts/wine-env) on the bench's prefix."""
    env = dict(os.environ, BRV_WINEPREFIX=PREFIX)
    out = subprocess.run(['bash', '-c', 'source "$1" && env -0', '-', os.path.join(REPO, 'scripts', 'wine-env')],
                         env=env, check=True, capture_output=True).stdout
    return dict(item.split('=', 1) for item in out.decode().split('\0') if '=' in item)


class Runner:
    def __init__(self, env):
        self.env = env
        self.wine = env['BRV_WINE']
        self.wineserver = os.path.join(os.path.dirname(self.wine), 'wineserver')

    def run(self, command, cwd=WORK, allowed=(0,)):
        """One process; its output goes to a file, since Wine's helper
        processes inherit the handles and would hold a pipe open."""
        with tempfile.TemporaryFile() as output:
            status = subprocess.run(command, cwd=cwd, env=self.env, stdin=subprocess.DEVNULL, stdout=output,
                                    stderr=subprocess.STDOUT).returncode
            if status not in allowed:
                output.seek(0)
                text = output.read().decode('cp932', 'replace')
                raise SystemExit('%s ended with %d:\n%s' % (' '.join(command), status, text))

    def wine_run(self, *args, **kwargs):
        self.run([self.wine] + list(args), **kwargs)

    def timed(self, steps):
        """Seconds for a sequence of processes, from the first start to the last end."""
        start = time.perf_counter()
        for step in steps:
            step()
        return time.perf_counter() - start


# --- The prefix -------------------------------------------------------------

def make_prefix(runner):
    if os.path.exists(PREFIX):
        subprocess.run([runner.wineserver, '-k'], env=runner.env, stderr=subprocess.DEVNULL)
        shutil.rmtree(PREFIX)
    os.makedirs(PREFIX)
    runner.run([runner.wine, 'wineboot', '-i'], allowed=range(256))
    # No display: brvprofile's dialogs are never shown. Wine's desktop reads
    # the driver when it starts, so it goes down before the first timed run.
    runner.wine_run('reg', 'add', r'HKCU\Software\Wine\Drivers', '/v', 'Graphics', '/d', 'null', '/f')
    subprocess.run([runner.wineserver, '-w'], env=runner.env)
    # One wineserver for the whole run, as scripts/test does.
    subprocess.run([runner.wineserver, '-p'], env=runner.env, check=True)


def seed(runner):
    gen = os.path.join(WORK, 'gen')
    subprocess.run([sys.executable, os.path.join(REPO, 'bench', 'flows', 'gen_profile.py'), gen], check=True)
    runner.wine_run('reg', 'import', windows_path(os.path.join(gen, 'seed.reg')))
    with open(os.path.join(gen, 'counts.txt'), encoding='utf-8') as f:
        return f.read()


# --- Exports and the check ------------------------------------------------------

def parse_reg(path):
    """{key: {value name: data text}} of a file reg export wrote."""
    with open(path, 'rb') as f:
        text = f.read().decode('utf-16')
    lines = []
    for line in text.replace('\r\n', '\n').split('\n'):
        if lines and lines[-1].endswith('\\') and not lines[-1].startswith('['):
            lines[-1] = lines[-1][:-1] + line.strip()
        else:
            lines.append(line)
    keys = {}
    current = None
    for line in lines:
        if line.startswith('[') and line.endswith(']'):
            current = keys.setdefault(line[1:-1], {})
        elif current is not None and line[:1] in ('"', '@'):
            name, data = split_value_line(line)
            current[name] = data
    return keys


def split_value_line(line):
    if line.startswith('@='):
        return '', line[2:]
    i = 1
    name = []
    while line[i] != '"':
        if line[i] == '\\':
            i += 1
        name.append(line[i])
        i += 1
    return ''.join(name), line[i + 2:]


def export_trees(runner, folder):
    trees = {}
    for n, tree in enumerate(CHECKED):
        path = os.path.join(folder, 'tree%d.reg' % n)
        runner.wine_run('reg', 'export', tree, windows_path(path), '/y')
        trees[tree] = parse_reg(path)
    return trees


def differences(expected, live):
    found = []
    for tree in CHECKED:
        a, b = expected[tree], live[tree]
        for key in sorted(set(a) | set(b)):
            if key not in b:
                found.append('missing key ' + key)
            elif key not in a:
                found.append('extra key ' + key)
            elif a[key] != b[key]:
                names = sorted(n for n in set(a[key]) | set(b[key]) if a[key].get(n) != b[key].get(n))
                found.append('key %s: values %s differ' % (key, ', '.join(names[:5])))
    return found


def count_tree(trees, tree):
    keys = trees[tree]
    return len(keys), sum(len(v) for v in keys.values())


# --- The flows ----------------------------------------------------------------

class Bench:
    def __init__(self, runner, build):
        self.r = runner
        self.brvprofile = os.path.join(build, 'brvprofile', 'brvprofile.exe')
        self.floor = os.path.join(build, 'bench', 'flows', 'floor.exe')
        self.file_costs = os.path.join(build, 'bench', 'flows', 'file_costs.exe')
        self.gen = os.path.join(WORK, 'gen')
        self.times = {}
        self.phases = {}
        self.checks = 0
        self.failures = []
        self.expected = None

    def fresh(self, name):
        path = os.path.join(WORK, name)
        shutil.rmtree(path, ignore_errors=True)
        os.makedirs(path)
        return path

    def record(self, row, column, seconds):
        self.times.setdefault((row, column), []).append(seconds)

    # save
    def brv_save(self, kind):
        target = os.path.join(WORK, 'brv.' + kind)
        if os.path.exists(target):
            os.remove(target)
        return self.r.timed([lambda: self.r.wine_run(self.brvprofile, 'save', kind, windows_path(target))])

    def reg_save(self, kind):
        folder = self.fresh('route-' + kind)
        names = ['tree%d.reg' % n for n in range(len(TREES[kind]))]
        steps = [lambda t=t, n=n: self.r.wine_run('reg', 'export', t, windows_path(os.path.join(folder, n)), '/y')
                 for t, n in zip(TREES[kind], names)]
        archive = os.path.join(WORK, 'route.%s.lzh' % kind)
        if os.path.exists(archive):
            os.remove(archive)
        steps.append(lambda: self.r.run(['jlha', 'aq', archive] + names, cwd=folder))
        return self.r.timed(steps)

    def floor_save(self, kind, pack=False):
        folder = self.fresh('floor-save-' + kind)
        args = [self.floor, 'save-' + kind, windows_path(folder) + '\\']
        if pack:
            args.append(windows_path(os.path.join(WORK, 'floor.' + kind)))
        return self.phased_run(kind, 'save+pack' if pack else 'save', args)

    def floor_save_pack(self, kind):
        return self.floor_save(kind, pack=True)

    def phased_run(self, kind, flow, args):
        """Times a program that prints "phase NAME SECONDS" lines, and keeps them."""
        out = os.path.join(WORK, 'phases.txt')
        start = time.perf_counter()
        with open(out, 'wb') as f:
            status = subprocess.run([self.r.wine] + args, cwd=WORK, env=self.r.env, stdin=subprocess.DEVNULL,
                                    stdout=f, stderr=subprocess.STDOUT).returncode
        seconds = time.perf_counter() - start
        with open(out, encoding='cp932', errors='replace') as f:
            text = f.read()
        if status != 0:
            raise SystemExit('%s ended with %d:\n%s' % (' '.join(args), status, text))
        for line in text.splitlines():
            parts = line.split()
            if len(parts) == 3 and parts[0] == 'phase':
                self.phases.setdefault((kind, flow, parts[1]), []).append(float(parts[2]))
        return seconds

    # apply
    def perturb(self, kind):
        self.r.wine_run('reg', 'import', windows_path(os.path.join(self.gen, 'perturb-%s.reg' % kind)))

    def brv_apply(self, kind):
        return self.r.timed([lambda: self.r.wine_run(self.brvprofile, 'apply', windows_path(
            os.path.join(WORK, 'brv.' + kind)))])

    def reg_apply(self, kind):
        folder = self.fresh('route-x-' + kind)
        archive = os.path.join(WORK, 'route.%s.lzh' % kind)
        steps = [lambda: self.r.run(['jlha', 'xq', archive], cwd=folder)]
        steps += [lambda t=t: self.r.wine_run('reg', 'delete', t, '/f') for t in TREES[kind]]
        steps += [lambda n=n: self.r.wine_run('reg', 'import', windows_path(os.path.join(folder, 'tree%d.reg' % n)))
                  for n in range(len(TREES[kind]))]
        return self.r.timed(steps)

    def floor_apply(self, kind):
        folder = self.fresh('floor-apply-' + kind)
        args = [self.floor, 'apply-' + kind, windows_path(os.path.join(WORK, 'brv.' + kind)),
                windows_path(folder) + '\\']
        return self.phased_run(kind, 'apply', args)

    def check(self, what):
        live = export_trees(self.r, self.fresh('check'))
        self.checks += 1
        found = differences(self.expected, live)
        if found:
            self.failures.append('%s: %s' % (what, '; '.join(found[:5])))
            # The next apply starts from the seeded trees again.
            self.r.wine_run('reg', 'import', windows_path(os.path.join(self.gen, 'seed.reg')))

    def work_file_costs(self, count):
        folder = self.fresh('file-costs')
        return self.phased_run('files', '%d' % count, [self.file_costs, windows_path(folder) + '\\', str(count)])

    def one_run(self, number, timed):
        self.work_file_costs(2234)
        for kind in ('ies', 'ips'):
            saves = [('brvprofile', self.brv_save), ('reg route', self.reg_save), ('floor', self.floor_save),
                     ('floor + pack', self.floor_save_pack)]
            applies = [('brvprofile', self.brv_apply), ('reg route', self.reg_apply), ('floor', self.floor_apply)]
            for column, flow in rotated(saves, number):
                seconds = flow(kind)
                if timed:
                    self.record('save .' + kind, column, seconds)
            for column, flow in rotated(applies, number):
                self.perturb(kind)
                seconds = flow(kind)
                self.check('%s apply .%s, run %d' % (column, kind, number))
                if timed:
                    self.record('apply .' + kind, column, seconds)


def rotated(items, n):
    n %= len(items)
    return items[n:] + items[:n]


# --- Phases of one brvprofile apply, seen from outside --------------------------

def watched_commands(bench):
    """What --phases watches: the two .ies flows, and check, which is the
    first part of an apply on its own (unpack, validation, clean-up)."""
    def check():
        return bench.r.timed([lambda: bench.r.wine_run(bench.brvprofile, 'check',
                                                        windows_path(os.path.join(WORK, 'brv.ies')))])

    def apply():
        bench.perturb('ies')
        return bench.brv_apply('ies')

    return [('save ies', lambda: bench.brv_save('ies')), ('check FILE.ies', check), ('apply FILE.ies', apply)]


def watch(bench, run):
    """Samples the number of files in brvprofile's work directory while
    `run` runs it; returns its time and the segments in which the count
    rose, fell or held."""
    pattern = os.path.join(PREFIX, 'drive_c', 'users', '*', '**', 'brvprofile.*')
    samples = []
    done = threading.Event()

    def sample():
        start = time.perf_counter()
        folder = None
        while not done.is_set():
            if folder is None:
                found = glob.glob(pattern, recursive=True)
                folder = found[0] if found else None
            try:
                count = len(os.listdir(folder)) if folder else 0
            except OSError:
                count = 0
            samples.append((time.perf_counter() - start, count))
            time.sleep(0.05)

    watcher = threading.Thread(target=sample)
    watcher.start()
    total = run()
    done.set()
    watcher.join()
    return total, segments(samples)


def segments(samples):
    """Runs of samples with the same trend (up, down, flat)."""
    out = []
    for (t0, c0), (t1, c1) in zip(samples, samples[1:]):
        trend = 'up' if c1 > c0 else 'down' if c1 < c0 else 'flat'
        if out and out[-1][0] == trend:
            out[-1][2], out[-1][4] = t1, c1
        else:
            out.append([trend, t0, t1, c0, c1])
    merged = []
    for seg in out:
        # Pauses of a sample or two inside a rise or fall belong to it.
        if merged and seg[0] == 'flat' and seg[2] - seg[1] < 0.12:
            merged[-1][2] = seg[2]
            continue
        if merged and merged[-1][0] == seg[0]:
            merged[-1][2], merged[-1][4] = seg[2], seg[4]
            continue
        merged.append(seg)
    return merged


# --- Report -------------------------------------------------------------------

def io_pressure():
    """The share of the last 10 s in which some task waited for the disk
    (Linux pressure stall information), or None."""
    try:
        with open('/proc/pressure/io') as f:
            return float(f.readline().split()[1].split('=')[1])
    except (OSError, IndexError, ValueError):
        return None


def median(values):
    return statistics.median(values) if values else float('nan')


def report(bench, runs, loads, pressures, counts, phases):
    rows = ['save .ies', 'apply .ies', 'save .ips', 'apply .ips']
    print('\nMedians of %d runs, seconds (min-max in brackets); whole processes under Wine' % runs)
    print('%-11s %-20s %-20s %-20s %-20s %8s %9s' % ('flow', 'brvprofile', 'reg route', 'floor', 'floor + pack',
                                                   'brv/reg', 'brv/floor'))
    for row in rows:
        if (row, 'brvprofile') not in bench.times:
            continue
        cells = []
        for column in ('brvprofile', 'reg route', 'floor', 'floor + pack'):
            values = bench.times.get((row, column), [])
            cells.append('%6.2f [%.2f-%.2f]' % (median(values), min(values), max(values)) if values else '-')
        brv = median(bench.times[(row, 'brvprofile')])
        print('%-11s %-20s %-20s %-20s %-20s %7.1fx %8.1fx' %
              (row, cells[0], cells[1], cells[2], cells[3], brv / median(bench.times[(row, 'reg route')]),
               brv / median(bench.times[(row, 'floor')])))
    print('\nPhases inside floor.exe, and what %s work files cost with each disposition (file_costs.exe);'
          ' medians, seconds:' % next((flow for kind, flow, _ in bench.phases if kind == 'files'), '-'))
    for (kind, flow, phase) in sorted(bench.phases):
        print('  %-5s %-9s %-15s %.3f' % (kind, flow, phase, median(bench.phases[(kind, flow, phase)])))
    print('\nChecks: %d applies, the live trees equal the seeded ones after %d of them' %
          (bench.checks, bench.checks - len(bench.failures)))
    for failure in bench.failures:
        print('  FAILED ' + failure)
    for label, (total, segs) in phases.items():
        print('\nbrvprofile %s watched from outside (%.2f s): files in its work directory' % (label, total))
        for trend, t0, t1, c0, c1 in segs:
            print('  %6.2f-%6.2f s  %-4s %5d -> %5d' % (t0, t1, trend, c0, c1))
    print('\nProfile: ' + counts.strip().replace('\n', '\n         '))
    print('Machine: %d cores; load average (1 min) %.2f at the start, %.2f-%.2f during the runs, %.2f at the end' %
          (os.cpu_count(), loads[0], min(loads[1:-1] or loads), max(loads[1:-1] or loads), loads[-1]))
    waits = [p for p in pressures if p is not None]
    if waits:
        print('         some task waited for the disk %.0f-%.0f%% of the time (10 s before each run ended)' %
              (min(waits), max(waits)))


def save_raw(bench, loads, pressures):
    """Every run's times, in run order, for a closer look at the spread."""
    raw = {'times': {'%s | %s' % key: values for key, values in bench.times.items()},
           'floor phases': {' | '.join(key): values for key, values in bench.phases.items()},
           'load after each run': loads[1:-1], 'disk waits after each run (%)': pressures}
    path = os.path.join(WORK, 'times.json')
    with open(path, 'w', encoding='utf-8') as f:
        json.dump(raw, f, indent=1, ensure_ascii=False)
    print('Every run: ' + os.path.relpath(path, REPO))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--runs', type=int, default=10)
    parser.add_argument('--phases', action='store_true', help='watch a brvprofile save, check and apply of the .ies')
    parser.add_argument('--build', default=os.path.join(REPO, 'build', 'win64'))
    args = parser.parse_args()
    for tool in ('jlha',):
        if not shutil.which(tool):
            raise SystemExit('%s is needed for the reg route' % tool)
    os.makedirs(WORK, exist_ok=True)
    runner = Runner(wine_environment())
    bench = Bench(runner, args.build)
    for exe in (bench.brvprofile, bench.floor, bench.file_costs):
        if not os.path.exists(exe):
            raise SystemExit('%s is missing: bench/flows/run builds it' % exe)
    loads = [os.getloadavg()[0]]
    pressures = []
    try:
        print('Making the prefix and seeding it...', flush=True)
        make_prefix(runner)
        counts = seed(runner)
        bench.expected = export_trees(runner, bench.fresh('expected'))
        keys, values = count_tree(bench.expected, IE)
        counts += 'Internet Settings as exported after seeding: %d keys, %d values\n' % (keys, values)
        bench.one_run(0, timed=False)
        for n in range(1, args.runs + 1):
            started = time.perf_counter()
            bench.one_run(n, timed=True)
            loads.append(os.getloadavg()[0])
            pressures.append(io_pressure())
            print('run %d/%d: %.0f s, load %.2f' % (n, args.runs, time.perf_counter() - started, loads[-1]),
                  flush=True)
        phases = {label: watch(bench, run) for label, run in watched_commands(bench)} if args.phases else {}
        if args.phases:
            bench.check('watched brvprofile apply .ies')
        loads.append(os.getloadavg()[0])
        report(bench, args.runs, loads, pressures, counts, phases)
        save_raw(bench, loads, pressures)
    finally:
        subprocess.run([runner.wineserver, '-k'], env=runner.env, stderr=subprocess.DEVNULL)
    return 1 if bench.failures else 0


if __name__ == '__main__':
    sys.exit(main())
