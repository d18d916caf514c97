"""What the Python benchmarks share: whole-process runs with their times and
peak memory, the page cache dropped, median and range, and the file records of
a .tws document read back."""
import os
import statistics
import struct
import subprocess
import time

FINISHED = 3
LINK_ATTRIBUTE = 0x400


def drop_page_cache():
    """True when the page cache was dropped (root only)."""
    try:
        os.sync()
        with open("/proc/sys/vm/drop_caches", "w") as f:
            f.write("3\n")
        return True
    except OSError:
        return False


def run(argv):
    """Wall seconds, processor seconds (user and system, all threads) and peak
    resident bytes of one run; its output is thrown away."""
    start = time.perf_counter()
    child = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    if status != 0:
        raise RuntimeError("%s failed: %d" % (" ".join(argv), status))
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss * 1024


def shown(samples, part=0, scale=1.0, form="%.3f"):
    """Median (min-max) of one part of the samples; "-" when there are none."""
    if not samples:
        return "-"
    values = [sample[part] / scale for sample in samples]
    return (form + " (" + form + "-" + form + ")") % (statistics.median(values), min(values), max(values))


def tws_file_records(path):
    """Every file record of a .tws document: (full path as bytes, size, compare
    state, attributes, digest text as bytes)."""
    with open(path, "rb") as f:
        data = f.read()
    at = 4
    records = []

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
        name = line()
        line()
        state = struct.unpack_from("<i", data, at)[0]
        at += 4
        return name, (words[7] << 32) | words[8], state, words[0]

    def count():
        nonlocal at
        value = struct.unpack_from("<i", data, at)[0]
        at += 4
        return max(value, 0)

    def join(parent, name):
        return name if not parent else parent.rstrip(b"/") + b"/" + name

    def folder(parent):
        nonlocal at
        for _ in range(count()):
            folder(join(parent, item()[0]))
        for _ in range(count()):
            name, size, state, attributes = item()
            at += 4
            records.append((join(parent, name), size, state, attributes, line()))

    item()
    folder(b"")
    return records
