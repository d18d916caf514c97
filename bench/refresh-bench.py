#!/usr/bin/env python3
"""Times `twinseek-cli open DOC --refresh` of a tree against `scan --compare
none` and `scan --compare all` of it, and tells which regular files of the
tree the refresh opens: none while the tree is unchanged, and after a share of
its files were rewritten (half at their length, half longer) only those and
the files of their sizes that the document holds without a digest.

  refresh-bench.py --cli build-release/twinseek-cli --tree DIR [--runs 5]
                   [--no-cold] [--changed 0.01] [--seed 7]

DOC is what `scan --compare all --save DOC` writes. Times are of whole
processes: warm, one run to fill the page cache and then --runs timed runs;
cold, --runs runs each after `sync; echo 3 > /proc/sys/vm/drop_caches`, which
needs root (else they are left out). Opens are counted with
`strace -f -e trace=openat,open`. The rewritten files are put back, bytes and
times, before the script ends; TREE.dirty marks a tree left changed.
"""
import argparse
import codecs
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile

from benchtools import FINISHED, LINK_ATTRIBUTE, drop_page_cache, run, shown, tws_file_records

OPEN_CALL = re.compile(r'open(?:at)?\((?:[^,"]+, )?"((?:[^"\\]|\\.)*)", ([A-Z_|0-9]+)[^)]*\) = (-?\d+)')


def rounds(commands, runs, cold):
    """Per command, the (wall, processor, peak bytes) of runs runs, taken in turns
    so that other work on the machine weighs on each alike; None when the
    page cache cannot be dropped."""
    if not cold:
        for argv in commands:
            run(argv)
    result = [[] for _ in commands]
    for _ in range(runs):
        for index, argv in enumerate(commands):
            if cold and not drop_page_cache():
                return None
            result[index].append(run(argv))
    return result


def ratio(samples, over, part=0):
    return statistics.median(s[part] for s in samples) / statistics.median(s[part] for s in over)


