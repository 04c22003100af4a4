#!/usr/bin/env python3
"""The figures of bench/soak.sh: the samples as a table, soak.png (gnuplot), and what the kept records
cost.

  soak_report.py SAMPLES.tsv CONSOLE.out OUT_DIR

SAMPLES.tsv has one line every 10 s: seconds, resident kB, threads, descriptors, client processes
started. CONSOLE.out holds the plugin console's JSON lines; its process-list rounds (id 83, once a
minute, one message per ProcessRecord with its ConnectionRecord count) tell how many records the engine
keeps. Memory is fitted against the record count by least squares: the slope is the cost of a record,
the residual what grows for other reasons.
"""
import json
import os
import subprocess
import sys


def read_samples(path):
    rows = []
    with open(path, encoding="utf-8") as f:
        next(f)
        for line in f:
            fields = line.split()
            if len(fields) == 5:
                rows.append([int(v) for v in fields])
    return rows


def read_rounds(path):
    """[(seconds since the first message, processes, connection records)] for each complete round."""
    rounds, current, first_time = [], None, None
    with open(path, encoding="utf-8") as f:
        for line in f:
            if '"id":83,' not in line:
                continue
            try:
                message = json.loads(line)
            except ValueError:
                continue
            fields = message.get("fields", {})
            stamp = message.get("time", "")
            seconds = seconds_of(stamp)
            if first_time is None:
                first_time = seconds
            if fields.get("sequence") == 1:
                if current:
                    rounds.append(current)
                current = [seconds - first_time, 0, 0]
            if current is not None:
                current[1] += 1
                current[2] += int(fields.get("portCount", 0))
    if current:
        rounds.append(current)
    return rounds


def seconds_of(stamp):
    # "YYYY-MM-DD hh:mm:ss.mmm"
    try:
        clock = stamp.split(" ")[1]
        h, m, s = clock.split(":")
        return int(h) * 3600 + int(m) * 60 + float(s)
    except (IndexError, ValueError):
        return 0.0


def fit(xs, ys):
    n = len(xs)
    if n < 2:
        return None, None
    mx, my = sum(xs) / n, sum(ys) / n
    sxx = sum((x - mx) ** 2 for x in xs)
    if sxx == 0:
        return None, None
    slope = sum((x - mx) * (y - my) for x, y in zip(xs, ys)) / sxx
    return slope, my - slope * mx


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    samples = read_samples(sys.argv[1])
    rounds = read_rounds(sys.argv[2])
    out = sys.argv[3]
    if not samples:
        sys.exit("no samples")
    lines = ["| s | RSS MB | threads | descriptors | client processes |", "|---:|---:|---:|---:|---:|"]
    for s, rss, threads, fds, clients in samples:
        lines.append(f"| {s} | {rss / 1024:.2f} | {threads} | {fds} | {clients} |")
    first, last = samples[0], samples[-1]
    threads = [r[2] for r in samples]
    fds = [r[3] for r in samples]
    lines += ["", f"Resident memory {first[1] / 1024:.2f} MB at {first[0]} s, {last[1] / 1024:.2f} MB at "
              f"{last[0]} s; peak {max(r[1] for r in samples) / 1024:.2f} MB.",
              f"Threads {min(threads)}–{max(threads)}, descriptors {min(fds)}–{max(fds)}; "
              f"{last[4]} client processes started."]

    # Each round is paired with the sample nearest in time (the first round comes 60 s after the start).
    pairs = []
    for when, processes, connections in rounds:
        target = 60 * (len(pairs) + 1)
        nearest = min(samples, key=lambda r: abs(r[0] - target))
        pairs.append((processes, connections, nearest[1]))
    if len(pairs) >= 2:
        lines.append("")
        lines.append("| round | process records | connection records | RSS MB |")
        lines.append("|---:|---:|---:|---:|")
        for i, (p, c, rss) in enumerate(pairs, 1):
            lines.append(f"| {i} | {p} | {c} | {rss / 1024:.2f} |")
        slope_c, base = fit([c for _, c, _ in pairs], [rss * 1024 for _, _, rss in pairs])
        slope_p, _ = fit([p for p, _, _ in pairs], [rss * 1024 for _, _, rss in pairs])
        if slope_c is not None:
            residual = [rss * 1024 - (base + slope_c * c) for _, c, rss in pairs]
            span = (max(residual) - min(residual)) / (1024 * 1024)
            per_process = pairs[-1][1] / pairs[-1][0] if pairs[-1][0] else 0
            lines.append("")
            lines.append(f"Cost of the kept records: {slope_c:.0f} bytes of resident memory per connection "
                         f"record (about {per_process:.1f} connection records per process record; "
                         f"{slope_p:.0f} bytes per process record with its connections). Beside them, "
                         f"memory moved within {span:.2f} MB.")
    elif rounds:
        lines.append(f"Only {len(rounds)} process-list round: run longer than 2 minutes to fit the record cost.")
    text = "\n".join(lines)
    with open(os.path.join(out, "soak.md"), "w", encoding="utf-8") as f:
        f.write(text + "\n")
    print(text)

    plot = os.path.join(out, "soak.png")
    script = f"""
set terminal pngcairo size 900,500
set output '{plot}'
set title 'kvtmon soak: resident memory, threads, descriptors'
set xlabel 'seconds'
set ylabel 'resident MB'
set y2label 'count'
set y2tics
set yrange [0:*]
set y2range [0:*]
set ytics nomirror
set key left top
plot '{sys.argv[1]}' using 1:($2/1024) skip 1 with lines lw 2 title 'RSS MB', \\
     '' using 1:3 skip 1 axes x1y2 with lines title 'threads', \\
     '' using 1:4 skip 1 axes x1y2 with lines title 'descriptors'
"""
    result = subprocess.run(["gnuplot"], input=script, text=True, capture_output=True)
    if result.returncode != 0:
        # gnuplot-nox may lack cairo: fall back to the plain PNG terminal.
        script = script.replace("pngcairo", "png")
        result = subprocess.run(["gnuplot"], input=script, text=True, capture_output=True)
    if result.returncode != 0:
        sys.exit("gnuplot: " + result.stderr)
    print(f"\nPlot: {plot}")


if __name__ == "__main__":
    main()
