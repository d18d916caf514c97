#!/usr/bin/env bash
# What `twinseek-cli open DOC --refresh` costs: against `scan --compare none`
# and a full `scan --compare all` of the same tree, whole processes, warm and
# (as root) cold; and which regular files of the tree it opens, counted with
# strace, for the tree unchanged and after 1 % of its files were rewritten.
#   bash bench/refresh-bench.sh [--runs N] [--no-cold]
# The tree is bench/make-tree.py's mixed shape, made as $TWSBENCH_ROOT/refresh-mixed
# (/tmp/twsbench by default) so that the files this benchmark rewrites, and
# puts back afterwards, are no other benchmark's.
set -euo pipefail
cd "$(dirname "$0")/.."
root=${TWSBENCH_ROOT:-/tmp/twsbench}
tree=$root/refresh-mixed

command -v strace >/dev/null || { apt-get update >/dev/null && apt-get install -y strace >/dev/null; }
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release --target twinseek-cli >/dev/null
# A run that ended half-way may have left rewritten files: the tree is made anew.
if [ ! -d "$tree" ] || [ -e "$tree.dirty" ]; then
  python3 bench/make-tree.py mixed --root "$root" --name refresh-mixed --force >/dev/null
  rm -f "$tree.dirty"
fi
python3 bench/refresh-bench.py --cli build-release/twinseek-cli --tree "$tree" "$@"
