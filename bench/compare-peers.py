#!/usr/bin/env python3
"""Times twinseek-cli against the duplicate finders Debian packages on the same
trees, page cache warm, and checks that every tool reports the same files.

  compare-peers.py --cli build-release/twinseek-cli [--root /tmp/twsbench]
                   [--shapes mixed,samesize,bigfiles] [--runs 5] [--workers 1,2]

The trees come from shared/bench/make-dataset.py. Every tool is asked to treat
empty files and hard links as duplicates, as Twinseek does, and none follows
symbolic links. Prints one table: wall time median (min-max), the time as a multiple of the
SHA-1 floor, peak memory, and the groups and files reported. The floor is the
bytes of every file whose size is shared (from the tree's manifest) divided by
one core's SHA-1 speed, --sha1-rate GB/s: Twinseek digests every such file in full.
OpenSSL's speed on this machine is also measured in the same run and given as a
second floor, since the machine's speed drifts from one hour to the next.
"""
import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile


def parse_blank(text):
    groups, current = [], []
    for line in text.split("\n"):
        if line.strip() == "":
            if current:
                groups.append(current)
            current = []
        else:
            current.append(line)
    if current:
        groups.append(current)
    return groups


def parse_rdfind(text):
    by_id = {}
    for line in text.split("\n"):
        if not line or line.startswith("#"):
            continue
        parts = line.split(" ", 7)
        by_id.setdefault(abs(int(parts[1])), []).append(parts[7])
    return [g for g in by_id.values() if len(g) > 1]


def parse_twinseek(text):
    return [g["files"] for g in json.loads(text)]


def tools(cli, workers):
    """(name, argv builder, parser, output file or None)."""
    found = []
    for count in workers:
        extra = [] if count == 1 else ["--workers", str(count)]
        name = "twinseek" if count == 1 else "twinseek --workers %d" % count
        found.append((name, lambda root, out, extra=extra: [cli, "scan", "--compare", "all", "--format", "json", *extra, root],
                      parse_twinseek, None))
    if shutil.which("jdupes"):
        found.append(("jdupes", lambda root, out: ["jdupes", "-r", "-q", "-z", "-H", root], parse_blank, None))
    if shutil.which("fdupes"):
        found.append(("fdupes", lambda root, out: ["fdupes", "-r", "-q", "-H", root], parse_blank, None))
    if shutil.which("rmlint"):
        found.append(("rmlint", lambda root, out: ["rmlint", "--no-with-color", "-T", "df", "--hardlinked",
                                                   "-o", "fdupes:" + out, "-o", "summary:" + out + ".summary", root],
                      parse_blank, "file"))
    if shutil.which("rdfind"):
        found.append(("rdfind", lambda root, out: ["rdfind", "-ignoreempty", "false", "-removeidentinode", "false",
                                                   "-checksum", "sha1", "-outputname", out, root],
                      parse_rdfind, "file"))
    return found


