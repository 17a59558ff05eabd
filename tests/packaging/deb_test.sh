#!/usr/bin/env bash
# The Debian package, as an administrator and an operator meet it: built with CPack from a
# release build, inspected with dpkg-deb, installed with dpkg into a scratch root (its own dpkg
# database, so the machine's packages are never touched), used by an ordinary user in an empty
# folder for a whole migration of a small sample, then purged, leaving the user's files alone.
#
# Usage: deb_test.sh SOURCE_DIR WORK_DIR VERSION WITH_GUI(0|1)
# Exit 77 (skipped) when the Debian tools it needs are missing.
set -euo pipefail

source_dir=$1
work_dir=$2
version=$3
with_gui=$4
python=/usr/bin/python3

for tool in dpkg dpkg-deb dpkg-shlibdeps file cmake cpack setpriv "$python"; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is missing" >&2
    exit 77
  fi
done

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
seconds_since() { echo $(($(date +%s) - $1)); }
# logged LOG COMMAND...: runs the command with its output in LOG, shown when it fails.
logged() {
  local log=$1
  shift
  "$@" >"$log" 2>&1 || {
    tail -n 60 "$log" >&2
    echo "FAIL: $* (log: $log)" >&2
    exit 1
  }
}

# 1. The package, from a release build of only what it holds.
started=$(date +%s)
build=$work_dir/release
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
[ -f "$build/CMakeCache.txt" ] && generator=()
targets=(zuna-transfer zuna-sample man_pages)
[ "$with_gui" = 1 ] && targets+=(zuna-transfer-gui)
mkdir -p "$work_dir"
logged "$work_dir/configure.log" cmake -S "$source_dir" -B "$build" "${generator[@]}" \
  -DCMAKE_BUILD_TYPE=Release -DZUNA_BUILD_TESTS=OFF -DZUNA_BUILD_BENCH=OFF -DZUNA_SANITIZE=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr
logged "$work_dir/build.log" cmake --build "$build" -j2 --target "${targets[@]}"
rm -f "$build"/zuna-transfer_*.deb
logged "$work_dir/cpack.log" cpack -G DEB --config "$build/CPackConfig.cmake" -B "$build"
architecture=$(dpkg --print-architecture)
deb=$build/zuna-transfer_${version}_${architecture}.deb
[ -f "$deb" ] || {
  echo "FAIL: cpack wrote no $deb" >&2
  exit 1
}
echo "package built in $(seconds_since "$started") s: $deb"

# 2. What the package says and holds.
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = zuna-transfer ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version), expected $version"
[ "$(field Architecture)" = "$architecture" ] || fail "Architecture is $(field Architecture)"
[ "$(field Section)" = database ] || fail "Section is $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ "$(dpkg-deb --field "$deb" Description | wc -l)" -gt 2 ] || fail "no long Description"

depends=$(field Depends)
wanted_libraries=(libc6 libstdc++6 libsqlite3-0 libodbc2 libpq5) # libpq5: the PostgreSQL COPY path
[ "$with_gui" = 1 ] && wanted_libraries+=(libqt6core6 libqt6widgets6)
for library in "${wanted_libraries[@]}"; do
  [[ ", $depends," == *", $library "* || ", $depends," == *", $library,"* ]] ||
    fail "Depends lacks $library: $depends"
done
for driver in odbc-postgresql odbc-mariadb tdsodbc libsqliteodbc; do
  [[ ", $(field Suggests)," == *", $driver,"* ]] || fail "Suggests lacks $driver: $(field Suggests)"
done

# Every dependency is satisfied by this machine's packages (the alternatives of a group: one).
satisfied() {
  local name relation wanted installed
  read -r name relation wanted <<<"$(sed 's/[()]//g' <<<"$1")"
  installed=$(dpkg-query -W -f='${Status} ${Version}' "$name" 2>/dev/null) || return 1
  [[ $installed == "install ok installed "* ]] || return 1
  [ -z "$relation" ] || dpkg --compare-versions "${installed##* }" "$relation" "$wanted"
}
IFS=',' read -ra groups <<<"$depends"
for group in "${groups[@]}"; do
  ok=0
  IFS='|' read -ra alternatives <<<"$group"
  for alternative in "${alternatives[@]}"; do
    if satisfied "$alternative"; then ok=1 && break; fi
  done
  [ "$ok" = 1 ] || fail "dependency not satisfied here:$group"
done

# No maintainer scripts: installing and removing touch nothing but the package's own files.
control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||; /^$/d' | sort | tr '\n' ' ')
[ "$control" = "control md5sums " ] || fail "control members: $control"

