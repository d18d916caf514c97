#!/usr/bin/env python3
"""Builds the trees the peer benchmark runs on, the same for a given shape,
seed and parameters on every run: paths, sizes, bytes, times, hard links and
symbolic links.

  make-tree.py SHAPE [--root /tmp/twsbench] [--name NAME] [--seed 1]
               [--set KEY=VALUE ...] [--jobs N] [--force]

Shapes (their parameters are in SHAPES below; --set changes one):
  mixed       about 50,000 files in 2,000 folders, most small, a few up to
              8 MiB; a fifth have copies elsewhere; decoy pairs of one size
              and one first 4 KiB that differ in one byte; hard and symbolic links
  samesize    20,000 distinct files of 64 KiB and 200 pairs of copies
  bigfiles    copies, decoys and single files of 64 to 256 MiB
  manycopies  many empty files and many copies of one small file

Beside the tree ROOT/NAME/ (NAME is the shape unless given) it writes
  NAME.manifest.tsv  per path: kind (f file, h hard link, l symbolic link),
                     path, size, SHA-1 in hex, link target
  NAME.groups.json   the duplicate groups a finder should report: files of
                     equal content, empty ones and hard links included,
                     links never: [{"size", "sha1", "files": [...]}, ...]
  NAME.summary.txt   counts, and the bytes a SHA-1 comparison must read:
                     candidate_bytes, every file whose size another shares;
                     screened_bytes, only those whose size, first 4 KiB and
                     (over 64 KiB) last 4 KiB another shares
Python 3 standard library only.
"""
import argparse
import hashlib
import json
import math
import os
import random
import shutil
import sys
import time
from collections import defaultdict
from multiprocessing import Pool

KIB = 1024
MIB = 1024 * KIB
SAMPLE = 4 * KIB        # the head and tail a screening reads
TAIL_FROM = 64 * KIB    # files over this also have their tail read
BLOCK = 1 * MIB         # content is made a block at a time
EPOCH = 1_500_000_000   # modification times count from here

SHAPES = {
    "mixed": dict(files=50000, folders=2000, depth=6, empty=0.01,
                  small_max=512 * KIB, large=0.013, large_max=8 * MIB,
                  copied=0.20, copies_max=3, same_name=0.5,
                  decoys=150, decoy_min=8 * KIB, decoy_max=1 * MIB,
                  hardlinks=50, symlinks=50),
    "samesize": dict(files=20000, size=64 * KIB, pairs=200, folders=100, depth=3),
    "bigfiles": dict(pairs=10, decoys=5, singles=10, size_min=64 * MIB, size_max=256 * MIB, folders=4, depth=1),
    "manycopies": dict(empty=200000, copies=100000, copy_size=700, per_folder=1000),
}
SUFFIXES = (".txt", ".png", ".jpg", ".so", ".py", ".json", ".gz", ".html", ".mp3", ".o")


class Draw:
    """Choices made from one seeded generator, in a fixed order."""

    def __init__(self, seed):
        self.rng = random.Random(seed)

    def chance(self, p):
        return self.rng.random() < p

    def index(self, n):
        return self.rng.randrange(n)

    def log_size(self, low, high):
        low = max(1, low)
        return min(high, int(math.exp(self.rng.uniform(math.log(low), math.log(high + 1)))))


class Content:
    """One distinct content: its size, its seed, and a byte to invert or None."""

    def __init__(self, key, size, flip=None):
        self.key, self.size, self.flip = key, size, flip


