#!/usr/bin/env bash
# Installs the Debian packages the project builds, runs and tests with. Safe to run again: it
# asks apt only for what is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config       # the toolchain
  libgtest-dev                           # tests
  libsqlite3-dev                         # the embedded SQL engine
  unixodbc-dev libsqliteodbc             # ODBC, and a real driver for its tests
  qt6-base-dev fonts-liberation          # the desktop program (Arial's metrics)
  qpdf poppler-utils                     # PDF checks in tests
  locales                                # localedef's sources: a comma-decimal locale in tests
  python3 python3-dbf python3-dbfread    # an independent FoxPro writer and reader for tests
  dpkg-dev file                          # the Debian package (cpack, dpkg-shlibdeps)
  mandoc desktop-file-utils man-db       # checks of the manual pages and the desktop entry
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
