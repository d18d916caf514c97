#!/usr/bin/env bash
# Builds the Release benchmarks and prints the median SHA-1 speed of both of our
# paths and of OpenSSL, with and without OpenSSL's use of the SHA extensions.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-release --target Sha1Bench

run=(./build-release/Sha1Bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true)
# Median bytes_per_second of each case (printed in binary units) as decimal MB/s.
medians() {
  awk -v suffix="$1" '/_median/ && match($0, /bytes_per_second=[0-9.]+[kMG]?/) {
    value = substr($0, RSTART + 17, RLENGTH - 17); unit = substr(value, length(value))
    scale = unit == "G" ? 2^30 : unit == "M" ? 2^20 : unit == "k" ? 2^10 : 1
    name = $1; sub(/^BM_Sha1/, "", name); sub(/_median$/, "", name)
    printf "%-28s %8.0f MB/s\n", name suffix, value * scale / 1e6 }'
}

echo "== normal"
normal=$("${run[@]}")
echo "$normal"
echo "== OPENSSL_ia32cap=:~0x20000000 (OpenSSL without the SHA extensions)"
plain=$(OPENSSL_ia32cap=":~0x20000000" "${run[@]}" --benchmark_filter=OpenSsl)
echo "$plain"

echo "== medians"
echo "$normal" | medians ""
echo "$plain" | medians " (without SHA ext.)"
