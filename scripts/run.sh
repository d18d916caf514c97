#!/usr/bin/env bash
# Builds a release and starts the desktop program when there is a display,
# with the document FILE.tws when one is given. Without a display it finds the
# duplicate files under the given roots (the home folder when none is given)
# with twinseek-cli instead.
#   bash scripts/run.sh [FILE.tws]                  (with a display)
#   bash scripts/run.sh [--format json] [ROOT...]   (without)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >&2

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  cmake --build build-release -j 2 --target twinseek >&2
  document=()
  if [ $# -eq 1 ] && [ "${1%.tws}" != "$1" ]; then
    document=(-- "$1")
  elif [ $# -gt 0 ]; then
    echo "run.sh: the desktop program opens one document, FILE.tws; ignoring: $*" >&2
  fi
  status=0
  build-release/twinseek "${document[@]}" || status=$?
  # twinseek ends with 1 after its normal close; that is success here.
  [ "$status" -ne 1 ] || status=0
  exit "$status"
fi

echo "run.sh: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); running twinseek-cli scan --compare all instead" >&2
cmake --build build-release -j 2 --target twinseek-cli >&2
options=()
while [ $# -gt 0 ] && [ "${1#--}" != "$1" ]; do options+=("$1" "$2"); shift 2; done
[ $# -gt 0 ] || set -- "${HOME:-/root}"
exec build-release/twinseek-cli scan --compare all "${options[@]}" "$@"
