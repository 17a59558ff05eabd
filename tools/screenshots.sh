#!/usr/bin/env bash
# Takes screenshots of both windows after an import of the sample data, under Xvfb, and saves
# them into docs/. Usage: tools/screenshots.sh [BUILD_BIN]
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(cd "${1:-build/release/bin}" && pwd)

export DEBIAN_FRONTEND=noninteractive
command -v Xvfb >/dev/null || apt-get install -y -qq --no-install-recommends xvfb >/dev/null

home=$(mktemp -d)
trap 'rm -rf "$home"; kill "${xvfb:-0}" 2>/dev/null || true' EXIT
cp "$bin"/*.sql "$home"/
"$bin/zuna-sample" generate "$home/zuna"
"$bin/zuna-transfer" --home "$home" create-database >/dev/null
"$bin/zuna-transfer" --home "$home" create-tables >/dev/null
"$bin/zuna-transfer" --home "$home" alter >/dev/null

Xvfb :47 -screen 0 1280x800x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
mkdir -p docs
DISPLAY=:47 ZUNA_NO_VIEWER=1 QT_QPA_PLATFORM=xcb "$bin/zuna-transfer-gui" --home "$home" \
  --screenshots "$PWD/docs" >/dev/null
ls docs/*.png
