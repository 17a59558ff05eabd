#!/usr/bin/env bash
# The main job: installs what the project needs, builds the programs in release mode, installs
# them into build/release/install (bin/, share/zuna-transfer/ with the scripts, the manual
# pages, ...) and runs a whole migration of the bundled sample data as an installed program
# runs it: in its own folder, build/release/sample, which becomes the program folder. The
# sample FoxPro tables are generated into its folder "zuna", then the database is created, its
# tables created and altered, the data imported and the report written (data_transfer_rpt and
# report.pdf).
#
# A later run replaces only the files an earlier run made and left unchanged (their checksums
# are kept in the sample folder); it stops, deleting nothing, if any of them was changed.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

build=build/release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZUNA_BUILD_TESTS=OFF -DZUNA_BUILD_BENCH=OFF
cmake --build "$build" -j2
prefix=$PWD/$build/install
cmake --install "$build" --prefix "$prefix" >/dev/null

sample=$PWD/$build/sample
made=.made-by-run.sh # the checksums of the files this script's last run made
if [ -e "$sample" ]; then
  if [ ! -f "$sample/$made" ]; then
    echo "run.sh: $sample exists but was not made by run.sh; move it away first" >&2
    exit 1
  fi
  if [ -s "$sample/$made" ] && ! (cd "$sample" && md5sum --quiet --check "$made"); then
    echo "run.sh: files of the last run in $sample were changed; nothing was deleted" >&2
    exit 1
  fi
  (cd "$sample" && sed 's/^[0-9a-f]*  //' "$made" | xargs -r -d '\n' rm -f -- && rm -f "$made")
  find "$sample" -mindepth 1 -type d -empty -delete
fi
mkdir -p "$sample"
# Files already there are someone else's: they are never recorded, so never deleted.
files() { (cd "$sample" && find . -type f ! -name "$made" ! -name "$made.new" | sort); }
others=$(files)
# Whatever the job makes, even when it stops half-way, is recorded for the next run.
record() {
  files | { grep -vxF -e "$others" || true; } | tr '\n' '\0' | (cd "$sample" && xargs -r -0 md5sum) \
    >"$sample/$made.new"
  mv "$sample/$made.new" "$sample/$made"
}
trap record EXIT

cd "$sample"
export PATH="$prefix/bin:$PATH"
zuna-sample generate zuna
zuna-transfer create-database
zuna-transfer create-tables
zuna-transfer alter
# Exit status 3: the import completed and skipped rows the target refused (see import_errors).
status=0
zuna-transfer import || status=$?
[ "$status" -eq 0 ] || [ "$status" -eq 3 ] || exit "$status"
# Exit status 3: the report is whole and names the tables that do not reconcile (the sample's
# refused rows are not in the target).
status=0
zuna-transfer report || status=$?
[ "$status" -eq 0 ] || [ "$status" -eq 3 ] || exit "$status"
echo "main job done: program folder $sample, programs in $prefix/bin" >&2
