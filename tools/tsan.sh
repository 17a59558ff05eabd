#!/usr/bin/env bash
# The tests of the import's saving thread under ThreadSanitizer, in a build directory of their
# own (build/tsan): the thread and its batches, the embedded engine's groups of saves and their
# faults, both save paths of the import compared, the stop request, and the storage faults.
# Not part of CI: the build takes about five minutes on two cores.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/tsan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZUNA_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -O1" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build "$build" -j2 --target platform_tests core_tests fault_tests
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
"$build/bin/platform_tests" --gtest_filter='SaveThread*:RowBatch*:SavePathFaults*:*Appender*Embedded*'
"$build/bin/core_tests" --gtest_filter='BackgroundSaves*:Interruption*:Import*:Logs*'
"$build/bin/fault_tests"
