#!/usr/bin/env bash
# Builds the document-loader fuzzer (clang, libFuzzer, ASan + UBSan), writes a
# seed corpus of valid documents and fuzzes for a bounded time.
# Usage: fuzz/run-fuzz.sh [seconds, default 60] [more libFuzzer options]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
out=build-fuzz
mkdir -p "$out/objects" "$out/seeds" "$out/corpus"

flags=(-std=c++20 -g -O1 -I. -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined)
objects=()
for source in platform/*.cpp catalog/*.cpp document/*.cpp; do
  object="$out/objects/$(echo "$source" | tr / _).o"
  if [[ ! -f "$object" || "$source" -nt "$object" ]]; then
    clang++ "${flags[@]}" -fsanitize=fuzzer-no-link -c "$source" -o "$object"
  fi
  objects+=("$object")
done
clang++ "${flags[@]}" fuzz/MakeSeeds.cpp "${objects[@]}" -o "$out/make-seeds"
clang++ "${flags[@]}" -fsanitize=fuzzer fuzz/LoadFuzzer.cpp "${objects[@]}" -o "$out/load-fuzzer"

"$out/make-seeds" "$out/seeds"
"$out/load-fuzzer" -max_total_time="$seconds" -max_len=8192 -timeout=20 -rss_limit_mb=4096 \
  -artifact_prefix="$out/" "$@" "$out/corpus" "$out/seeds"
