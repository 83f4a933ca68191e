#!/usr/bin/env bash
# Unit tests under AddressSanitizer + UndefinedBehaviorSanitizer, then each fuzz target for a
# fixed time, all in one clang build (build-asan/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh >/dev/null

if [ ! -f build-asan/CMakeCache.txt ]; then
  CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DENABLE_SANITIZERS=ON -DENABLE_FUZZERS=ON -DENABLE_BENCHMARKS=OFF -DWARNINGS_AS_ERRORS=ON >/dev/null
fi
cmake --build build-asan -j "$(nproc)" >build-asan/build.log 2>&1 || { cat build-asan/build.log; exit 1; }
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j "$(nproc)" -L unit --timeout 300

seconds=${FUZZ_SECONDS:-30}
for fuzzer in build-asan/bin/fuzz_*; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus="build-asan/fuzz-corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/$name"
  echo "Fuzzing $name for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 "$corpus" \
    $( [ -d "$seeds" ] && echo "$seeds" ) 2>&1 | tail -n 3
  test "${PIPESTATUS[0]}" -eq 0
done
