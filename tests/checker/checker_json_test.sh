#!/usr/bin/env bash
# zStartupCheck --json, read back with Python's json module: in both modes and for bad arguments,
# one object on one line of pure ASCII, with the launcher's own path, exitStatus equal to the exit
# status, a stable code on every finding, and texts from the ANSI code page (a tab, a quote, a
# backslash, an e acute) and a path outside the Basic Multilingual Plane arriving whole. The
# version is the project's, which the program's version record holds too, and the times are
# those of the clock and
# the log, with the offset Python's own time zone database gives for each moment. A damaged log
# gives a bounded report, its code page's characters kept. Without --json, bad arguments print
# nothing on standard output; /?, -?, -h and --HELP print the usage there and exit 0.
# Environment (set by CTest): BIN, WORK_DIR (emptied first), WINE_RUN, WINE_PREFIX, SOURCE_DIR,
# VERSION (the project's).
set -euo pipefail
source "$SOURCE_DIR/cmake/wine-env.sh"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$WORK_DIR"
mkdir -p "$WORK_DIR/run" "$WORK_DIR/run-"$'\xf0\x9f\x98\x80' "$WORK_DIR/damaged"
cd "$WORK_DIR/run"
cp "$BIN/zStartup.exe" "$BIN/zStartupCheck.exe" .
# A service name with a tab, a quote and an e acute (0xE9 in code page 1252), which no service has.
printf '[START]\r\n0=zst"Json\tName\xe9\r\n' >Services.ini
"$WINE_RUN" "$WINE_PREFIX" ./zStartup.exe >/dev/null || fail "zStartup.exe exited with $?"
# In summer, so that its offset differs from today's in the zone the checks run in.
touch -d '2026-07-01 10:00:00 UTC' zStartup_LT.log

cp "$BIN/zStartup.exe" "$WORK_DIR/run-"$'\xf0\x9f\x98\x80'/
cp "$BIN/zStartup.exe" "$WORK_DIR/damaged/"
# A start, then a line of a million control and e acute bytes and three thousand lines: no run
# writes these.
python3 - "$WORK_DIR/damaged/zStartup_LT.log" <<'PYTHON'
import sys
with open(sys.argv[1], "wb") as log:
    log.write(b"[zStartup] started\r\n" + b"\x01\xe9" * 500000 + b"\r\n" + b"[zStartup] x\r\n" * 3000)
PYTHON
record_version=$(python3 "$SOURCE_DIR/tests/release/peversion.py" "$BIN/zStartupCheck.exe")
[ "$record_version" = "$VERSION" ] || fail "the checker's version record holds $record_version, not $VERSION"

windows_path() { WINEPREFIX=$WINE_PREFIX WINEDEBUG=-all winepath -w "$1"; }

# check NAME PROGRAM ARGUMENTS...: runs a checker in Berlin's time zone, keeping its output,
# error output and status.
check() {
  local name=$1 program=$2
  shift 2
  local status=0
  TZ=Europe/Berlin "$WINE_RUN" "$WINE_PREFIX" "$program" "$@" >"$WORK_DIR/$name.out" 2>"$WORK_DIR/$name.err" ||
    status=$?
  echo "$status" >"$WORK_DIR/$name.status"
}

check plan ./zStartupCheck.exe --json
check last-run ./zStartupCheck.exe --last-run --json
check options-after-path ./zStartupCheck.exe "$(windows_path "$PWD/zStartup.exe")" --json --last-run
check astral ./zStartupCheck.exe --json "$(windows_path "$WORK_DIR/run-"$'\xf0\x9f\x98\x80'/zStartup.exe)"
check damaged ./zStartupCheck.exe --last-run --json "$(windows_path "$WORK_DIR/damaged/zStartup.exe")"
# Options in any case: bad arguments with --JSON still answer in JSON, the last one in last-run mode.
bad=("--json --json" "--json --bogus" "--bogus --json" "--json a b" "--JSON --bogus" "--LAST-RUN --Last-Run --JSON")
for i in "${!bad[@]}"; do
  # shellcheck disable=SC2086
  check "bad-json-$i" ./zStartupCheck.exe ${bad[$i]}
