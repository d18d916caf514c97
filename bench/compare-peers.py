#!/usr/bin/env python3
"""Times twinseek-cli against the duplicate finders Debian packages on the same
trees, page cache warm and cold, and checks every tool's groups against the
groups the tree was built with.

  compare-peers.py --cli build-release/twinseek-cli [--root /tmp/twsbench]
                   [--shapes mixed,samesize,bigfiles,manycopies-half,manycopies]
                   [--runs 3] [--variants "--full;--workers 1"] [--no-cold]
                   [--peers jdupes,fdupes,rmlint,rdfind] [--timeout 300]

Missing trees of the names in TREES are built with bench/make-tree.py; any
other tree built there with make-tree.py --name can be named too. Every tool is asked to treat
empty files as duplicates, as Twinseek does (rmlint cannot count empty files as
duplicates: its groups are checked without them), and none follows symbolic
links. Groups are checked as groups of files on disk: a file with several
names (hard links) counts once, as Twinseek lists it. Warm: one run to fill the page cache, then --runs timed
runs. Cold: --runs runs, each after `sync; echo 3 > /proc/sys/vm/drop_caches`,
which needs root; without it the cold runs are skipped with a message.

Prints one table: wall time median (min-max) warm and cold, the processor
time (user and system, all threads) of a warm run, which a machine busy with
other work changes less than the wall time, the warm median as a multiple of
the SHA-1 floor, the peak memory (largest of all runs), the
groups and files reported and whether they are the tree's. The floor is the
time OpenSSL's SHA-1, measured in the same run, takes over every processor
for the bytes a SHA-1 comparison must read whole: the files whose size, first
4 KiB and (over 64 KiB) last 4 KiB another file shares (the tree's
screened_bytes). Below the table: how the many-copies time grows with the tree.
"""
import argparse
import json
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile

from benchtools import drop_page_cache

HERE = os.path.dirname(os.path.abspath(__file__))

# Tree name: make-tree.py arguments.
TREES = {
    "mixed": ["mixed"],
    "samesize": ["samesize"],
    "bigfiles": ["bigfiles"],
    "manycopies": ["manycopies"],  # 200,000 empty files and 100,000 copies of one
    "manycopies-half": ["manycopies", "--set", "empty=100000", "--set", "copies=50000"],
}


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


class Tool:
    def __init__(self, name, argv, parse, output_file=False, counts_empty=True):
        self.name, self.argv, self.parse = name, argv, parse
        self.output_file, self.counts_empty = output_file, counts_empty


def tools(cli, variants, peers):
    found = [Tool("twinseek" + (" " + v if v else ""),
                  lambda top, out, v=v: [cli, "scan", "--format", "json", *v.split(), top], parse_twinseek)
             for v in [""] + variants]
    known = {
        "jdupes": Tool("jdupes", lambda top, out: ["jdupes", "-r", "-q", "-z", "-H", top], parse_blank),
        "fdupes": Tool("fdupes", lambda top, out: ["fdupes", "-r", "-q", "-H", top], parse_blank),
        "rmlint": Tool("rmlint", lambda top, out: ["rmlint", "--no-with-color", "-T", "df", "--hardlinked",
                                                   "-o", "fdupes:" + out, "-o", "summary:" + out + ".summary", top],
                       parse_blank, output_file=True, counts_empty=False),
        "rdfind": Tool("rdfind", lambda top, out: ["rdfind", "-ignoreempty", "false", "-removeidentinode", "false",
                                                   "-checksum", "sha1", "-outputname", out, top],
                       parse_rdfind, output_file=True),
    }
    for name in peers:
        if shutil.which(name):
            found.append(known[name])
        else:
            print("%s is not installed: left out" % name, file=sys.stderr)
    return found


