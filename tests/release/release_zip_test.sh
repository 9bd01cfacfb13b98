#!/usr/bin/env bash
# Release zip test. Environment (set by CTest): ZIP (made by the release_packages test), PROGRAMS
# (the shipped programs' file names), TASKS (the task definitions' file names), DOCS (the
# documentation pages' file names), WORK_DIR (emptied first), WINE_RUN, WINE_PREFIX, CMAKE, NM,
# SOURCE_DIR.
#
# The zip holds exactly what a user copies to a machine, at the top level: the programs
# without symbols, the example list and batch file, the README and the licence, the last four
# unchanged, and the task definitions, UTF-16 LE with its mark, naming the launcher in
# %ProgramFiles%\zStartup; the documentation pages, unchanged, in docs/, where the README's
# links lead. Unpacked into a fresh folder, zStartup.exe runs there: exit status 0; the example
# list's service, which the test prefix does not have, logged as errors; the batch file
# launched and really run in that folder.
set -euo pipefail
source "$SOURCE_DIR/cmake/wine-env.sh"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$WORK_DIR"
mkdir -p "$WORK_DIR/run"
run=$WORK_DIR/run
[ -f "$ZIP" ] || { echo "FAIL: no $ZIP"; exit 1; }

contents=$("$CMAKE" -E tar tf "$ZIP" | LC_ALL=C sort | tr '\n' ' ')
expected=$(printf '%s\n' $PROGRAMS $TASKS LICENSE README.md Services.ini zStartup.bat docs/ $(printf 'docs/%s ' $DOCS) |
  LC_ALL=C sort | tr '\n' ' ')
[ "$contents" = "$expected" ] || fail "zip holds: $contents; expected: $expected"

(cd "$run" && "$CMAKE" -E tar xf "$ZIP")
for file in examples/Services.ini examples/zStartup.bat README.md LICENSE; do
  cmp -s "$SOURCE_DIR/$file" "$run/$(basename "$file")" || fail "$(basename "$file") differs from $file"
done
for page in $DOCS; do
  cmp -s "$SOURCE_DIR/docs/$page" "$run/docs/$page" || fail "docs/$page differs from the source's"
done
# Every link of the README to a page of docs/ leads to a page the zip holds, but the developers'
# pages, which the README says are in the source tree only.
source_only=" docs/building.md docs/releasing.md docs/architecture.md "
for page in $(grep -o '](docs/[^)#]*' "$run/README.md" | sed 's|](||' | sort -u); do
  [ -f "$run/$page" ] || [[ $source_only == *" $page "* ]] || fail "the README links to $page, which the zip does not hold"
done
for program in $PROGRAMS; do
  "$NM" "$run/$program" 2>&1 | grep -q "no symbols" || fail "$program is not stripped"
done
for task in $TASKS; do
  [ "$(head -c 2 "$run/$task" | od -An -tx1 | tr -d ' ')" = fffe ] || fail "$task does not begin with the UTF-16 LE mark"
  text=$(iconv -f UTF-16 -t UTF-8 "$run/$task" | tr -d '\r') || fail "$task is not UTF-16"
  grep -qxF '      <Command>%ProgramFiles%\zStartup\zStartup.exe</Command>' <<<"$text" || fail "$task: no Command in %ProgramFiles%\zStartup"
  grep -qxF '      <WorkingDirectory>%ProgramFiles%\zStartup</WorkingDirectory>' <<<"$text" \
    || fail "$task: no WorkingDirectory %ProgramFiles%\zStartup"
done

# The run.
status=0
"$WINE_RUN" "$WINE_PREFIX" "$run/zStartup.exe" >"$WORK_DIR/stdout.txt" 2>"$WORK_DIR/stderr.txt" \
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
echo "release zip $(basename "$ZIP"): contents, stripped programs and a run from a fresh folder checked"
