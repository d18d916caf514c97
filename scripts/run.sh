#!/usr/bin/env bash
# Builds a release and runs the main job: finds the duplicate files under the
# given roots (the home folder when none is given).
#   bash scripts/run.sh [--format json] [ROOT...]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >&2
cmake --build build-release --target twinseek-cli >&2
options=()
while [ $# -gt 0 ] && [ "${1#--}" != "$1" ]; do options+=("$1" "$2"); shift 2; done
[ $# -gt 0 ] || set -- "${HOME:-/root}"
exec build-release/twinseek-cli scan --compare all "${options[@]}" "$@"