class Plan:
    def __init__(self):
        self.folders = [""]
        self.files = []      # (path, content)
        self.hardlinks = []  # (path, path of the file it names)
        self.symlinks = []   # (path, path of the file it points at)
        self.names = set()

    def folder_tree(self, draw, count, depth):
        """count folders, each under one picked from those not yet at depth."""
        open_parents = [("", 0)]
        for i in range(count):
            parent, level = open_parents[draw.index(len(open_parents))]
            path = os.path.join(parent, "dir%04d" % i)
            self.folders.append(path)
            if level + 1 < depth:
                open_parents.append((path, level + 1))

    def free_name(self, folder, name):
        stem, suffix = os.path.splitext(name)
        path, n = os.path.join(folder, name), 1
        while path in self.names:
            path, n = os.path.join(folder, "%s (%d)%s" % (stem, n, suffix)), n + 1
        self.names.add(path)
        return path

    def add(self, folder, name, content):
        path = self.free_name(folder, name)
        self.files.append((path, content))
        return path


def other_folder(draw, folders, not_this):
    while len(folders) > 1:
        folder = folders[draw.index(len(folders))]
        if folder != not_this:
            return folder
    return folders[0]


def plan_mixed(draw, p, seed):
    plan = Plan()
    plan.folder_tree(draw, p["folders"], p["depth"])
    folders = plan.folders[1:] or [""]
    average_copies = (1 + p["copies_max"]) / 2
    originals = int((p["files"] - 2 * p["decoys"]) / (1 + (1 - p["empty"]) * p["copied"] * average_copies))
    made = []
    for i in range(originals):
        if draw.chance(p["empty"]):
            size = 0
        elif draw.chance(p["large"]):
            size = draw.log_size(p["small_max"], p["large_max"])
        else:
            size = draw.log_size(1, p["small_max"])
        content = Content("%d/mixed/%d" % (seed, i), size)
        folder = folders[draw.index(len(folders))]
        name = "file%06d%s" % (i, SUFFIXES[draw.index(len(SUFFIXES))])
        made.append((plan.add(folder, name, content), folder, name, content))
    for path, folder, name, content in list(made):
        if content.size == 0 or not draw.chance(p["copied"]):
            continue
        for k in range(1 + draw.index(p["copies_max"])):
            copy_name = name if draw.chance(p["same_name"]) else "copy%d-%s" % (k + 1, name)
            plan.add(other_folder(draw, folders, folder), copy_name, content)
    # Decoys: one size and one first 4 KiB, then one byte differs: half in
    # the middle (the last 4 KiB alike too), half at the very end.
    for j in range(p["decoys"]):
        size = draw.log_size(p["decoy_min"], p["decoy_max"])
        flip = size // 2 if j % 2 == 0 else size - 1
        key = "%d/mixed/decoy%d" % (seed, j)
        for tag, content in (("a", Content(key, size)), ("b", Content(key, size, flip))):
            plan.add(folders[draw.index(len(folders))], "decoy%04d%s.bin" % (j, tag), content)
    nonempty = [m for m in made if m[3].size > 0]
    for j in range(p["hardlinks"]):
        path, folder, name, _ = nonempty[draw.index(len(nonempty))]
        plan.hardlinks.append((plan.free_name(other_folder(draw, folders, folder), "hard%04d-%s" % (j, name)), path))
    for j in range(p["symlinks"]):
        path, folder, name, _ = nonempty[draw.index(len(nonempty))]
        plan.symlinks.append((plan.free_name(other_folder(draw, folders, folder), "link%04d-%s" % (j, name)), path))
    return plan


def plan_samesize(draw, p, seed):
    plan = Plan()
    plan.folder_tree(draw, p["folders"], p["depth"])
    folders = plan.folders
    for i in range(p["files"]):
        plan.add(folders[draw.index(len(folders))], "unique%06d.dat" % i, Content("%d/samesize/%d" % (seed, i), p["size"]))
    for j in range(p["pairs"]):
        content = Content("%d/samesize/pair%d" % (seed, j), p["size"])
        folder = folders[draw.index(len(folders))]
        plan.add(folder, "pair%04d-a.dat" % j, content)
        plan.add(other_folder(draw, folders, folder), "pair%04d-b.dat" % j, content)
    return plan


