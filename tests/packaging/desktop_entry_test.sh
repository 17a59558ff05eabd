#!/usr/bin/env bash
# The desktop entry of the desktop program: valid by freedesktop's validator, starting the
# program that is installed, with the icon that is installed (an SVG document).
# Usage: desktop_entry_test.sh DIST_DIR
set -euo pipefail

dist=$1
entry=$dist/zuna-transfer-gui.desktop

desktop-file-validate "$entry"

value() { sed -n "s/^$1=//p" "$entry"; }
[ "$(value Exec)" = zuna-transfer-gui ] || { echo "FAIL: Exec is $(value Exec)" >&2; exit 1; }
[ "$(value Type)" = Application ] || { echo "FAIL: Type is $(value Type)" >&2; exit 1; }
icon=$dist/$(value Icon).svg
[ -f "$icon" ] || { echo "FAIL: no icon $icon for Icon=$(value Icon)" >&2; exit 1; }
/usr/bin/python3 - "$icon" <<'PY'
import sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
assert root.tag == "{http://www.w3.org/2000/svg}svg", root.tag
assert root.get("viewBox"), "a scalable icon needs a viewBox"
PY
echo "desktop entry and icon: all checks passed"
