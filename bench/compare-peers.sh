#!/usr/bin/env bash
# Builds a release twinseek-cli, makes the benchmark trees when missing, installs
# the peers (for this benchmark only) and prints the comparison table.
#   bash bench/compare-peers.sh [--runs N] [--workers 1,2] [--shapes mixed,...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=${TWSBENCH_ROOT:-/tmp/twsbench}
dataset=${TWSBENCH_DATASET:-../shared/bench/make-dataset.py}

command -v jdupes >/dev/null || apt-get install -y jdupes rdfind fdupes rmlint time >/dev/null
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release --target twinseek-cli >/dev/null
for shape in mixed samesize bigfiles; do
  [ -d "$root/$shape" ] || python3 "$dataset" "$shape" --root "$root"
done
python3 bench/compare-peers.py --cli build-release/twinseek-cli --root "$root" "$@"