def plan_bigfiles(draw, p, seed):
    plan = Plan()
    plan.folder_tree(draw, p["folders"], p["depth"])
    folders = plan.folders
    taken = set()

    def new_size():
        while True:
            size = draw.log_size(p["size_min"], p["size_max"])
            if size not in taken:
                taken.add(size)
                return size

    for j in range(p["pairs"]):
        content = Content("%d/bigfiles/pair%d" % (seed, j), new_size())
        folder = folders[draw.index(len(folders))]
        plan.add(folder, "pair%02d-a.bin" % j, content)
        plan.add(other_folder(draw, folders, folder), "pair%02d-b.bin" % j, content)
    for j in range(p["decoys"]):
        size = new_size()
        flip = size // 2 if j % 2 == 0 else size - 1
        key = "%d/bigfiles/decoy%d" % (seed, j)
        plan.add(folders[draw.index(len(folders))], "decoy%02d-a.bin" % j, Content(key, size))
        plan.add(folders[draw.index(len(folders))], "decoy%02d-b.bin" % j, Content(key, size, flip))
    for j in range(p["singles"]):
        plan.add(folders[draw.index(len(folders))], "single%02d.bin" % j, Content("%d/bigfiles/single%d" % (seed, j), new_size()))
    return plan


def plan_manycopies(draw, p, seed):
    plan = Plan()
    total = p["empty"] + p["copies"]
    plan.folders += ["dir%04d" % i for i in range((total + p["per_folder"] - 1) // p["per_folder"])]
    empty = Content("%d/manycopies/empty" % seed, 0)
    copy = Content("%d/manycopies/copy" % seed, p["copy_size"])
    # Empty files and copies interleaved evenly, so every folder holds both.
    for i in range(total):
        folder = plan.folders[1 + i // p["per_folder"]]
        if i * p["copies"] // total != (i + 1) * p["copies"] // total:
            plan.add(folder, "__init__%06d.py" % i, copy)
        else:
            plan.add(folder, "empty%06d" % i, empty)
    return plan


PLANS = {"mixed": plan_mixed, "samesize": plan_samesize, "bigfiles": plan_bigfiles, "manycopies": plan_manycopies}


def content_bytes(content):
    """The bytes of a content, made a block at a time: a random block per
    content, each copy of it led by its own number so no two blocks match."""
    if content.size == 0:
        return b""
    base = hashlib.shake_128(content.key.encode()).digest(min(BLOCK, content.size))
    parts = []
    for number, start in enumerate(range(0, content.size, BLOCK)):
        block = base[:min(BLOCK, content.size - start)]
        if number:
            stamp = number.to_bytes(8, "little")
            block = stamp + block[len(stamp):] if len(block) > len(stamp) else block
        parts.append(block)
    data = bytearray(b"".join(parts))
    if content.flip is not None:
        data[content.flip] ^= 0xFF
    return bytes(data)


def write_content(job):
    """Writes one content under every path given; returns its SHA-1 and the
    hash of the samples a screening reads."""
    top, content, paths = job
    data = content_bytes(content)
    sample = data if len(data) <= SAMPLE else data[:SAMPLE] + (data[-SAMPLE:] if len(data) > TAIL_FROM else b"")
    for path, mtime in paths:
        full = os.path.join(top, path)
        with open(full, "wb") as out:
            out.write(data)
        os.utime(full, (mtime, mtime))
    return id_of(content), hashlib.sha1(data).hexdigest(), hashlib.sha1(sample).hexdigest()


def id_of(content):
    return (content.key, content.flip)


def build(shape, name, root, seed, overrides, jobs, force):
    params = dict(SHAPES[shape])
    for key, value in overrides.items():
        if key not in params:
            sys.exit("%s has no parameter %r (it has %s)" % (shape, key, ", ".join(sorted(params))))
        params[key] = type(params[key])(value)
    draw = Draw("%d:%s" % (seed, shape))
    plan = PLANS[shape](draw, params, seed)
    top = os.path.join(root, name)
    if os.path.lexists(top):
        if not force:
            sys.exit("%s is there already; --force builds it anew" % top)
        shutil.rmtree(top)
    started = time.time()
    for folder in plan.folders:
        os.makedirs(os.path.join(top, folder), exist_ok=True)
    by_content = {}
    for path, content in plan.files:
        by_content.setdefault(id_of(content), (content, []))[1].append((path, EPOCH + draw.index(50_000_000)))
    work = sorted(((top, content, paths) for content, paths in by_content.values()), key=lambda job: -job[1].size)
    digests = {}
    with Pool(jobs) as pool:
        for key, sha1, sample in pool.imap_unordered(write_content, work, chunksize=16):
            digests[key] = (sha1, sample)
    content_of = dict(plan.files)
    for path, target in plan.hardlinks:
        os.link(os.path.join(top, target), os.path.join(top, path))
    for path, target in plan.symlinks:
        os.symlink(os.path.relpath(target, os.path.dirname(path) or "."), os.path.join(top, path))
    write_outputs(top, shape, seed, params, plan, content_of, digests)
    print("built %s (%d files) in %.1f s" % (top, len(plan.files), time.time() - started))


def write_outputs(top, shape, seed, params, plan, content_of, digests):
    rows = []  # kind, path, content
    rows += [("f", path, content) for path, content in plan.files]
    rows += [("h", path, content_of[target]) for path, target in plan.hardlinks]
    manifest = [(kind, path, content.size, digests[id_of(content)][0], "") for kind, path, content in rows]
    manifest += [("l", path, content_of[target].size, digests[id_of(content_of[target])][0], target)
                 for path, target in plan.symlinks]
    manifest.sort(key=lambda row: row[1])
    with open(top + ".manifest.tsv", "w") as out:
        out.writelines("%s\t%s\t%d\t%s\t%s\n" % row for row in manifest)

    groups = defaultdict(list)
    per_size = defaultdict(int)
    per_sample = defaultdict(int)
    for kind, path, content in rows:
        sha1, sample = digests[id_of(content)]
        groups[(content.size, sha1)].append(path)
        per_size[content.size] += 1
        per_sample[(content.size, sample)] += 1
    found = [{"size": size, "sha1": sha1, "files": sorted(paths)}
             for (size, sha1), paths in sorted(groups.items(), key=lambda item: (-item[0][0], item[0][1]))
             if len(paths) > 1]
    with open(top + ".groups.json", "w") as out:
        json.dump(found, out, indent=0)
    candidate = sum(c.size for _, _, c in rows if per_size[c.size] > 1)
    screened = sum(c.size for _, _, c in rows if per_sample[(c.size, digests[id_of(c)][1])] > 1)
    lines = ["shape %s seed %d %s" % (shape, seed, " ".join("%s=%s" % kv for kv in sorted(params.items()))),
             "files %d" % len(plan.files), "hardlinks %d" % len(plan.hardlinks), "symlinks %d" % len(plan.symlinks),
             "folders %d" % (len(plan.folders) - 1),
             "bytes %d" % sum(c.size for _, c in plan.files),
             "groups %d" % len(found), "grouped_files %d" % sum(len(g["files"]) for g in found),
             "candidate_bytes %d" % candidate, "screened_bytes %d" % screened]
    with open(top + ".summary.txt", "w") as out:
        out.write("\n".join(lines) + "\n")
    print("\n".join(lines))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("shape", choices=sorted(SHAPES))
    parser.add_argument("--root", default="/tmp/twsbench")
    parser.add_argument("--name", help="folder name of the tree (the shape's by default)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--set", action="append", default=[], metavar="KEY=VALUE")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1, help="processes writing files")
    parser.add_argument("--force", action="store_true", help="remove the tree first if it is there")
    args = parser.parse_args()
    overrides = dict(item.split("=", 1) for item in args.set)
    os.makedirs(args.root, exist_ok=True)
    build(args.shape, args.name or args.shape, args.root, args.seed, overrides, args.jobs, args.force)


if __name__ == "__main__":
    main()
