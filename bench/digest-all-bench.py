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
import struct
import subprocess
import tempfile
import time

FINISHED = 3
UNOPENABLE = b"File can not to be opened!"


def run(argv):
    """Wall seconds, processor seconds and peak resident bytes of one run."""
    start = time.perf_counter()
    child = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        raise RuntimeError("%s failed: %d" % (" ".join(argv), status))
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss * 1024


def digested(path):
    """(files, bytes) of the file records of a .tws document that carry a digest."""
    with open(path, "rb") as f:
        data = f.read()
    at = 4
    files = size_sum = 0

    def line():
        nonlocal at
        end = data.index(b"\n", at)
        text = data[at:end]
        at = end + 1
        return text

    def item():
        nonlocal at
        words = struct.unpack_from("<9I", data, at)
        at += 36
        line()
        line()
        state = struct.unpack_from("<i", data, at)[0]
        at += 4
        return (words[7] << 32) | words[8], state

    def folder():
        nonlocal at, files, size_sum
        count = struct.unpack_from("<i", data, at)[0]
        at += 4
        for _ in range(max(count, 0)):
            item()
            folder()
        count = struct.unpack_from("<i", data, at)[0]
        at += 4
        for _ in range(max(count, 0)):
            size, state = item()
            at += 4
            digest = line()
            if state == FINISHED and digest and digest != UNOPENABLE:
                files += 1
                size_sum += size

    item()
    folder()
    return files, size_sum


def shown(samples, part, scale=1.0, form="%.3f"):
    values = [sample[part] / scale for sample in samples]
    return (form + " (" + form + "-" + form + ")") % (statistics.median(values), min(values), max(values))


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
