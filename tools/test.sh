#!/usr/bin/env bash
# Installs what the project needs, builds it from nothing with AddressSanitizer and
# UndefinedBehaviorSanitizer (warnings are errors), the benchmarks included (compiled, not run:
# tools/bench.sh runs them), and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

build=build/sanitize
rm -rf "$build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DZUNA_SANITIZE=ON -DZUNA_WERROR=ON \
  -DZUNA_BUILD_BENCH=ON
cmake --build "$build" -j2

export ZUNA_NO_VIEWER=1 QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
# ctest starts the database servers before the first test that needs them and stops them after
# the last; this stops them too when ctest itself is interrupted.
stop_servers() {
  if [ -f "$build/test_servers_dir" ]; then
    tools/test_servers.sh stop "$(cat "$build/test_servers_dir")" || true
  fi
}
trap stop_servers EXIT
ctest --test-dir "$build" --output-on-failure -j2
