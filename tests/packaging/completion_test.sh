#!/usr/bin/env bash
# The bash completions of zuna-transfer and zuna-sample: a few completions, and every command
# and option the programs' usage names is offered.
# Usage: completion_test.sh COMPLETION_DIR ZUNA_TRANSFER ZUNA_SAMPLE
set -uo pipefail

completions=$1
transfer=$2
sample=$3
# shellcheck source=/dev/null
source "$completions/zuna-transfer" || exit 1
# shellcheck source=/dev/null
source "$completions/zuna-sample" || exit 1

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/data" "$scratch/docs"
touch "$scratch/dump"

failures=0

# complete FUNCTION WORD...: the completions offered for the last word, sorted, one line.
complete_words() {
  local function=$1
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  "$function" 2>/dev/null
  printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | tr '\n' ' ' | sed 's/ $//'
}

expect() {
  local wanted=$1
  shift
  local got
  got=$(complete_words "$@")
  if [ "$got" != "$wanted" ]; then
    echo "FAIL: ${*:2} -> [$got], expected [$wanted]" >&2
    failures=$((failures + 1))
  fi
}

# zuna-transfer: commands, options, option values, and what follows a command.
expect "alter create-database create-tables delete-duplicates import list-fields pdf report verify version" \
  _zuna_transfer zuna-transfer ""
expect "create-database create-tables" _zuna_transfer zuna-transfer cr
expect "--help --home" _zuna_transfer zuna-transfer --h
expect "import" _zuna_transfer zuna-transfer --server srv --home "$scratch" im
expect "" _zuna_transfer zuna-transfer --server ""
expect "$scratch/data $scratch/docs" _zuna_transfer zuna-transfer --home "$scratch/d"
expect "" _zuna_transfer zuna-transfer import ""
# Options come after the command too: each command's own, and those of every command.
expect "--append --help --home --open --quiet --server --summary --version" \
  _zuna_transfer zuna-transfer import --
expect "--summary" _zuna_transfer zuna-transfer report --su
expect "--help --home" _zuna_transfer zuna-transfer create-database --h
expect "$scratch/data $scratch/docs" _zuna_transfer zuna-transfer create-database --home "$scratch/d"
expect "$scratch/data $scratch/docs $scratch/dump" \
  _zuna_transfer zuna-transfer import --summary "$scratch/d"
expect "" _zuna_transfer zuna-transfer import --summary out.json ""
expect "--memory" _zuna_transfer zuna-transfer verify --m
expect "" _zuna_transfer zuna-transfer verify --memory ""
expect "$scratch/data $scratch/docs $scratch/dump" _zuna_transfer zuna-transfer verify --summary "$scratch/d"
expect "import" _zuna_transfer zuna-transfer --summary s.json --quiet im
expect "Courier Courier-Bold Courier-BoldOblique Courier-Oblique" \
  _zuna_transfer zuna-transfer pdf a.txt --font Cou
expect "--server --size --subject" _zuna_transfer zuna-transfer --open pdf a.txt b.pdf --s
expect "" _zuna_transfer zuna-transfer pdf --size ""
expect "$scratch/data $scratch/docs $scratch/dump" _zuna_transfer zuna-transfer pdf "$scratch/d"
# After "--" every word is an argument: a file, even one that starts with a dash.
expect "" _zuna_transfer zuna-transfer pdf -- --s
expect "$scratch/data $scratch/docs $scratch/dump" \
  _zuna_transfer zuna-transfer pdf -- "$scratch/d"

# zuna-sample.
expect "catalog generate schema" _zuna_sample zuna-sample ""
expect "--help --version" _zuna_sample zuna-sample --
expect "--no-refused-rows --personnel-rows --rows" _zuna_sample zuna-sample generate --
expect "" _zuna_sample zuna-sample generate --rows ""
expect "$scratch/data $scratch/docs" _zuna_sample zuna-sample generate --rows 5 "$scratch/d"
expect "--dialect" _zuna_sample zuna-sample schema --
expect "mariadb postgresql sqlserver" _zuna_sample zuna-sample schema --dialect ""
expect "" _zuna_sample zuna-sample schema --dialect mariadb ""

# Every command and option of the programs' own usage is offered.
offered_commands=" $(complete_words _zuna_transfer zuna-transfer "") "
offered_options=" $(complete_words _zuna_transfer zuna-transfer --) "
offered_pdf=" $(complete_words _zuna_transfer zuna-transfer pdf a b --) "
usage=$("$transfer" --help)
for command in $(printf '%s\n' "$usage" | sed -n '/^commands:/,$p' | awk '/^  [a-z]/ { print $1 }'); do
  [[ $offered_commands == *" $command "* ]] || {
    echo "FAIL: command $command of the usage is not completed" >&2
    failures=$((failures + 1))
  }
done
for option in $(printf '%s\n' "$usage" | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  [[ $offered_options == *" $option "* || $offered_pdf == *" $option "* ]] || {
    echo "FAIL: option $option of the usage is not completed" >&2
    failures=$((failures + 1))
  }
done
offered_generate=" $(complete_words _zuna_sample zuna-sample generate --) "
offered_schema=" $(complete_words _zuna_sample zuna-sample schema --) "
for option in $({ "$sample" 2>&1 || true; } | grep -o -- '--[a-z][a-z-]*' | sort -u); do
  case $option in --help | --version) continue ;; esac
  [[ $offered_generate == *" $option "* || $offered_schema == *" $option "* ]] || {
    echo "FAIL: option $option of zuna-sample's usage is not completed" >&2
    failures=$((failures + 1))
  }
done

if [ "$failures" -ne 0 ]; then
  echo "$failures failed" >&2
  exit 1
fi
echo "completions: all checks passed"