def opened_regular_files(argv, tree, work):
    """The regular files under tree that a run of argv opened."""
    traces = os.path.join(work, "traces")
    shutil.rmtree(traces, ignore_errors=True)
    os.mkdir(traces)
    # One file per thread, so that no call is split across lines.
    subprocess.run(["strace", "-f", "-ff", "-qq", "-e", "trace=openat,open", "-o", os.path.join(traces, "t")] + argv,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    lines = []
    for name in os.listdir(traces):
        with open(os.path.join(traces, name), encoding="latin-1") as f:
            lines.extend(f)
    opened = set()
    for line in lines:
        match = OPEN_CALL.search(line)
        if not match or int(match.group(3)) < 0 or "O_DIRECTORY" in match.group(2):
            continue
        path = os.fsdecode(codecs.escape_decode(match.group(1).encode("latin-1"))[0])
        if path.startswith(tree + "/") and os.path.isfile(path) and not os.path.islink(path):
            opened.add(path)
    return opened


def read_document(path):
    """Every file record of a .tws document that is no symbolic link (links
    are never opened): full path -> (size, state)."""
    return {os.fsdecode(name): (size, state)
            for name, size, state, attributes, _ in tws_file_records(path) if not attributes & LINK_ATTRIBUTE}


def rewrite_share(tree, share, seed, backup):
    """Rewrites share of the tree's files of one name with new bytes, every
    other one at its length; returns {path: new size}. Originals go to backup."""
    paths = []
    for folder, _, names in os.walk(tree):
        for name in names:
            path = os.path.join(folder, name)
            status = os.lstat(path)
            if os.path.isfile(path) and not os.path.islink(path) and status.st_nlink == 1:
                paths.append(path)
    paths.sort()
    draw = random.Random(seed)
    chosen = draw.sample(paths, max(1, round(share * len(paths))))
    changed = {}
    for index, path in enumerate(chosen):
        shutil.copy2(path, os.path.join(backup, str(index)))
        size = os.path.getsize(path)
        if index % 2:
            size += 1 + draw.randrange(100)
        with open(path, "wb") as f:
            f.write(draw.randbytes(size))
        changed[path] = size
    return changed, chosen


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--tree", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--no-cold", action="store_true")
    parser.add_argument("--changed", type=float, default=0.01, help="share of the files rewritten")
    parser.add_argument("--seed", type=int, default=7)
    args = parser.parse_args()
    cli = os.path.abspath(args.cli)
    tree = os.path.realpath(args.tree)
    work = tempfile.mkdtemp(prefix="refresh-bench-")
    document = os.path.join(work, "doc.tws")
    try:
        run([cli, "scan", "--compare", "all", "--save", document, tree])
        catalogued = read_document(document)
        commands = [("scan --compare all", [cli, "scan", "--compare", "all", tree]),
                    ("scan --compare none", [cli, "scan", "--compare", "none", tree]),
                    ("open DOC --refresh", [cli, "open", document, "--refresh"])]
        # The two to compare take turns; the full comparison, which reads the
        # tree's bytes, runs apart.
        def measure(cold):
            paired = rounds([commands[1][1], commands[2][1]], args.runs, cold)
            full = rounds([commands[0][1]], args.runs, cold)
            return None if paired is None or full is None else full + paired
        warm = measure(False)
        cold = None if args.no_cold else measure(True)
        unchanged_opens = opened_regular_files(commands[2][1], tree, work)

        backup = os.path.join(work, "originals")
        os.mkdir(backup)
        open(tree + ".dirty", "w").close()
        try:
            changed, chosen = rewrite_share(tree, args.changed, args.seed, backup)
            changed_opens = opened_regular_files(commands[2][1], tree, work)
            changed_times = rounds([commands[1][1], commands[2][1]], args.runs, False)[1]
        finally:
            for index, path in enumerate(chosen):
                os.replace(os.path.join(backup, str(index)), path)
            os.remove(tree + ".dirty")

        new_sizes = set(changed.values())
        uncompared = {path for path, (size, state) in catalogued.items()
                      if size in new_sizes and state != FINISHED and path not in changed}
        same_length = sum(1 for index in range(len(chosen)) if index % 2 == 0)
        print("tree %s: %d files catalogued (links left out); %d timed runs each" % (tree, len(catalogued), args.runs))
        print("%-24s %-26s %-26s %s" % ("seconds, median (min-max)", "warm, wall", "warm, processor", "cold, wall"))
        for index, (name, _) in enumerate(commands):
            print("%-24s %-26s %-26s %s" % (name, shown(warm[index]), shown(warm[index], 1),
                                            shown(cold[index]) if cold else "-"))
        print("%-24s %-26s %-26s %s" % ("open DOC --refresh, 1 %", shown(changed_times), shown(changed_times, 1),
                                        "(the files below rewritten)"))
        print("open DOC --refresh / scan --compare none: warm wall %.2f, warm processor %.2f"
              % (ratio(warm[2], warm[1]), ratio(warm[2], warm[1], 1)), end="")
        print(", cold wall %.2f" % ratio(cold[2], cold[1]) if cold else "")
        print("regular files of the tree opened by the refresh, unchanged tree: %d" % len(unchanged_opens))
        for path in sorted(unchanged_opens)[:10]:
            print("  " + path)
        print("after rewriting %d files (%d at their length, %d longer):" % (len(changed), same_length,
                                                                          len(changed) - same_length))
        outside = changed_opens - set(changed) - uncompared
        print("  opened %d: %d of the rewritten, %d not compared before of their new sizes (of %d), %d others"
              % (len(changed_opens), len(changed_opens & set(changed)), len(changed_opens & uncompared),
                 len(uncompared), len(outside)))
        for path in sorted(outside)[:10]:
            print("  other: " + path)
        for path in sorted(changed_opens)[:20]:
            print("  opened: %s%s" % (path, "" if path in changed else "  (not compared before)"))
        return 1 if unchanged_opens or outside else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
