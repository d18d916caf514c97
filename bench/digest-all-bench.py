#!/usr/bin/env python3
"""Times `twinseek-cli scan --digest-all --save DOC` against the default
`scan --save DOC` of a tree, whole processes with the page cache warm: one run
of each to fill the cache, then --runs runs taken in turns. Prints the median
and range of the wall and processor seconds and of the peak memory, and what
each document holds digested (files and bytes).

  digest-all-bench.py --cli build-release/twinseek-cli --tree DIR [--runs 5]
"""
import argparse
import os
import shutil
import statistics
import tempfile

from benchtools import FINISHED, run, shown, tws_file_records

UNOPENABLE = b"File can not to be opened!"


def digested(path):
    """(files, bytes) of the file records of a .tws document that carry a digest."""
    records = [r for r in tws_file_records(path) if r[2] == FINISHED and r[4] and r[4] != UNOPENABLE]
    return len(records), sum(r[1] for r in records)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--tree", required=True)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()
    cli = os.path.abspath(args.cli)
    tree = os.path.realpath(args.tree)
    work = tempfile.mkdtemp(prefix="digest-all-bench-")
    try:
        commands = [("scan (default)", [cli, "scan", "--save", os.path.join(work, "default.tws"), tree]),
                    ("scan --digest-all", [cli, "scan", "--digest-all", "--save", os.path.join(work, "all.tws"), tree])]
        for _, argv in commands:
            run(argv)
        samples = [[] for _ in commands]
        for _ in range(args.runs):
            for index, (_, argv) in enumerate(commands):
                samples[index].append(run(argv))
        print("%s, %d warm runs each, median (min-max)" % (tree, args.runs))
        print("%-18s %-26s %-26s %-22s %s" % ("", "wall s", "processor s", "peak MiB", "digested"))
        for (name, argv), runs in zip(commands, samples):
            files, size = digested(argv[3] if argv[2] == "--save" else argv[4])
            print("%-18s %-26s %-26s %-22s %d files, %.2f GB" % (
                name, shown(runs, 0), shown(runs, 1), shown(runs, 2, 1024 * 1024, "%.0f"), files, size / 1e9))
        ratio = statistics.median(s[0] for s in samples[1]) / statistics.median(s[0] for s in samples[0])
        print("--digest-all takes %.2f times the default scan's wall time" % ratio)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
