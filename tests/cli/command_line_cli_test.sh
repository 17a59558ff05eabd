#!/usr/bin/env bash
# The command line's conventions. zuna-transfer reads the program folder's data sources once,
# before a command that uses them starts: a zuna.ini it cannot read stops each of them with exit 1
# and the error, arguments they do not take are a usage error (exit 2) whatever zuna.ini holds,
# and the commands that need no data source (pdf, --version) never read it. Options come before
# or after the command, `--` ends them, a usage error is one line and a pointer to --help, and
# --help and --version exit 0 on all three programs (the desktop program's without a display).
# Usage: command_line_cli_test.sh ZUNA_TRANSFER ZUNA_SAMPLE ZUNA_TRANSFER_GUI|none
set -euo pipefail
bin=$1
sample=$2
gui=$3
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

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
rmdir "$home/zuna.ini"

# Options after the command, with = or as the next word; -- ends the options.
cp "$(dirname "$bin")"/*.sql "$home"/
"$bin" create-database --home "$home" >/dev/null || fail "create-database --home did not work"
[ -f "$home/zuna.db" ] || fail "create-database --home DIR: no zuna.db in DIR"
"$bin" create-tables --home="$home" --server= >/dev/null || fail "create-tables --home=DIR failed"
(cd "$home" && printf 'dash\r\n' >-dash.txt && "$bin" pdf --size 9 -- -dash.txt dash.pdf) ||
  fail "pdf -- -dash.txt failed"
[ -s "$home/dash.pdf" ] || fail "a file named after -- was taken for an option"

# A usage error: one line that says what is wrong, one that points to --help; exit 2; nothing on
# standard output.
usage_error() {
  local expected=$1
  shift
  set +e
  out=$("$bin" "$@" 2>"$home/err")
  status=$?
  set -e
  [ "$status" = 2 ] || fail "$*: exit $status, not 2"
  [ -z "$out" ] || fail "$*: printed on standard output: $out"
  [ "$(cat "$home/err")" = "$expected"$'\n'"Try 'zuna-transfer --help'." ] ||
    fail "$*: said: $(cat "$home/err")"
}
usage_error "zuna-transfer: unknown option --bogus" --home "$home" import --bogus
usage_error "zuna-transfer: unknown command bogus" bogus
usage_error "zuna-transfer: no command given" --home "$home"
usage_error "zuna-transfer: --home needs a value" import --home
usage_error "zuna-transfer: --append belongs to import, not to report" report --append
usage_error "zuna-transfer import: takes no arguments, but was given \"x\"" --home "$home" import x
usage_error "zuna-transfer pdf: --size needs a number, not \"big\"" pdf a b --size big
usage_error "zuna-transfer: unknown command --help" -- --help

# --help and --version: exit 0, on standard output, for all three programs.
help_and_version() {
  local name=$1
  shift
  local out
  out=$("$@" --help) || fail "$name --help exits $?"
  [[ "$out" == usage:* ]] || fail "$name --help prints: $out"
  out=$("$@" --version) || fail "$name --version exits $?"
  [[ "$out" =~ ^$name\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "$name --version prints: $out"
}
help_and_version zuna-transfer "$bin"
help_and_version zuna-transfer "$bin" import
help_and_version zuna-sample "$sample"
if [ "$gui" != none ]; then
  # No display at all: the answer must come before the toolkit needs one.
  help_and_version zuna-transfer-gui env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$gui"
fi
echo "command line: ok"
