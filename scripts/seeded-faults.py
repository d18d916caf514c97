#!/usr/bin/env python3
"""Puts each of a handful of faults in turn into the tree, rebuilds, runs the
whole suite and names the tests that fail; each file is put back as it was after.
A fault that no test catches shows as "0 tests failed".
  python3 scripts/seeded-faults.py [TREE [BUILD_DIR]]    (., TREE/build by default)"""
import os
import re
import subprocess
import sys

tree = sys.argv[1] if len(sys.argv) > 1 else "."
build = sys.argv[2] if len(sys.argv) > 2 else os.path.join(tree, "build")

# name, file, and the replacements that make the fault
FAULTS = [
    ("size category bound off by one", "catalog/SizeCategory.cpp",
     [("if (size >= table[id].min) return id;", "if (size > table[id].min) return id;")]),
    ("no byte re-check before removal", "session/CheckedRemoval.cpp",
     [("switch (comparison.match) {", "switch (true ? ContentMatch::Same : comparison.match) {")]),
    ("byte order swapped in the .tws writer", "document/CXArchive.cpp",
     [("const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),\n"
       "                              uint8_t(value >> 24)};",
       "const uint8_t bytes[4] = {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8),\n"
       "                              uint8_t(value)};")]),
    ("lost wake-up in the compare engine (Resume)", "compare/CompareEngine.cpp",
     [("        paused.store(false, std::memory_order_relaxed);\n    }\n    pauseChanged.notify_all();\n}\n\nsize_t",
       "        paused.store(false, std::memory_order_relaxed);\n    }\n}\n\nsize_t")]),
    ("group key built without the size", "catalog/DuplicateIndex.cpp",
     [("char* end = std::to_chars(out, out + 20, item->Size()).ptr;", "char* end = out;"),
      ("    uint64_t sizeA = a->Size();\n",
       "    return std::strcmp(a->digestText, b->digestText);\n    uint64_t sizeA = a->Size();\n")]),
]


def build_suite():
    return subprocess.run(["cmake", "--build", build, "-j2", "--target", "core_tests", "gui_tests"],
                          capture_output=True, text=True)


for name, path, replacements in FAULTS:
    full = os.path.join(tree, path)
    original = text = open(full).read()
    for old, new in replacements:
        if text.count(old) != 1:
            sys.exit(f"{path}: the code of '{name}' has changed; update this script")
        text = text.replace(old, new)
    open(full, "w").write(text)
    try:
        built = build_suite()
        if built.returncode:
            print(f"## {name}: the build failed\n{built.stdout[-2000:]}")
            continue
        run = subprocess.run(["ctest", "--test-dir", build, "-j2", "--timeout", "90"], capture_output=True,
                             text=True, env={**os.environ, "QT_QPA_PLATFORM": "offscreen"})
        summary = re.search(r"(\d+% tests passed.*)", run.stdout)
        print(f"## {name} ({path}): {summary.group(1) if summary else 'ctest status ' + str(run.returncode)}")
        for test, why in re.findall(r"^\s*\d+ - (\S+) \((\w+)\)", run.stdout, re.M):
            print(f"   {test} ({why})")
    finally:
        open(full, "w").write(original)
build_suite()
