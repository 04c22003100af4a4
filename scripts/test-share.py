#!/usr/bin/env python3
"""The test suite's share of the code: non-blank, non-comment lines of tests/ against src/ and tools/.

  python3 scripts/test-share.py [ROOT] [-v]     (-v: the 60 largest test files)

Prints the total, the line count that 40 % would be, and the lines per test area (a directory of
tests/unit, or tests/e2e, tests/wine, ...). Fuzz corpora are data and are left out."""
import os, re, sys
args = [a for a in sys.argv[1:] if a != '-v']
root = args[0] if args else '.'
CODE = ('.cpp', '.h', '.c', '.sh', '.py', '.cmake', '.txt', '.yml', '.rc')
def count(path):
    n = 0; in_block = False
    hash_comments = path.endswith(('.sh', '.py', '.cmake', '.txt', '.yml'))
    for line in open(path, errors='replace'):
        s = line.strip()
        if not s: continue
        if hash_comments:
            if s.startswith('#') and not s.startswith('#!'): continue
            n += 1; continue
        if in_block:
            if '*/' in s:
                in_block = False
                if s.split('*/', 1)[1].strip(): n += 1
            continue
        if s.startswith('//'): continue
        if s.startswith('/*'):
            if '*/' not in s: in_block = True
            elif s.split('*/', 1)[1].strip(): n += 1
            continue
        n += 1
    return n
def walk(d):
    out = {}
    for dp, dn, fn in os.walk(os.path.join(root, d)):
        if 'corpus' in dp: continue
        for f in fn:
            if f.endswith(CODE):
                p = os.path.join(dp, f); out[os.path.relpath(p, root)] = count(p)
    return out
tests = walk('tests'); code = {**walk('src'), **walk('tools')}
t = sum(tests.values()); c = sum(code.values())
print(f'tests {t} / code {c} = {100*t/c:.1f} %  (40 % = {int(c*0.4)}, to cut {t-int(c*0.4)})')
areas = {}
for p, n in tests.items():
    parts = p.split(os.sep)
    a = parts[2] if len(parts) > 3 and parts[1] == 'unit' else parts[1]
    areas[a] = areas.get(a, 0) + n
for a, n in sorted(areas.items(), key=lambda x: -x[1]): print(f'  {a:12} {n}')
if '-v' in sys.argv:
    for p, n in sorted(tests.items(), key=lambda x: -x[1])[:60]: print(f'{n:6} {p}')
