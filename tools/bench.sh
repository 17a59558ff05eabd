#!/usr/bin/env bash
# Builds in release mode and runs every benchmark of bench/, each against its peer in the same
# run, and writes the figures with a description of the machine into bench/RESULTS.md.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
peers=(enscript ghostscript gdal-bin bc time)
missing=()
for p in "${peers[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build=build/bench
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZUNA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2
bin="$build/bin"
work=$(mktemp -d /tmp/zuna-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

results=bench/RESULTS.md
{
  echo "# Benchmark results"
  echo
  echo "Written by \`tools/bench.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC')."
  echo
  echo "Machine: $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(nproc) cores," \
       "$(free -g | awk '/^Mem:/ {print $2}') GiB memory, $(uname -sr), $(. /etc/os-release; echo "$PRETTY_NAME")."
  echo
  for bench in "dbf_read_bench 1000000 $work" "save_bench 1000000 $work" "pdf_bench 100000 $work" \
               "script_bench 32 $work"; do
    echo "## ${bench%% *}"
    echo
    echo '```'
    # shellcheck disable=SC2086
    "$bin"/$bench
    echo '```'
    echo
    rm -f "$work"/*.dbf
  done
  echo "## import_bench"
  echo
  echo '```'
  bench/import_bench.sh "$bin" 1000000
  echo '```'
  echo
  echo "## verify_bench"
  echo
  echo '```'
  bench/verify_bench.sh "$bin" 1000000
  echo '```'
  echo
  echo "## import_memory"
  echo
  echo '```'
  bench/import_memory.sh "$bin" 1000000 3000000 2>/dev/null
  echo '```'
} | tee "$results.new"
mv "$results.new" "$results"
echo "written: $results" >&2
