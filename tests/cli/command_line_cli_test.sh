#!/usr/bin/env bash
# zuna-transfer reads the program folder's data sources once, before a command that uses them
# starts: a zuna.ini it cannot read stops each of them with exit 1 and the error, arguments they
# do not take are a usage error (exit 2) whatever zuna.ini holds, and the commands that need no
# data source (pdf, --version) never read it.
set -euo pipefail
bin=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
fail() { echo "$*"; exit 1; }

mkdir "$home/zuna.ini"  # a folder: no configuration that can be read
for command in create-database create-tables alter delete-duplicates import report list-fields; do
  set +e
  out=$("$bin" --home "$home" "$command" 2>/dev/null)
  status=$?
  "$bin" --home "$home" "$command" extra >/dev/null 2>&1
  usage=$?
  set -e
  [ "$status" = 1 ] || fail "$command with an unreadable zuna.ini: exit $status, not 1"
  [[ "$out" == "error 21: "*"zuna.ini"* ]] || fail "$command: unexpected output: $out"
  [ "$usage" = 2 ] || fail "$command with an argument: exit $usage, not 2"
done
[ ! -e "$home/zuna.db" ] && [ ! -e "$home/import_errors" ] && [ ! -e "$home/fields" ] ||
  fail "a command went on without its data sources"

printf 'one line\r\n' >"$home/in.txt"
"$bin" --home "$home" pdf "$home/in.txt" "$home/out.pdf" >/dev/null ||
  fail "pdf needs no data source, yet failed"
[ -s "$home/out.pdf" ] || fail "pdf wrote nothing"
[[ "$("$bin" --home "$home" --version)" == "zuna-transfer "* ]] || fail "--version failed"
echo "command line: ok"
