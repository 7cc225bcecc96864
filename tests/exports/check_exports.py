#!/usr/bin/env python3
"""Checks a library's export table against its .def file:
check_exports.py OBJDUMP DEF DLL

Every ordinal the .def lists is exported, and no other; every entry without
NONAME is exported under its undecorated name at that ordinal, and every
entry without an ordinal under its undecorated name. The .def
names carry the 32-bit stdcall decorations (Name@16), which neither build
exports, so both builds are held to the same list.
"""
import re
import subprocess
import sys


def def_exports(path):
    ordinals, names, by_name = set(), {}, set()
    in_exports = False
    for line in open(path, encoding='ascii'):
        line = line.split(';', 1)[0].strip()
        if not line:
            continue
        if line.upper() == 'EXPORTS':
            in_exports = True
            continue
        if not in_exports:
            continue
        m = re.match(r'^([A-Za-z_]\w*)(?:@\d+)?(?:\s*=\s*\S+)?(?:\s+@(\d+))?(.*)$', line)
        if not m:
            sys.exit('%s: cannot read the line %r' % (path, line))
        name, ordinal, rest = m.group(1), m.group(2), m.group(3)
        if ordinal is None:
            by_name.add(name)  # at whatever ordinal the linker gives
            continue
        ordinal = int(ordinal)
        ordinals.add(ordinal)
        if 'NONAME' not in rest.split():
            names[name] = ordinal
    return ordinals, names, by_name


def dll_exports(objdump, path):
    text = subprocess.run([objdump, '-p', path], capture_output=True, text=True, check=True).stdout
    base = re.search(r'Export Address Table -- Ordinal Base (\d+)', text)
    if not base:
        return set(), {}
    base = int(base.group(1))
    table = text[text.index('Export Address Table -- Ordinal Base'):]
    addresses = table.split('[Ordinal/Name Pointer] Table', 1)
    ordinals = {int(k) for k in re.findall(r'\+base\[\s*(\d+)\]', addresses[0])}
    names = {}
    if len(addresses) > 1:
        for index, name in re.findall(r'^\s*\[\s*(\d+)\]\s+(\S+)\s*$', addresses[1].split('\n\n', 1)[0], re.M):
            names[name] = int(index) + base
    return ordinals, names


def main():
    objdump, def_path, dll = sys.argv[1:4]
    want_ordinals, want_names, by_name = def_exports(def_path)
    ordinals, names = dll_exports(objdump, dll)
    ok = True
    if want_ordinals - ordinals:
        print('missing ordinals:', sorted(want_ordinals - ordinals)); ok = False
    extra = ordinals - want_ordinals - {o for n, o in names.items() if n in by_name}
    if extra:
        print('exports not in the .def:', sorted(extra)); ok = False
    for name in sorted(by_name - names.keys()):
        print('%s: not exported by name' % name); ok = False
    for name, ordinal in sorted(want_names.items()):
        if names.get(name) != ordinal:
            print('%s: want ordinal %d, the library has %s' % (name, ordinal, names.get(name))); ok = False
    print('%s: %d ordinals, %d names checked against %s' %
          (dll, len(want_ordinals), len(want_names) + len(by_name), def_path))
    sys.exit(0 if ok else 1)


main()