done
for arguments in "--last-run --last-run" "--verbose" "a b"; do
  # shellcheck disable=SC2086
  check bad-text ./zStartupCheck.exe $arguments
  [ "$(cat "$WORK_DIR/bad-text.status")" = 3 ] || fail "$arguments: exit status $(cat "$WORK_DIR/bad-text.status")"
  [ ! -s "$WORK_DIR/bad-text.out" ] || fail "$arguments: printed on standard output"
  grep -q "^usage: zStartupCheck" "$WORK_DIR/bad-text.err" || fail "$arguments: no usage on standard error"
done

# Help as Windows tools give it: the usage on standard output, status 0.
for arguments in "/?" "-?" "-h" "--HELP"; do
  check help ./zStartupCheck.exe "$arguments"
  [ "$(cat "$WORK_DIR/help.status")" = 0 ] || fail "$arguments: exit status $(cat "$WORK_DIR/help.status")"
  grep -q "^usage: zStartupCheck" "$WORK_DIR/help.out" || fail "$arguments: no usage on standard output"
done

python3 - "$WORK_DIR" "${#bad[@]}" "$VERSION" <<'PYTHON' || fail "the JSON output"
import datetime, json, os, re, sys
from zoneinfo import ZoneInfo

work, bad_count, version = sys.argv[1], int(sys.argv[2]), sys.argv[3]
berlin = ZoneInfo("Europe/Berlin")
name = 'zst"Json\tName\u00e9'
problems = []
started = datetime.datetime.now(datetime.timezone.utc)

def problem(case, text):
    problems.append(f"{case}: {text}")

def read(case):
    status = int(open(f"{work}/{case}.status").read())
    raw = open(f"{work}/{case}.out", "rb").read()
    if raw.count(b"\n") != 1 or not raw.endswith(b"\n"): problem(case, "not one line")
    if any(byte >= 0x80 for byte in raw): problem(case, "a byte outside ASCII")
    try:
        report = json.loads(raw.decode("ascii", "replace"))
    except ValueError as error:
        problem(case, f"not one JSON object: {error}: {raw[:300]!r}")
        return None, status
    if report.get("exitStatus") != status: problem(case, f"exitStatus {report.get('exitStatus')} != {status}")
    return report, status

def moment(case, key, text):
    # ISO 8601 with its offset, which must be Berlin's at that moment.
    if not isinstance(text, str) or not re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d", text):
        problem(case, f"{key} {text!r} is not ISO 8601 with an offset")
        return None
    when = datetime.datetime.fromisoformat(text)
    if when.utcoffset() != when.astimezone(berlin).utcoffset(): problem(case, f"{key} {text}: not Berlin's offset")
    return when

def common(case, report, mode):
    if report.get("schemaVersion") != 1: problem(case, f"schemaVersion {report.get('schemaVersion')!r}")
    if report.get("mode") != mode: problem(case, f"mode {report.get('mode')!r}")
    if not isinstance(report.get("computer"), str) or not report["computer"]: problem(case, "no computer")
    if not isinstance(report.get("dnsHostName"), str): problem(case, f"dnsHostName {report.get('dnsHostName')!r}")
    checked = moment(case, "checkedAt", report.get("checkedAt"))
    boot = moment(case, "bootTime", report.get("bootTime"))
    if checked and abs((checked - started).total_seconds()) > 120: problem(case, f"checkedAt {checked} is not now")
    if checked and boot and boot > checked: problem(case, f"bootTime {boot} after checkedAt {checked}")
    lines_key, other_key = ("plan", "lastRun") if mode == "plan" else ("lastRun", "plan")
    if other_key in report or not isinstance(report.get(lines_key), list): problem(case, f"lines under {sorted(report)}")
    for finding in report.get("findings", []):
        if sorted(finding) != ["code", "message", "severity", "subject"]: problem(case, f"keys {sorted(finding)}")
        if finding.get("severity") not in ("error", "warning", "note"): problem(case, str(finding))
        if not re.fullmatch(r"[a-z0-9-]+\.[a-z0-9-]+", finding.get("code", "")): problem(case, f"code {finding}")

