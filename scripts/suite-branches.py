#!/usr/bin/env python3
"""Per-suite branch coverage of src/: runs each GoogleTest suite of a coverage build alone and lists,
for each suite, the src/ branches only it covers (none = everything it reaches is covered elsewhere).
   python3 scripts/suite-branches.py build/linux-coverage OUT.json   (after scripts/coverage.sh has built the preset)"""
import glob, json, os, subprocess, sys
build, out = sys.argv[1], sys.argv[2]
exe = os.path.join(build, 'tests', 'kvt_tests')
listing = subprocess.run([exe, '--gtest_list_tests'], capture_output=True, text=True).stdout
suites = sorted(set(l.split('.')[0] for l in listing.splitlines() if l and not l.startswith(' ')))
def src_gcda():
    return [p for p in glob.glob(os.path.join(build, 'CMakeFiles', 'kvt_*.dir', 'src', '**', '*.gcda'), recursive=True)]
def covered():
    got = set()
    files = [os.path.abspath(g) for g in src_gcda()]
    if files:
        r = subprocess.run(['gcov', '--json-format', '--stdout', '-b'] + files, capture_output=True, text=True)
        for line in r.stdout.splitlines():
            if not line.startswith('{'): continue
            for f in json.loads(line).get('files', []):
                name = f['file']
                if '/src/' not in name: continue
                name = name[name.index('/src/') + 1:]
                for ln in f['lines']:
                        for i, b in enumerate(ln.get('branches', [])):
                            if b['count'] > 0: got.add('%s:%d:%d' % (name, ln['line_number'], i))
    return got
result = {}
for n, suite in enumerate(suites):
    for g in src_gcda(): os.remove(g)
    subprocess.run([exe, '--gtest_filter=%s.*' % suite], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=600)
    result[suite] = sorted(covered())
    print('%3d/%d %-50s %5d branches' % (n + 1, len(suites), suite, len(result[suite])), flush=True)
json.dump(result, open(out, 'w'))
from collections import Counter
count = Counter(b for bs in result.values() for b in set(bs))
print('\neach suite: the branches it reaches, and those no other suite reaches (fewest first)')
for s, bs in sorted(result.items(), key=lambda x: sum(count[b] == 1 for b in x[1])):
    own = [b for b in bs if count[b] == 1]
    print("%-50s reaches %5d, alone %4d" % (s, len(bs), len(own)))
