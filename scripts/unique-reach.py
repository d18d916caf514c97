#!/usr/bin/env python3
"""For each test whose name matches a pattern, prints the product lines and
branches that it alone reaches: those whose count in a run of the whole suite
equals their count in a run of that test by itself. A test that reaches
nothing alone may still be the only one to check what it reaches.
Run scripts/coverage.sh first; it leaves the whole suite's counts behind.
  python3 scripts/unique-reach.py [REGEX]     (every test by default)"""
import json
import os
import re
import subprocess
import sys

os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
build = "build-coverage"
folders = "platform catalog scan compare document session cli controls views app".split()
pattern = re.compile(sys.argv[1] if len(sys.argv) > 1 else "")


def counts(report):
    reached = {}
    for entry in json.load(open(report))["files"]:
        for line in entry["lines"]:
            if line.get("gcovr/noncode"):
                continue
            reached[(entry["file"], line["line_number"], "line")] = line["count"]
            for index, branch in enumerate(line.get("branches", [])):
                reached[(entry["file"], line["line_number"], f"branch {index}")] = branch["count"]
    return reached


whole = counts(f"{build}/coverage/coverage.json")
listing = subprocess.run(["ctest", "--test-dir", build, "-N"], capture_output=True, text=True, check=True).stdout
names = re.findall(r"Test +#\d+: (\S+)", listing)
filters = [argument for folder in folders for argument in ("--filter", f"{os.getcwd()}/{folder}/")]
for name in (name for name in names if pattern.search(name)):
    subprocess.run(["find", build, "-name", "*.gcda", "-delete"], check=True)
    run = subprocess.run(["ctest", "--test-dir", build, "-R", "^" + re.escape(name) + "$"], capture_output=True)
    subprocess.run(["gcovr", "--root", ".", "--object-directory", build, *filters, "--exclude-throw-branches",
                    "--exclude-unreachable-branches", "--json", f"{build}/alone.json"], capture_output=True, check=True)
    alone = [key for key, count in counts(f"{build}/alone.json").items() if count > 0 and whole.get(key) == count]
    lines = sum(kind == "line" for _, _, kind in alone)
    print(f"{name}: {'passed' if run.returncode == 0 else 'FAILED'}, alone reaches {lines} lines, "
          f"{len(alone) - lines} branches", flush=True)
    for file, number, kind in sorted(alone):
        print(f"    {file}:{number} {kind}")
# The counters now hold the last test's run only.
print("run scripts/coverage.sh again before comparing coverage", file=sys.stderr)