def launcher_case(case, mode, log_path, log_name="zStartup_LT.log"):
    report, status = read(case)
    if report is None: return None
    common(case, report, mode)
    if report.get("checkerVersion") != version:
        problem(case, f"checkerVersion {report.get('checkerVersion')!r}")
    log = report.get("log")
    if not isinstance(log, dict) or sorted(log) != ["lastWritten", "path"]:
        problem(case, f"log {log!r}")
        return report
    # A launcher that logs in its own current folder: the bare name, that folder being unknown.
    named = log["path"] == log_name if log_path is None else log["path"].endswith("\\" + log_name)
    if not named: problem(case, f"log path {log['path']!r}")
    if log_path is None:
        if log["lastWritten"] is not None: problem(case, f"lastWritten {log['lastWritten']!r} without a log")
    else:
        written = moment(case, "log.lastWritten", log["lastWritten"])
        expected = datetime.datetime.fromtimestamp(int(os.stat(log_path).st_mtime), berlin)
        if written != expected or (written and written.utcoffset() != expected.utcoffset()):
            problem(case, f"lastWritten {log['lastWritten']}, the file says {expected.isoformat()}")
    return report

run_log = f"{work}/run/zStartup_LT.log"
for case, mode in (("plan", "plan"), ("last-run", "last-run"), ("options-after-path", "last-run")):
    report = launcher_case(case, mode, run_log)
    if report is None: continue
    if not report.get("launcher", "").endswith("\\run\\zStartup.exe"): problem(case, f"launcher {report.get('launcher')!r}")
    # The service the list names is not installed, so the plan and the run both name it in an error.
    code = "service.not-installed" if mode == "plan" else "last-run.error"
    named = [f for f in report.get("findings", []) if (f["severity"], f["code"], f["subject"]) == ("error", code, name)]
    if len(named) != 1 or name not in named[0]["message"]: problem(case, f"no single {code} about {name!r}")
    if mode == "last-run" and report.get("lastRun", [""])[-1] != "[zStartup] stopped": problem(case, f"lastRun {report.get('lastRun')}")

# The launcher there cannot use its own path in the ANSI code page, so it logs to default_LT.log.
report = launcher_case("astral", "plan", None, "default_LT.log")
if report and not report.get("launcher", "").endswith("\\run-\U0001F600\\zStartup.exe"):
    problem("astral", f"launcher {report.get('launcher')!r}")
if b"\\ud83d\\ude00" not in open(f"{work}/astral.out", "rb").read(): problem("astral", "no surrogate pair")

report = launcher_case("damaged", "last-run", f"{work}/damaged/zStartup_LT.log")
if report:
    lines = report.get("lastRun", [])
    longest = max((len(json.dumps(line)) for line in lines), default=0)
    if longest > 4200: problem("damaged", f"a line of {longest} bytes in the report")
    if not any(line.endswith("more bytes]") for line in lines): problem("damaged", "no line marked as cut")
    if not any("\x01\u00e9" in line for line in lines): problem("damaged", "the cut line's e acute lost")
    if len(lines) > 1000: problem("damaged", f"{len(lines)} lines")
    if "last-run.lines-left-out" not in [f["code"] for f in report.get("findings", [])]: problem("damaged", "no note of the lines left out")
    if os.path.getsize(f"{work}/damaged.out") > 4 << 20: problem("damaged", f"{os.path.getsize(f'{work}/damaged.out')} bytes")

for i in range(bad_count):
    case = f"bad-json-{i}"
    report, status = read(case)
    if status != 3: problem(case, f"exit status {status}")
    if not open(f"{work}/{case}.err").read().count("usage: zStartupCheck"): problem(case, "no usage on standard error")
    if report is None: continue
    common(case, report, "last-run" if case == f"bad-json-{bad_count - 1}" else "plan")
    if report.get("launcher", 0) is not None or report.get("log", 0) is not None: problem(case, "launcher or log not null")
    if [f["code"] for f in report.get("findings", [])] != ["check.bad-arguments"]: problem(case, f"findings {report.get('findings')}")

for line in problems: print(line)
sys.exit(1 if problems else 0)
PYTHON

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "checker JSON: passed"
