#!/usr/bin/env python3
"""Checks that shipped programs start on the oldest Windows of their build.

usage: check_imports.py ALLOWLIST FLOOR PROGRAM.exe...
       check_imports.py --self-test ALLOWLIST FLOOR PROGRAM.exe
       check_imports.py --list PROGRAM.exe...

FLOOR is the build's oldest Windows NT version ("5.0" for win32, "5.2" for
win64). Every import of every program must be on the allowlist, for a
version no newer than FLOOR; its DLL must be a system DLL on the list. The
PE header's subsystem version must be one the floor's loader accepts, and
the header must carry no link time (the release is reproducible).
Each finding is one line naming the program, the DLL and the function.
"""
import os
import re
import sys

try:
    import pefile
except ImportError:
    sys.exit("check_imports: the Python module pefile is missing (scripts/setup installs python3-pefile)")


def parse_version(text):
    major, minor = text.split(".")
    return int(major), int(minor)


def read_allowlist(path):
    """{dll (lower case): {function: (major, minor)}}"""
    allowed = {}
    dll = None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            section = re.fullmatch(r"\[(.+)\]", line)
            if section:
                dll = section.group(1).lower()
                allowed.setdefault(dll, {})
                continue
            fields = line.split()
            if dll is None or len(fields) != 2 or not re.fullmatch(r"\d+\.\d+", fields[1]):
                sys.exit(f"{path}:{number}: expected 'Function  N.N' under a [DLL] line")
            allowed[dll][fields[0]] = parse_version(fields[1])
    return allowed


def read_imports(path):
    """[(dll, function)] from the import table and the delay-load table."""
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(directories=[
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"],
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT"]])
    imports = []
    for table in ("DIRECTORY_ENTRY_IMPORT", "DIRECTORY_ENTRY_DELAY_IMPORT"):
        for entry in getattr(pe, table, []):
            dll = entry.dll.decode("ascii", "replace")
            for symbol in entry.imports:
                name = symbol.name.decode("ascii", "replace") if symbol.name else f"#{symbol.ordinal}"
                imports.append((dll, name))
    return pe, imports


def header_findings(name, pe, floor):
    header = pe.OPTIONAL_HEADER
    subsystem = (header.MajorSubsystemVersion, header.MinorSubsystemVersion)
    findings = []
    if subsystem > floor or subsystem < (4, 0):
        findings.append(f"{name}: subsystem version {subsystem[0]}.{subsystem[1]}: "
                        f"the loader of Windows NT {floor[0]}.{floor[1]} refuses it")
    if pe.FILE_HEADER.TimeDateStamp != 0:
        findings.append(f"{name}: the PE header carries a link time ({pe.FILE_HEADER.TimeDateStamp:#x})")
    return findings


def import_findings(name, imports, allowed, floor):
    findings = []
    for dll, function in imports:
        functions = allowed.get(dll.lower())
        if functions is None:
            findings.append(f"{name}: imports {dll}!{function}: {dll} is not a system DLL on the list")
        elif function not in functions:
            findings.append(f"{name}: imports {dll}!{function}, which is not on the list")
        elif functions[function] > floor:
            first = functions[function]
            findings.append(f"{name}: imports {dll}!{function}, which Windows NT "
                            f"{floor[0]}.{floor[1]} lacks (it came with {first[0]}.{first[1]})")
    return findings


def list_imports(programs):
    for path in programs:
        pe, imports = read_imports(path)
        header = pe.OPTIONAL_HEADER
        print(f"{os.path.basename(path)} (subsystem {header.MajorSubsystemVersion}."
              f"{header.MinorSubsystemVersion})")
        for dll in sorted({d for d, _ in imports}, key=str.lower):
            names = sorted(f for d, f in imports if d == dll)
            print(f"  {dll} ({len(names)}): {' '.join(names)}")


def self_test(allowed, floor, path):
    """The check itself, on a real program: each way of breaking the rules
    must give the finding that names it."""
    name = os.path.basename(path)
    pe, imports = read_imports(path)
    dll, function = imports[0]
    cases = []
    missing = {d: dict(f) for d, f in allowed.items()}
    del missing[dll.lower()][function]
    cases.append((import_findings(name, imports, missing, floor), f"{dll}!{function}, which is not on the list"))
    foreign = {d: f for d, f in allowed.items() if d != dll.lower()}
    cases.append((import_findings(name, imports, foreign, floor), f"{dll} is not a system DLL"))
    newer = {d: dict(f) for d, f in allowed.items()}
    newer[dll.lower()][function] = (floor[0], floor[1] + 1)
    cases.append((import_findings(name, imports, newer, floor), f"{dll}!{function}, which Windows NT"))
    cases.append((header_findings(name, pe, (4, 0)), "subsystem version"))
    failed = 0
    for findings, expected in cases:
        if not any(line.startswith(name) and expected in line for line in findings):
            print(f"self-test: no finding with '{expected}' among {findings}")
            failed += 1
    return 1 if failed else 0


def main(argv):
    if len(argv) >= 2 and argv[0] == "--list":
        list_imports(argv[1:])
        return 0
    if len(argv) == 4 and argv[0] == "--self-test":
        return self_test(read_allowlist(argv[1]), parse_version(argv[2]), argv[3])
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    allowed = read_allowlist(argv[0])
    floor = parse_version(argv[1])
    findings = []
    for path in argv[2:]:
        name = os.path.basename(path)
        pe, imports = read_imports(path)
        findings += header_findings(name, pe, floor)
        findings += import_findings(name, imports, allowed, floor)
    for line in findings:
        print(line)
    if findings:
        return 1
    print(f"{len(argv) - 2} programs: every import on the list, nothing newer than {argv[1]}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
