#!/usr/bin/env python3
"""Our JPEG decoder (natively built jpeg_bench) against djpeg on the same
files at scales 1, 1/2, 1/4 and 1/8: both timed as whole processes (read the
file, decode, end), best of N runs each, and the ratio ours / djpeg beside
its goal. Both hand their rows on as they come: djpeg writes them out, and
ours runs with --rows, the way the logon run decodes a picture it shrinks,
copying each row out as a writer would. The time is the processes' CPU time (user and system, from
wait4): on a machine shared with other work the wall-clock time mostly
measures the others.

Usage: decoder_ratio.py <jpeg_bench> <goal> <runs> <file.jpg>...
"""
import os
import subprocess
import sys


def best_of(command, runs):
    best = float("inf")
    for _ in range(runs):
        child = subprocess.Popen(command, stdout=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = os.waitstatus_to_exitcode(status)
        if child.returncode != 0:
            raise SystemExit(f"{command[0]} failed on {command[-1]}")
        best = min(best, usage.ru_utime + usage.ru_stime)
    return best


def main():
    if len(sys.argv) < 5:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    bench, goal, runs, files = sys.argv[1], float(sys.argv[2]), int(sys.argv[3]), sys.argv[4:]
    worst = 0.0
    for path in files:
        name = path.rsplit("/", 1)[-1]
        for scale in (1, 2, 4, 8):
            djpeg = best_of(["djpeg", "-scale", f"1/{scale}", "-outfile", "/dev/null", path], runs)
            ours = best_of([bench, "--rows", path, str(scale), "1"], runs)
            ratio = ours / djpeg
            worst = max(worst, ratio)
            verdict = "met" if ratio <= goal else "NOT MET"
            print(f"  decoder {name:<20} 1/{scale}  ours {ours * 1000:7.1f} ms  djpeg {djpeg * 1000:7.1f} ms"
                  f"  {ratio:6.2f}x  goal <= {goal:.2f}x  {verdict}")
    print(f"  decoder / djpeg, the worst of those        {worst:6.2f}x  goal <= {goal:.2f}x  "
          f"{'met' if worst <= goal else 'NOT MET'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
