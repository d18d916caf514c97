#!/usr/bin/env bash
# Builds and runs every test: a normal build with the checks under an X server
# where one can be started, then the core tests again under AddressSanitizer +
# UndefinedBehaviorSanitizer and under libstdc++'s debug mode, and the threaded
# engines under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTWINSEEK_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# Under a real X server, where one can be started: what a screen reader is
# told of each window, a document opened from the desktop after an install,
# and the program driven by its keys: open and exit, delete to the Trash,
# Scan Disk, and Mark Copies with Delete and Undo Last Cleanup.
if command -v xvfb-run > /dev/null && command -v xdotool > /dev/null && command -v dbus-launch > /dev/null &&
  command -v xdg-mime > /dev/null && /usr/bin/python3 -c 'import pyatspi' 2> /dev/null &&
  timeout 60 xvfb-run -a -s "-screen 0 640x480x24" true 2> /dev/null; then
  bash tests/xvfb/read-aloud.sh build
  bash tests/xvfb/open-from-desktop.sh build
  for check in open-and-exit delete-to-trash scan-disk-keyboard mark-delete-undo; do
    bash "tests/xvfb/$check.sh" build
  done
else
  echo "test.sh: no X server can be started here (or xdotool, dbus-launch, xdg-mime or python3-pyatspi is" \
    "missing; scripts/install-deps.sh installs them): the checks under X are skipped" >&2
fi

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTWINSEEK_WERROR=ON \
  -DTWINSEEK_CORE_ONLY=ON -DTWINSEEK_SANITIZE=address,undefined
cmake --build build-asan -j "$jobs" --target core_tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

# Debug mode checks every iterator and container use, which the sanitizers cannot see.
cmake -S . -B build-debug -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTWINSEEK_WERROR=ON \
  -DTWINSEEK_CORE_ONLY=ON -DTWINSEEK_STDLIB_DEBUG=ON
cmake --build build-debug -j "$jobs" --target core_tests
ctest --test-dir build-debug --output-on-failure -j "$jobs"

# The threaded engines once more under ThreadSanitizer.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTWINSEEK_WERROR=ON \
  -DTWINSEEK_CORE_ONLY=ON -DTWINSEEK_SANITIZE=thread
cmake --build build-tsan -j "$jobs" --target core_tests
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build-tsan --output-on-failure -j "$jobs" \
  -R '^(ScanEngine|ScanRefresh|CliDocumentTest.ARefresh|DirectoryEnumerator|CompareEngine|CompareLists|CandidateQueueing|OneOrSeveral|CatalogTreeTest|DigestContent|FileContentReader|ScanStatusMailbox|FileDeletion)'
