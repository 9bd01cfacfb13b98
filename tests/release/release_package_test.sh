#!/usr/bin/env bash
# Release package test. Environment (set by CTest): CMAKE, CPACK, BUILD_DIR, WORK_DIR (emptied
# first), ZIP_NAME, WINE_PREFIX, NM, SOURCE_DIR.
#
# cpack must make ZIP_NAME from the build tree holding exactly the five files a user gets, the
# examples and the README unchanged and the executable without symbols. Unpacked into a fresh
# folder, zStartup.exe runs there: exit status 0; the example list's service, which the test
# prefix does not have, logged as errors; the batch file launched and really run in that folder.
set -euo pipefail

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$WORK_DIR"
mkdir -p "$WORK_DIR/run"
package=$WORK_DIR/package
run=$WORK_DIR/run

"$CPACK" -G ZIP --config "$BUILD_DIR/CPackConfig.cmake" -B "$package" >"$WORK_DIR/cpack.log" 2>&1 \
  || { cat "$WORK_DIR/cpack.log"; echo "FAIL: cpack"; exit 1; }
zip=$package/$ZIP_NAME
[ -f "$zip" ] || { ls "$package"; echo "FAIL: no $ZIP_NAME"; exit 1; }

# Contents: exactly these five, at the top level.
contents=$(cd "$package" && "$CMAKE" -E tar tf "$ZIP_NAME" | LC_ALL=C sort | tr '\n' ' ')
[ "$contents" = "README.md Services.ini zStartup.bat zStartup.exe zStartupCheck.exe " ] || fail "zip holds: $contents"

(cd "$run" && "$CMAKE" -E tar xf "$zip")
for file in examples/Services.ini examples/zStartup.bat README.md; do
  cmp -s "$SOURCE_DIR/$file" "$run/$(basename "$file")" || fail "$(basename "$file") differs from $file"
done
"$NM" "$run/zStartup.exe" 2>&1 | grep -q "no symbols" || fail "zStartup.exe is not stripped"

# The run.
status=0
"$SOURCE_DIR/cmake/wine-run.sh" "$WINE_PREFIX" "$run/zStartup.exe" >"$WORK_DIR/stdout.txt" 2>"$WORK_DIR/stderr.txt" \
  || status=$?
[ "$status" -eq 0 ] || fail "exit status $status"

dir=$(WINEPREFIX=$WINE_PREFIX WINEDEBUG=-all winepath -w "$run")
bat="$dir\\zStartup.bat"
cr=$'\r'
expected=("[zStartup] started"
          "[zStartup] Error stopping service zStartupDemo"
          "[zStartup] Error starting service zStartupDemo"
          "[zStartup] BAT file is '$bat', DIR is '$dir'"
          "[zStartup] '$bat' started with result: <shell>"
          "[zStartup] stopped")
mapfile -t logged <"$run/zStartup_LT.log"
[ ${#logged[@]} -eq ${#expected[@]} ] || fail "log has ${#logged[@]} lines, not ${#expected[@]}"
for i in "${!expected[@]}"; do
  want="${expected[$i]}$cr"
  got="${logged[$i]:-}"
  if [[ $want == *"<shell>"* ]]; then
    # The shell's result is its own; above 32 means it started the batch file.
    head="${want%%<shell>*}"
    result="${got#"$head"}"
    result="${result%"$cr"}"
    if [ "$result" = "$got" ] || ! [[ $result =~ ^[0-9]+$ ]] || [ "$result" -le 32 ]; then
      fail "log line $((i + 1)): '$got', expected '${head}<above 32>'"
    fi
  elif [ "$got" != "$want" ]; then
    fail "log line $((i + 1)): '$got', expected '$want'"
  fi
done
[ "$(tail -c 2 "$run/zStartup_LT.log" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "log does not end in CR LF"

# Standard output echoes every log line.
sed 's/^/[LLT] /' "$run/zStartup_LT.log" | cmp -s - "$WORK_DIR/stdout.txt" || fail "standard output differs from the log"

# The batch file runs on in its own process; give it a bounded time to write its line.
for _ in $(seq 75); do
  [ -s "$run/zStartup_bat.log" ] && break
  sleep 0.2
done
grep -qF "zStartup.bat ran in $dir$cr" "$run/zStartup_bat.log" 2>/dev/null \
  || fail "zStartup.bat did not record its run in $dir"

if [ "$failures" -ne 0 ]; then
  echo "--- zStartup_LT.log"; cat -A "$run/zStartup_LT.log" || true
  echo "--- standard output"; cat -A "$WORK_DIR/stdout.txt"
  echo "--- standard error"; cat "$WORK_DIR/stderr.txt"
  exit 1
fi
echo "release package $ZIP_NAME: contents, stripped executable and a run from a fresh folder checked"
