#!/bin/sh
# Fails when a tracked C++ file is not as clang-format (.clang-format) writes it, and names the
# lines. Fix with: git ls-files '*.cc' '*.h' | xargs clang-format -i
#   tools/check_format.sh [SOURCE_DIR]
set -eu
cd "${1:-$(dirname "$0")/..}"
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "not a git checkout: no tracked files to check" >&2
  exit 77
fi
git ls-files -z '*.cc' '*.h' | xargs -0 clang-format --dry-run -Werror
