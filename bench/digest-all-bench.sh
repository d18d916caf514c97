#!/usr/bin/env bash
# What `twinseek-cli scan --digest-all` costs against the default scan (files
# of shared size only, screened first) of bench/make-tree.py's mixed tree:
# whole processes, page cache warm, several runs taken in turns.
#   bash bench/digest-all-bench.sh [--runs N]
# The tree is $TWSBENCH_ROOT/mixed (/tmp/twsbench by default), made when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=${TWSBENCH_ROOT:-/tmp/twsbench}
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release --target twinseek-cli >/dev/null
[ -d "$root/mixed" ] || python3 bench/make-tree.py mixed --root "$root" >/dev/null
python3 bench/digest-all-bench.py --cli build-release/twinseek-cli --tree "$root/mixed" "$@"
