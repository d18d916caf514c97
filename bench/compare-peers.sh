#!/usr/bin/env bash
# Builds a release twinseek-cli, installs the peers (for this benchmark only)
# and prints the comparison table; missing trees are built by bench/make-tree.py.
#   bash bench/compare-peers.sh [--runs N] [--shapes mixed,...] [--variants "--full;--workers 1"]
#                               [--no-cold] [--timeout S]
set -euo pipefail
cd "$(dirname "$0")/.."
root=${TWSBENCH_ROOT:-/tmp/twsbench}

missing=
for tool in jdupes rdfind fdupes rmlint; do command -v "$tool" >/dev/null || missing="$missing $tool"; done
[ -x /usr/bin/time ] || missing="$missing time"
if [ -n "$missing" ]; then
  apt-get update >/dev/null && apt-get install -y $missing >/dev/null
fi
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release --target twinseek-cli >/dev/null
python3 bench/compare-peers.py --cli build-release/twinseek-cli --root "$root" "$@"
