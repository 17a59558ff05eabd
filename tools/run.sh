#!/usr/bin/env bash
# Installs what the project needs, builds the programs in release mode and runs the main job in
# the program folder build/release/bin.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

build=build/release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZUNA_BUILD_TESTS=OFF -DZUNA_BUILD_BENCH=OFF
cmake --build "$build" -j2

bin="$build/bin"
"$bin/zuna-transfer" --version
