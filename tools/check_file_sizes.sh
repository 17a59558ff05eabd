#!/bin/sh
# Fails when a tracked C++ source outside the tests holds more than 450 lines, and names it: a
# file that long holds more than one concern and should be split along its seams.
#   tools/check_file_sizes.sh [SOURCE_DIR]
set -eu
cd "${1:-$(dirname "$0")/..}"
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "not a git checkout: no tracked files to check" >&2
  exit 77
fi
limit=450
long=$(git ls-files -z '*.cc' '*.h' ':!:tests/*' | xargs -0 wc -l |
  awk -v limit="$limit" '$2 != "total" && $1 > limit { print "  " $2 ": " $1 " lines" }')
if [ -n "$long" ]; then
  echo "sources over $limit lines:"
  echo "$long"
  exit 1
fi
echo "file sizes: ok, no source over $limit lines"