def run_once(argv, out, timeout, work):
    """Wall seconds, peak KiB, exit status and processor seconds of one run, or None past the timeout."""
    timed = ["/usr/bin/time", "-f", "%e %M %U %S", "-o", out + ".time"] + argv
    with open(out + ".stdout", "wb") as stdout:
        proc = subprocess.Popen(timed, stdout=stdout, stderr=subprocess.DEVNULL, cwd=work, start_new_session=True)
        try:
            code = proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()
            return None
    with open(out + ".time") as f:
        seconds, kib, user, system = f.read().strip().split("\n")[-1].split()
    return float(seconds), int(kib), code, float(user) + float(system)


def measured_sha1_rate():
    """OpenSSL's SHA-1 speed on one processor in GB/s, with 16384-byte updates, or None."""
    if not shutil.which("openssl"):
        return None
    proc = subprocess.run(["openssl", "speed", "-evp", "sha1", "-bytes", "16384", "-seconds", "3"],
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    for line in proc.stdout.split("\n"):
        if line.startswith("sha1") and line.rstrip().endswith("k"):
            return float(line.split()[-1][:-1]) * 1e3 / 1e9
    return None


def read_summary(path):
    values = {}
    with open(path) as f:
        for line in f:
            key, _, value = line.strip().partition(" ")
            values[key] = value
    return values


def expected_groups(path):
    with open(path) as f:
        return [(g["size"], frozenset(g["files"])) for g in json.load(f)]


def files_on_disk(top, groups):
    """Groups of paths as groups of the files they name (device and inode), so
    that a tool listing a file's several names as a group and one listing the
    file once are judged alike; a group of one file is no group."""
    def identity(path):
        status = os.lstat(os.path.join(top, path))
        return (status.st_dev, status.st_ino)
    result = set()
    for group in groups:
        files = frozenset(identity(path) for path in group)
        if len(files) > 1:
            result.add(files)
    return result


def ensure_tree(root, name):
    if os.path.exists(os.path.join(root, name + ".summary.txt")):
        return
    if name not in TREES:
        sys.exit("no tree %s under %s: build it with make-tree.py --name %s" % (name, root, name))
    print("building %s under %s" % (name, root), file=sys.stderr)
    subprocess.run([sys.executable, os.path.join(HERE, "make-tree.py"), *TREES[name], "--root", root, "--name", name,
                    "--force"], check=True, stdout=subprocess.DEVNULL)


def measure(tool, top, work, runs, cold, timeout):
    """Times warm and (if cold) cold; returns (warm times, cold times, peak KiB, groups or None, warm
    processor seconds)."""
    out = os.path.join(work, tool.name.replace(" ", "_").replace("-", ""))
    argv = tool.argv(top, out)
    warm, chilled, peaks, text, processor = [], [], [], None, []
    plan = [("warm", False)] * (runs + 1) + ([("cold", True)] * runs if cold else [])
    for i, (kind, drop) in enumerate(plan):
        for leftover in (out, out + ".summary"):
            if os.path.exists(leftover):
                os.remove(leftover)
        if drop:
            drop_page_cache()
        result = run_once(argv, out, timeout, work)
        if result is None:
            (warm if kind == "warm" else chilled).append(None)
            if kind == "warm":
                break
            continue
        seconds, kib, code, busy = result
        if code != 0 and tool.name.startswith("twinseek"):
            sys.exit("%s failed on %s with status %d" % (tool.name, top, code))
        if i == 0:
            continue  # fills the page cache
        (warm if kind == "warm" else chilled).append(seconds)
        peaks.append(kib)
        if kind == "warm":
            processor.append(busy)
        if text is None:
            with open(out if tool.output_file else out + ".stdout", errors="surrogateescape") as f:
                text = f.read()
    groups = None
    if text is not None:
        groups = {frozenset(os.path.relpath(p, top) for p in g) for g in tool.parse(text) if len(g) > 1}
    return warm, chilled, (max(peaks) if peaks else None), groups, processor


def spread(times, timeout):
    if not times:
        return "-"
    if None in times:
        return "over %d s" % timeout
    return "%.2f (%.2f-%.2f)" % (statistics.median(times), min(times), max(times))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True)
    ap.add_argument("--root", default="/tmp/twsbench")
    ap.add_argument("--shapes", default="mixed,samesize,bigfiles,manycopies-half,manycopies")
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--variants", default="", help="further twinseek-cli options to time, separated by ';'")
    ap.add_argument("--peers", default="jdupes,fdupes,rmlint,rdfind")
    ap.add_argument("--no-cold", action="store_true")
    ap.add_argument("--timeout", type=int, default=300, help="seconds a run may take before it is stopped")
    a = ap.parse_args()
    variants = [v.strip() for v in a.variants.split(";") if v.strip()]
    processors = len(os.sched_getaffinity(0))
    cold = not a.no_cold and drop_page_cache()
    if not a.no_cold and not cold:
        print("cold runs skipped: the page cache can be dropped only by root", file=sys.stderr)
    rate = measured_sha1_rate() or 1.7
    print("SHA-1 (OpenSSL, one processor): %.2f GB/s; %d processors" % (rate, processors), file=sys.stderr)
    shapes = a.shapes.split(",")
    for shape in shapes:
        ensure_tree(a.root, shape)
    work = tempfile.mkdtemp(prefix="tws-peers-")
    rows, medians = [], {}
    for shape in shapes:
        top = os.path.join(a.root, shape)
        summary = read_summary(top + ".summary.txt")
        floor = int(summary["screened_bytes"]) / (rate * 1e9 * processors)
        expected = expected_groups(top + ".groups.json")
        print("%s: %s files, floor %.2f s" % (shape, summary["files"], floor), file=sys.stderr)
        for tool in tools(os.path.abspath(a.cli), variants, a.peers.split(",")):
            warm, chilled, peak, groups, processor = measure(tool, top, work, a.runs, cold, a.timeout)
            want = files_on_disk(top, {files for size, files in expected if tool.counts_empty or size > 0})
            if groups is None:
                verdict = "-"
            elif files_on_disk(top, groups) == want:
                verdict = "yes"
            else:
                found = files_on_disk(top, groups)
                verdict = "no: %d missing, %d not expected" % (len(want - found), len(found - want))
            usable = warm and None not in warm
            medians[(shape, tool.name)] = (statistics.median(warm) if usable else None,
                                           statistics.median(chilled) if chilled and None not in chilled else None)
            rows.append((shape, tool.name, spread(warm, a.timeout), spread(chilled, a.timeout),
                         "%.2f" % statistics.median(processor) if usable else "-",
                         "%.2f" % (statistics.median(warm) / floor) if usable and floor > 0 else "-",
                         "%.0f" % (peak / 1024) if peak else "-",
                         len(groups) if groups is not None else "-",
                         sum(len(g) for g in groups) if groups is not None else "-", verdict))
            print("  %-24s warm %s  cold %s" % (tool.name, rows[-1][2], rows[-1][3]), file=sys.stderr)
    shutil.rmtree(work)
    print("| tree | tool | warm s, median (min-max) | cold s, median (min-max) | warm processor s "
          "| warm x SHA-1 floor | peak MiB | groups | files | groups as built |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for row in rows:
        print("| %s |" % " | ".join(str(cell) for cell in row))
    if "manycopies" in shapes and "manycopies-half" in shapes:
        print()
        for name in sorted({tool for _, tool in medians}):
            whole, half = medians.get(("manycopies", name)), medians.get(("manycopies-half", name))
            if not whole or not half:
                continue
            ratios = ["%s %.2fx" % (kind, w / h) for kind, w, h in zip(("warm", "cold"), whole, half) if w and h]
            if ratios:
                print("many copies, twice the files: %s takes %s the time" % (name, ", ".join(ratios)))


if __name__ == "__main__":
    main()
