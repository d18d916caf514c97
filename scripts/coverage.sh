#!/usr/bin/env bash
# Builds with coverage, runs the whole suite (core and widgets, offscreen) and
# prints line and branch coverage per folder of the product code; writes an
# HTML report to build-coverage/coverage/index.html.
#   bash scripts/coverage.sh            (gcovr from Debian: apt-get install gcovr)
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-coverage
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTWINSEEK_BENCHMARKS=OFF \
  -DCMAKE_CXX_FLAGS="--coverage -fprofile-update=atomic" -DCMAKE_EXE_LINKER_FLAGS=--coverage > /dev/null
cmake --build "$build" -j "$(nproc)" --target core_tests gui_tests
find "$build" -name '*.gcda' -delete
ctest --test-dir "$build" -j "$(nproc)" --output-on-failure > "$build/ctest.log" 2>&1 ||
  { tail -40 "$build/ctest.log"; exit 1; }

folders=(platform catalog scan compare document session cli controls views app)
filters=()
for folder in "${folders[@]}"; do filters+=(--filter "$PWD/$folder/"); done
mkdir -p "$build/coverage"
# CMake's compiler probe leaves counters of its own; they are not product code.
find "$build/CMakeFiles" -path '*CompilerId*' -name '*.gc*' -delete
# Branches the compiler adds for exceptions are not the code's own decisions.
gcovr --root . --object-directory "$build" "${filters[@]}" --exclude-throw-branches --exclude-unreachable-branches \
  --json "$build/coverage/coverage.json" --html-details "$build/coverage/index.html" > /dev/null
python3 - "$build/coverage/coverage.json" "${folders[@]}" <<'TABLE'
import json, sys
files = json.load(open(sys.argv[1]))["files"]
totals = {folder: [0, 0, 0, 0] for folder in sys.argv[2:]}
for entry in files:
    folder = entry["file"].split("/")[0]
    if folder not in totals:
        continue
    for line in entry["lines"]:
        if line.get("gcovr/noncode"):
            continue
        totals[folder][1] += 1
        totals[folder][0] += line["count"] > 0
        for branch in line.get("branches", []):
            totals[folder][3] += 1
            totals[folder][2] += branch["count"] > 0
print("%-10s %18s %18s" % ("folder", "lines", "branches"))
all_ = [0, 0, 0, 0]
for folder, (hit, lines, taken, branches) in totals.items():
    all_ = [a + b for a, b in zip(all_, (hit, lines, taken, branches))]
    print("%-10s %7.1f%% %9s %7.1f%% %9s" % (folder, 100 * hit / max(lines, 1), "%d/%d" % (hit, lines),
                                            100 * taken / max(branches, 1), "%d/%d" % (taken, branches)))
hit, lines, taken, branches = all_
print("%-10s %7.1f%% %9s %7.1f%% %9s" % ("all", 100 * hit / lines, "%d/%d" % (hit, lines),
                                        100 * taken / branches, "%d/%d" % (taken, branches)))
TABLE
echo "HTML report: $build/coverage/index.html"
