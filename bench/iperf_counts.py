#!/usr/bin/env python3
"""What an iperf3 client (-J) sent, as key=value words for bench/compare.sh.

true_bytes   payload bytes the client sent (sum_sent for TCP, sum for UDP)
early_bytes  those sent in the first EARLY seconds (default 2) of the test, from the interval reports,
             the part of an interval that crosses the boundary taken in proportion to its time
retransmits  TCP segments sent again (the wire carries their payload twice); 0 for UDP
datagrams    UDP datagrams sent; 0 for TCP
payload      the UDP datagram size; 0 for TCP
gen_seconds  the test's length
"""
import json
import sys


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit("usage: iperf_counts.py CLIENT.json [EARLY_SECONDS]")
    with open(sys.argv[1], encoding="utf-8") as f:
        report = json.load(f)
    if "error" in report:
        sys.exit("iperf3: " + report["error"])
    early_limit = float(sys.argv[2]) if len(sys.argv) == 3 else 2.0
    udp = report["start"]["test_start"]["protocol"] == "UDP"
    end = report["end"]
    total = end["sum"] if udp else end["sum_sent"]
    early = 0.0
    for interval in report["intervals"]:
        s = interval["sum"]
        start, stop = float(s["start"]), float(s["end"])
        if start >= early_limit or stop <= start:
            continue
        share = min(1.0, (early_limit - start) / (stop - start))
        early += s["bytes"] * share
    words = {
        "true_bytes": int(total["bytes"]),
        "early_bytes": int(round(early)),
        "retransmits": 0 if udp else int(total.get("retransmits", 0)),
        "datagrams": int(total.get("packets", 0)) if udp else 0,
        "payload": int(report["start"]["test_start"]["blksize"]) if udp else 0,
        "gen_seconds": f'{float(total["seconds"]):.3f}',
    }
    print(" ".join(f"{k}={v}" for k, v in words.items()))


if __name__ == "__main__":
    main()
