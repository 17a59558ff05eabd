#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (ASan + UBSan) and runs each for a bounded
# time over its seed corpus. Inputs that crash land in fuzz/crashes/TARGET/; once fixed, copy
# them to fuzz/regressions/TARGET/, where every test run replays them.
# Usage: tools/fuzz.sh [SECONDS_PER_TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

tools/install-deps.sh
command -v clang++ >/dev/null || apt-get install -y -qq --no-install-recommends clang >/dev/null
dpkg-query -W libclang-rt-14-dev >/dev/null 2>&1 ||
  apt-get install -y -qq --no-install-recommends libclang-rt-14-dev >/dev/null

build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUNA_FUZZ=ON \
  -DZUNA_BUILD_TESTS=OFF -DZUNA_BUILD_BENCH=OFF >/dev/null
targets=(dbf_reader pdf_writer batch_splitter sql_text)
cmake --build "$build" -j2 --target "${targets[@]/%/_fuzzer}"

export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
  work=$(mktemp -d)
  mkdir -p "fuzz/crashes/$target"
  echo "== $target: $seconds s" >&2
  "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -artifact_prefix="fuzz/crashes/$target/" "$work" "fuzz/corpus/$target" "fuzz/regressions/$target" \
    >"$work.log" 2>&1 || echo "$target: a crash, a leak or a sanitizer report; see fuzz/crashes/$target" >&2
  tail -n 3 "$work.log"
  rm -f "$work.log"
  rm -rf "$work"
done
