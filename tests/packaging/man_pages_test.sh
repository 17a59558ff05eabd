#!/usr/bin/env bash
# The manual pages in dist/man: free of mandoc's warnings, and rendered as plain text in
# docs/man (linked from the README) exactly as they are now.
# Usage: man_pages_test.sh SOURCE_DIR [--update]   (--update rewrites docs/man)
set -euo pipefail

source_dir=$1
update=${2:-}
failures=0

render() { mandoc -T ascii -O width=80 "$1" | sed 's/.\x08//g'; }

for page in "$source_dir"/dist/man/*.[0-9]; do
  name=$(basename "$page")
  if ! mandoc -T lint -W warning "$page"; then
    echo "FAIL: $name has mandoc warnings" >&2
    failures=$((failures + 1))
  fi
  text=$source_dir/docs/man/$name.txt
  if [ "$update" = --update ]; then
    mkdir -p "$(dirname "$text")"
    render "$page" >"$text"
  elif ! render "$page" | cmp -s - "$text"; then
    echo "FAIL: docs/man/$name.txt is not the rendering of dist/man/$name;" \
      "run tests/packaging/man_pages_test.sh . --update" >&2
    failures=$((failures + 1))
  fi
done

if [ "$failures" -ne 0 ]; then
  echo "$failures failed" >&2
  exit 1
fi
echo "manual pages: all checks passed"
