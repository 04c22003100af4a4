#!/usr/bin/env python3
"""Replays a mutation sample taken on an older commit on today's tree.

mutants.py picks its faults from the sites of the tree it runs on, so after src/ has changed the same
seed picks other faults. This script picks them on BASE (git archive of its src/), finds each fault's
line again by its exact text in the same file (the occurrence nearest its old line number), plants
the same change at the same column, rebuilds the unit tests and runs them, and puts the file back.
A line that is gone is reported as "moved". For each fault it also lists the tests that failed.

  python3 scripts/mutants-replay.py --base 5cd33ac --count 60 --seed 11 [--only 1,5,9] [--list] [--json F]

Run from the project root on a configured, built linux preset. Don't build this tree in parallel:
the planted faults are in src/ while each one runs.
"""
import argparse, importlib.util, json, os, random, shutil, subprocess, sys, tempfile, time

ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
ap.add_argument('--mutants', default='../shared/tools/mutants.py', help='the mutation tool whose faults these are')
ap.add_argument('--base', required=True, help='the commit the sample was taken on')
ap.add_argument('--count', type=int, default=60)
ap.add_argument('--seed', type=int, default=11)
ap.add_argument('--build', default='build/linux')
ap.add_argument('--only', default='', help='comma-separated sample numbers')
ap.add_argument('--list', action='store_true', help='only show where each fault lands today')
ap.add_argument('--json')
a = ap.parse_args()
here = os.getcwd()
tool = importlib.util.spec_from_file_location('mutants', os.path.abspath(a.mutants))
m = importlib.util.module_from_spec(tool)
tool.loader.exec_module(m)

base_tree = tempfile.mkdtemp(prefix='mutants-base-')
subprocess.run('git archive %s src | tar -x -C %s' % (a.base, base_tree), shell=True, check=True)
os.chdir(base_tree)
pick = random.Random(a.seed).sample(m.sites(['src/base', 'src/format', 'src/engine', 'src/ipc', 'src/alarm']), a.count)
base_line = {(p, n): open(p, encoding='utf-8', errors='surrogateescape').read().split('\n')[n] for p, n, _, _, _ in pick}
os.chdir(here)
shutil.rmtree(base_tree)

build = 'cmake --build %s --target kvt_tests -j%d' % (a.build, os.cpu_count() or 2)
test = os.path.join(a.build, 'tests', 'kvt_tests') + ' --gtest_brief=1'
if not a.list:
    if m.run(build, 1800) != 0:
        sys.exit('mutants-replay: the unmodified tree does not build')
    t0 = time.time()
    if m.run(test, 900) != 0:
        sys.exit('mutants-replay: the tests fail on the unmodified tree')
    limit = int((time.time() - t0) * 3) + 60

only = {int(x) for x in a.only.split(',') if x}
results = []
for i, (path, n, s, e, k) in enumerate(pick, 1):
    if only and i not in only:
        continue
    old = base_line[(path, n)]
    original = open(path, encoding='utf-8', errors='surrogateescape').read() if os.path.exists(path) else ''
    lines = original.split('\n')
    found = [j for j, line in enumerate(lines) if line == old]
    if not found:
        results.append(dict(i=i, file=path, line=n + 1, was=old.strip(), verdict='moved'))
        print('%2d moved     %s:%d  %s' % (i, path, n + 1, old.strip()[:80]), flush=True)
        continue
    j = min(found, key=lambda j: abs(j - n))
    now = old[:s] + m.MUTATIONS[k][1] + old[e:]
    failed = []
    if a.list:
        verdict = 'listed'
    else:
        lines[j] = now
        try:
            open(path, 'w', encoding='utf-8', errors='surrogateescape').write('\n'.join(lines))
            if m.run(build, 1800) != 0:
                verdict = 'stillborn'
            else:
                try:
                    r = subprocess.run(test, shell=True, capture_output=True, text=True, errors='replace', timeout=limit)
                    verdict = 'survived' if r.returncode == 0 else 'killed'
                    failed = sorted({w[3] for w in (l.split() for l in r.stdout.split('\n'))
                                     if len(w) > 3 and w[0:3] == ['[', 'FAILED', ']'] and '.' in w[3]})
                    if verdict == 'killed' and not failed:
                        failed = ['(the program died)']
                except subprocess.TimeoutExpired:
                    verdict, failed = 'killed', ['(timeout)']
        finally:
            open(path, 'w', encoding='utf-8', errors='surrogateescape').write(original)
            os.utime(path, None)
    results.append(dict(i=i, file=path, line=j + 1, was=old.strip(), now=now.strip(), verdict=verdict, failed=failed))
    print('%2d %-9s %s:%d  %s  <- %s' % (i, verdict, path, j + 1, now.strip()[:70], ' '.join(failed)[:300]), flush=True)

if not a.list:
    m.run(build, 1800)
    counted = [r for r in results if r['verdict'] in ('killed', 'survived')]
    print('\nmutants-replay: %d killed of %d that compiled; %d stillborn; %d moved; base %s, seed %d'
          % (sum(r['verdict'] == 'killed' for r in counted), len(counted),
             sum(r['verdict'] == 'stillborn' for r in results), sum(r['verdict'] == 'moved' for r in results),
             a.base, a.seed))
if a.json:
    json.dump(results, open(a.json, 'w'), indent=1)