def run_once(argv, out_file):
    timed = ["/usr/bin/time", "-f", "%e %M", "-o", out_file + ".time"] + argv
    proc = subprocess.run(timed, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    with open(out_file + ".time") as f:
        line = f.read().strip().split("\n")[-1]
    seconds, kib = line.split()
    return float(seconds), int(kib), proc.stdout, proc.returncode


def candidate_bytes(manifest):
    """Bytes of the regular files (hard links included) whose size another shares."""
    sizes = []
    with open(manifest) as f:
        for line in f:
            kind, _path, size = line.split("\t")[:3]
            if kind in ("f", "h"):
                sizes.append(int(size))
    count = {}
    for size in sizes:
        count[size] = count.get(size, 0) + 1
    return sum(size for size in sizes if count[size] > 1)


def measured_sha1_rate():
    """OpenSSL's SHA-1 speed on one core in GB/s, with 16384-byte updates, or None."""
    if not shutil.which("openssl"):
        return None
    proc = subprocess.run(["openssl", "speed", "-evp", "sha1", "-bytes", "16384", "-seconds", "3"],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    for line in proc.stdout.split("\n"):
        if line.startswith("sha1") and line.rstrip().endswith("k"):
            return float(line.split()[-1][:-1]) * 1e3 / 1e9
    return None


def normalise(groups):
    # A group is the set of files it holds, each known by device and inode:
    # tools differ in whether and which hard links of a file they list, not in
    # which files are copies of each other.
    def file_of(path):
        st = os.lstat(path)
        return (st.st_dev, st.st_ino)
    files = [frozenset(file_of(p) for p in g) for g in groups]
    return {f for f in files if len(f) > 1}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True)
    ap.add_argument("--root", default="/tmp/twsbench")
    ap.add_argument("--shapes", default="mixed,samesize,bigfiles")
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--workers", default="1")
    ap.add_argument("--sha1-rate", type=float, default=1.7, help="one core's SHA-1 speed in GB/s")
    a = ap.parse_args()
    workers = [int(w) for w in a.workers.split(",")]
    measured = measured_sha1_rate()
    if measured:
        print("OpenSSL SHA-1 on this machine now: %.2f GB/s" % measured, file=sys.stderr)
    work = tempfile.mkdtemp(prefix="tws-peers-")
    rows = []
    for shape in a.shapes.split(","):
        top = os.path.join(a.root, shape)
        if not os.path.isdir(top):
            sys.exit("missing tree %s: run make-dataset.py %s first" % (top, shape))
        candidates = candidate_bytes(os.path.join(a.root, shape + ".manifest.tsv"))
        floor = candidates / (a.sha1_rate * 1e9)
        floor_now = candidates / (measured * 1e9) if measured else None
        print("%-9s SHA-1 floor %.2f s" % (shape, floor), file=sys.stderr)
        reference = None
        for name, argv_of, parse, output_kind in tools(os.path.abspath(a.cli), workers):
            out = os.path.join(work, "%s-%s.out" % (shape, name.replace(" ", "_")))
            argv = argv_of(top, out)
            times, peaks = [], []
            text = ""
            for run in range(a.runs + 1):  # the first run warms the page cache
                if os.path.exists(out):
                    os.remove(out)
                seconds, kib, stdout, code = run_once(argv, out)
                if code != 0 and name.startswith("twinseek"):
                    sys.exit("%s failed on %s with status %d" % (name, shape, code))
                if run > 0:
                    times.append(seconds)
                    peaks.append(kib)
                text = open(out, errors="surrogateescape").read() if output_kind else stdout.decode(errors="surrogateescape")
            groups = normalise(parse(text))
            if reference is None:
                reference = groups
            same = "same" if groups == reference else "DIFFERENT (%d groups not shared)" % len(groups ^ reference)
            rows.append((shape, name, statistics.median(times), min(times), max(times), floor, floor_now, max(peaks) / 1024,
                         len(groups), sum(len(g) for g in groups), same))
            print("%-9s %-22s %7.2f s" % (shape, name, statistics.median(times)), file=sys.stderr)
    shutil.rmtree(work)
    now = "x floor at %.2f GB/s (OpenSSL now)" % measured if measured else "x floor (OpenSSL not found)"
    print("| shape | tool | wall s, median (min-max) | x floor at %.2f GB/s | %s | peak MiB | groups | files "
          "| same files as twinseek |" % (a.sha1_rate, now))
    print("|---|---|---|---|---|---|---|---|---|")
    for shape, name, med, lo, hi, floor, floor_now, mib, groups, files, same in rows:
        print("| %s | %s | %.2f (%.2f-%.2f) | %.2f | %s | %.0f | %d | %d | %s |"
              % (shape, name, med, lo, hi, med / floor, "%.2f" % (med / floor_now) if floor_now else "-",
                 mib, groups, files, same))

if __name__ == "__main__":
    main()