expected=(
  ./usr/bin/zuna-sample
  ./usr/bin/zuna-transfer
  ./usr/share/bash-completion/completions/zuna-sample
  ./usr/share/bash-completion/completions/zuna-transfer
  ./usr/share/man/man1/zuna-sample.1.gz
  ./usr/share/man/man1/zuna-transfer.1.gz
  ./usr/share/man/man5/zuna.ini.5.gz
)
for script in "$source_dir"/sql/*.sql; do
  expected+=("./usr/share/zuna-transfer/$(basename "$script")")
done
for server in postgresql mariadb; do
  for script in "$source_dir"/sql/$server/*.sql; do
    expected+=("./usr/share/zuna-transfer/$server/$(basename "$script")")
  done
done
if [ "$with_gui" = 1 ]; then
  expected+=(
    ./usr/bin/zuna-transfer-gui
    ./usr/share/applications/zuna-transfer-gui.desktop
    ./usr/share/icons/hicolor/scalable/apps/zuna-transfer.svg
    ./usr/share/man/man1/zuna-transfer-gui.1.gz
  )
fi
files=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[ "$files" = "$wanted" ] ||
  fail "the package's files differ from the expected ones:$(diff <(echo "$wanted") <(echo "$files") | sed -n 's/^[<>]/ &/p' | tr '\n' ' ')"

# 3. Installed with dpkg into a scratch root that an ordinary user can read but not write.
scratch=$(mktemp -d /tmp/zuna-deb-test.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
root=$scratch/root
admin=$root/var/lib/dpkg
mkdir -p "$admin/info" "$admin/updates" "$admin/triggers"
touch "$admin/status" "$admin/available"
# Dependencies are the machine's libraries, checked above; the scratch database lists none.
dpkg_scratch=(dpkg --root="$root" --log=/dev/null --force-depends --force-script-chrootless
  --force-not-root --path-include='/*')
"${dpkg_scratch[@]}" --install "$deb" >"$scratch/dpkg.log" 2>&1 ||
  fail "dpkg --install: $(cat "$scratch/dpkg.log")"
[ "$(dpkg-query --admindir="$admin" -W -f='${Status}' zuna-transfer)" = "install ok installed" ] ||
  fail "dpkg does not list the package as installed"
for file in "${expected[@]}"; do
  [ -f "$root/${file#./}" ] || fail "not installed: ${file#.}"
done
installed_before=$(cd "$root/usr" && find . -exec stat -c '%n %s %Y' {} + | sort)

# 4. An ordinary user in an empty folder: the sample, the schema, the import and the report.
user_home=$scratch/home
work=$user_home/migration
runtime=$scratch/runtime
mkdir -p "$work" "$runtime"
chmod 700 "$runtime"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R nobody "$user_home" "$runtime"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
run() {
  (cd "$work" && "${as_user[@]}" env -i PATH="$root/usr/bin:/usr/bin:/bin" HOME="$user_home" \
    XDG_RUNTIME_DIR="$runtime" LANG=C.UTF-8 ZUNA_NO_VIEWER=1 QT_QPA_PLATFORM=offscreen "$@")
}
[ "$(run zuna-transfer --version)" = "zuna-transfer $version" ] ||
  fail "zuna-transfer --version says $(run zuna-transfer --version)"
if [ "$with_gui" = 1 ]; then
  [ "$(run zuna-transfer-gui --version)" = "zuna-transfer-gui $version" ] ||
    fail "zuna-transfer-gui --version says $(run zuna-transfer-gui --version 2>&1)"
fi
started=$(date +%s)
run zuna-sample generate --rows 5 --personnel-rows 60 --no-refused-rows zuna >"$scratch/sample.log" 2>&1 ||
  fail "zuna-sample generate: $(cat "$scratch/sample.log")"
for command in create-database create-tables alter "import --summary import.json" \
  "report --summary report.json"; do
  status=0
  name=${command%% *}
  # shellcheck disable=SC2086 # the command's words
  run zuna-transfer $command >"$scratch/$name.out" 2>"$scratch/$name.err" || status=$?
  [ "$status" -eq 0 ] ||
    fail "zuna-transfer $command: exit $status: $(cat "$scratch/$name.out" "$scratch/$name.err")"
done
grep -qx Completed "$scratch/import.out" || fail "import did not complete: $(cat "$scratch/import.out")"
echo "migration as $(run id -un) in $(seconds_since "$started") s"
for file in zuna.db personnel_rpt import_errors data_transfer_rpt report.pdf import.json \
  report.json; do
  [ -f "$work/$file" ] || fail "no $file in the user's folder"
done
"$python" "$(dirname "$0")/check_migration.py" "$work" 67 "$work/import.json" "$work/report.json" ||
  fail "the migration does not reconcile"
[ "$(cd "$root/usr" && find . -exec stat -c '%n %s %Y' {} + | sort)" = "$installed_before" ] ||
  fail "running the programs changed the installation"
[ -z "$(find "$user_home" -mindepth 1 -maxdepth 1 ! -name migration)" ] ||
  fail "the programs wrote outside the user's folder: $(ls -A "$user_home")"
MANWIDTH=80 man -l "$root/usr/share/man/man1/zuna-transfer.1.gz" 2>&1 | grep -q "EXIT STATUS" ||
  fail "the installed manual page does not render"

# 5. Purged: the package's files go, the user's folder stays as it was.
user_files=$(cd "$work" && find . -exec stat -c '%n %s %Y' {} + | sort && find . -type f -exec md5sum {} + | sort)
"${dpkg_scratch[@]}" --purge zuna-transfer >"$scratch/purge.log" 2>&1 ||
  fail "dpkg --purge: $(cat "$scratch/purge.log")"
left=$(cd "$root" && find . -path ./var -prune -o ! -type d -print)
[ -z "$left" ] || fail "files left after purging: $left"
[ "$(cd "$work" && find . -exec stat -c '%n %s %Y' {} + | sort && find . -type f -exec md5sum {} + | sort)" = "$user_files" ] ||
  fail "purging the package changed the user's folder"

if [ "$failures" -ne 0 ]; then
  echo "$failures failed" >&2
  exit 1
fi
echo "Debian package: all checks passed"
