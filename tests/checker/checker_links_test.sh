#!/usr/bin/env bash
# zStartupCheck on a launcher reached through a symbolic link, as much as Wine shows of one: a
# Unix symbolic link to a folder inside drive C reads as a reparse point (no tag), and
# GetFinalPathNameByHandleW gives its target. Two cases: the launcher's folder is the link, and
# a folder above it is. Each must be named as a link, and the folder it leads to checked in its
# own right (under Wine the user may change every folder, so the target draws the folder error),
# by the plan and by --last-run alike.
# Environment (set by CTest): BIN, WORK_DIR, WINE_RUN, WINE_PREFIX, SOURCE_DIR.
set -euo pipefail
source "$SOURCE_DIR/cmake/wine-env.sh"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$SOURCE_DIR/cmake/wine-prefix.sh" boot "$WINE_PREFIX"
# Inside drive C, so that the Windows paths are C:\zst-links-<pid>\...
name="zst-links-$$"
root="$WINE_PREFIX/drive_c/$name"
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/real" "$root/above/Show" "$WORK_DIR"
cp "$BIN/zStartup.exe" "$root/real/"
cp "$BIN/zStartup.exe" "$root/above/Show/"
ln -s "$root/real" "$root/link"
ln -s "$root/above" "$root/up"

# check CASE LAUNCHER LINK TARGET [OPTION]: the checker's JSON must have the note link.found for
# LINK and the error folder.untrusted-writer for TARGET, and exit 2.
check() {
  local case=$1 launcher=$2 link=$3 target=$4 status=0
  "$WINE_RUN" "$WINE_PREFIX" "$BIN/zStartupCheck.exe" --json ${5:+"$5"} "$launcher" >"$WORK_DIR/$case.out" \
    2>/dev/null || status=$?
  [ "$status" = 2 ] || fail "$case: exit status $status"
  python3 - "$WORK_DIR/$case.out" "$link" "$target" <<'PYTHON' || fail "$case: $(cat "$WORK_DIR/$case.out")"
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
found = {(f["severity"], f["code"], f["subject"].lower()) for f in report["findings"]}
sys.exit(0 if ("note", "link.found", sys.argv[2].lower()) in found and
         ("error", "folder.untrusted-writer", sys.argv[3].lower()) in found else 1)
PYTHON
}

check folder-is-link "C:\\$name\\link\\zStartup.exe" "C:\\$name\\link" "C:\\$name\\real"
check folder-above-is-link "C:\\$name\\up\\Show\\zStartup.exe" "C:\\$name\\up" "C:\\$name\\above\\Show"
check last-run-folder-is-link "C:\\$name\\link\\zStartup.exe" "C:\\$name\\link" "C:\\$name\\real" --last-run
check last-run-folder-above-is-link "C:\\$name\\up\\Show\\zStartup.exe" "C:\\$name\\up" \
  "C:\\$name\\above\\Show" --last-run

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "checker links: passed"
