#!/usr/bin/env bash
# zStartupCheck --json in both modes, read back with Python's json module: one object, the
# launcher's own path, exitStatus equal to the exit status, a stable code on every finding, and
# texts from the ANSI code page (a tab, a quote, a backslash, an e acute) arriving whole. Bad
# arguments exit 3 with the usage on standard error and nothing on standard output.
# Environment (set by CTest): BIN, WORK_DIR (emptied first), WINE_RUN, WINE_PREFIX, SOURCE_DIR.
set -euo pipefail
source "$SOURCE_DIR/cmake/wine-env.sh"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$WORK_DIR"
mkdir -p "$WORK_DIR/run"
cd "$WORK_DIR/run"
cp "$BIN/zStartup.exe" "$BIN/zStartupCheck.exe" .
# A service name with a tab, a quote and an e acute (0xE9 in code page 1252), which no service has.
printf '[START]\r\n0=zst"Json\tName\xe9\r\n' >Services.ini
"$WINE_RUN" "$WINE_PREFIX" ./zStartup.exe >/dev/null || fail "zStartup.exe exited with $?"

# check NAME ARGUMENTS...: runs the checker, keeping its output, error output and status.
check() {
  local name=$1
  shift
  local status=0
  "$WINE_RUN" "$WINE_PREFIX" ./zStartupCheck.exe "$@" >"$WORK_DIR/$name.out" 2>"$WORK_DIR/$name.err" || status=$?
  echo "$status" >"$WORK_DIR/$name.status"
}

check plan --json
check last-run --last-run --json
check options-after-path "$(WINEPREFIX=$WINE_PREFIX WINEDEBUG=-all winepath -w "$PWD/zStartup.exe")" --json --last-run

python3 - "$WORK_DIR" <<'PYTHON' || fail "the JSON output"
import json, re, sys
work = sys.argv[1]
name = 'zst"Json\tName\u00e9'
problems = []
for case, mode in (("plan", "plan"), ("last-run", "last-run"), ("options-after-path", "last-run")):
    status = int(open(f"{work}/{case}.status").read())
    text = open(f"{work}/{case}.out", "rb").read().decode("utf-8")
    try:
        report = json.loads(text)
    except ValueError as error:
        problems.append(f"{case}: not one JSON object: {error}: {text!r}")
        continue
    lines_key, other_key = ("plan", "lastRun") if mode == "plan" else ("lastRun", "plan")
    if report.get("mode") != mode: problems.append(f"{case}: mode {report.get('mode')!r}")
    if report.get("exitStatus") != status: problems.append(f"{case}: exitStatus {report.get('exitStatus')} != {status}")
    if status != 2: problems.append(f"{case}: exit status {status}, the missing service is an error")
    if not report.get("launcher", "").endswith("\\run\\zStartup.exe"): problems.append(f"{case}: launcher {report.get('launcher')!r}")
    if other_key in report or not isinstance(report.get(lines_key), list): problems.append(f"{case}: lines under {sorted(report)}")
    for finding in report.get("findings", []):
        if sorted(finding) != ["code", "message", "severity", "subject"]: problems.append(f"{case}: keys {sorted(finding)}")
        if finding.get("severity") not in ("error", "warning", "note"): problems.append(f"{case}: {finding}")
        if not re.fullmatch(r"[a-z0-9-]+\.[a-z0-9-]+", finding.get("code", "")): problems.append(f"{case}: code {finding}")
    named = [f for f in report.get("findings", []) if f.get("subject") == name and f["severity"] == "error"]
    if len(named) != 1 or name not in named[0]["message"]: problems.append(f"{case}: no single error about {name!r}")
    if mode == "last-run" and report.get("lastRun", [""])[-1] != "[zStartup] stopped": problems.append(f"{case}: lastRun {report.get('lastRun')}")
for problem in problems: print(problem)
sys.exit(1 if problems else 0)
PYTHON

for arguments in "--json --json" "--last-run --last-run" "--json --bogus" "--json a b" "--verbose"; do
  # shellcheck disable=SC2086
  check bad $arguments
  [ "$(cat "$WORK_DIR/bad.status")" = 3 ] || fail "$arguments: exit status $(cat "$WORK_DIR/bad.status")"
  [ ! -s "$WORK_DIR/bad.out" ] || fail "$arguments: printed on standard output"
  grep -q "^usage: zStartupCheck" "$WORK_DIR/bad.err" || fail "$arguments: no usage on standard error"
done

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "checker JSON: passed"
