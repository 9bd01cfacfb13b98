#!/usr/bin/env bash
# The main job in one command: builds zStartup.exe and zStartupCheck.exe, registers a demo
# service in a throw-away Wine prefix, checks a copy of examples/ with zStartupCheck.exe, judges
# the package's two task definitions (made for that folder) and one left to the schema's defaults,
# runs zStartup.exe on it and prints what it did: its standard output, its trace log, the line
# its batch file wrote, and zStartupCheck.exe's report of that last run. Exits non-zero if a
# step fails, the check finds more than Wine's own folder permissions and its task list, the
# package's definitions give other task findings than the one each is expected to give, or the
# trace log lacks an expected line.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

service=zStartupDemo
demo=$PWD/build/demo
prefix=$demo/wineprefix
folder=$demo/zStartup
steps=$demo/steps.log   # output of the quiet steps, shown when one fails

fail() {
  echo "demo: $*" >&2
  [ -s "$steps" ] && tail -n 30 "$steps" >&2
  exit 1
}

say() { echo "== $*"; }

# quiet CMD...: runs a step with its output kept in steps.log.
quiet() { "$@" >>"$steps" 2>&1; }

# show FILE: prints a text file of CR LF lines, or says that it is missing.
show() { if [ -f "$1" ]; then tr -d '\r' <"$1"; else echo "(no file $1)"; fi; }

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
source cmake/wine-env.sh
# The product is the 32-bit build; a machine that runs no 32-bit program shows the 64-bit one.
preset=win32
[ "$zstartup_runs_32bit" = 1 ] || preset=win64
bin=$PWD/build/$preset/bin
sc() { wine sc.exe "$@" >>"$steps" 2>&1; }
service_running() { wine sc.exe query "$service" 2>/dev/null | grep -q 'STATE *: *4 '; }

cleanup() {
  if [ -d "$prefix" ]; then
    sc stop "$service" || true
    sc delete "$service" || true
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$prefix"
  fi
}

# A previous demo stopped half-way may have left its server running.
[ -d "$prefix" ] && { wineserver -k >/dev/null 2>&1 || true; }
rm -rf "$demo"
mkdir -p "$demo"
: >"$steps"

say "Toolchain (scripts/setup.sh)"
quiet bash scripts/setup.sh || fail "scripts/setup.sh failed"

say "Build: zStartup.exe, zStartupCheck.exe and the test service (preset $preset)"
quiet cmake --preset "$preset" || fail "configure failed"
quiet cmake --build --preset "$preset" --target zStartup zStartupCheck zstartup_testservice || fail "build failed"

say "Wine prefix: $prefix"
trap cleanup EXIT
quiet wineboot -i || fail "wineboot failed"
# Wine's service manager, and the demo service with it, ends a few seconds after the last Wine
# program: a persistent server keeps them up between the programs run below. It can only be
# made persistent when it starts, so let the boot's server end first.
timeout 60 wineserver -w || true
wineserver -p >/dev/null 2>&1 </dev/null

say "Service $service (test service: creates $service.Event, signals it 0.5 s after a stop)"
sc create "$service" binPath= "\"$(winepath -w "$bin/zstartup_testservice.exe")\" --event=plain --signal-after=500" \
  || fail "sc create failed"
# Right after the prefix boots, the service manager refuses or times out starts for a while.
deadline=$((SECONDS + 90))
until service_running; do
  [ "$SECONDS" -lt "$deadline" ] || fail "$service did not start within 90 s"
  sc start "$service" || sleep 1
done

mkdir -p "$folder"
cp "$bin/zStartup.exe" "$bin/zStartupCheck.exe" examples/Services.ini examples/zStartup.bat "$folder/"

say "Check: $folder/zStartupCheck.exe (what the next start will do)"
check_status=0
(cd "$folder" && wine ./zStartupCheck.exe) >"$demo/check.raw" 2>>"$steps" || check_status=$?
tr -d '\r' <"$demo/check.raw" >"$demo/check.txt"
cat "$demo/check.txt"
echo "exit status: $check_status"
echo "(Under Wine every folder belongs to, and may be changed by, the user's own account, and the Z: drive reads as a link: the folder and link errors are expected here and are what the check exists to catch on Windows. Wine's Task Scheduler lists no task, so no task is known to start the launcher: on Windows the warning means what it says.)"
grep -qx "entry 0: stop $service, then start $service" "$demo/check.txt" || fail "the check shows no entry 0"
# Wine also shows its Z: drive, the Unix root the demo folder lies under, as a link anyone may
# change: the folder's own error again, one level up.
unexpected=$(grep -E '^(error|warning): ' "$demo/check.txt" |
  grep -v -e '^error: folder ' -e '^error: the link Z:\\ ' -e '^warning: no scheduled task runs ' || true)
[ -z "$unexpected" ] || fail "the check found: $unexpected"

# check_task NAME FILE: zStartupCheck --task FILE, its task findings printed and kept in NAME.txt.
check_task() {
  (cd "$folder" && wine ./zStartupCheck.exe --task "$(winepath -w "$2")") >"$demo/$1.raw" 2>>"$steps" || true
  tr -d '\r' <"$demo/$1.raw" | grep -E '^(error|warning|note): task definition ' >"$demo/$1.txt" || true
  if [ -s "$demo/$1.txt" ]; then cat "$demo/$1.txt"; else echo "(no task finding)"; fi
}

# The package's two definitions, made for the demo folder, each with the one finding expected:
# - the default, at logon for the group Users: a standard user who logs on would run the launcher
#   with a standard token, and the demo service (as every service under Wine) grants no such
#   account the right to stop or start it: a warning (an administrator who logs on is elevated);
# - the one at boot as LocalSystem: it may act on every service, but it runs in session 0, where
#   what the example batch file opens is shown on no screen: a warning.
expect_one_task_finding() {
  [ "$(wc -l <"$demo/$1.txt")" -eq 1 ] && grep -q "$2" "$demo/$1.txt" \
    || fail "the package's task definition gives other findings than the expected one ($2)"
}
for definition in zStartup.task.xml zStartup.boot.task.xml; do
  say "Task: zStartupCheck --task $definition (shipped in the package, made for $folder)"
  quiet cmake -DTEMPLATE="packaging/$definition.in" -DOUTPUT="$demo/$definition" \
    "-DFOLDER=$(winepath -w "$folder")" -DVERSION=demo -P packaging/task-definition.cmake \
    || fail "the task definition $definition could not be made"
  check_task "package-${definition%.xml}" "$demo/$definition"
done
echo "(Expected: the logon definition's warning that a standard user who logs on may not stop or start $service, with the sc sdset line that would let them; the boot definition's warning that what zStartup.bat opens in session 0 is shown on no screen.)"
expect_one_task_finding package-zStartup.task "^warning: .* does not grant it .*sc sdset $service "
expect_one_task_finding package-zStartup.boot.task "^warning: .* in session 0"

say "Task: zStartupCheck --task onstart.xml (a boot trigger and the command only, the rest left to the schema's defaults as a schtasks /Create /SC ONSTART line without /RU and /RL leaves it)"
cat >"$demo/onstart.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">
  <Triggers><BootTrigger/></Triggers>
  <Actions><Exec><Command>$(winepath -w "$folder/zStartup.exe")</Command></Exec></Actions>
</Task>
XML
check_task onstart-task "$demo/onstart.xml"
grep -q "task definition .* on batteries" "$demo/onstart-task.txt" || fail "the boot-only definition shows no battery finding"

say "Run: $folder/zStartup.exe (with Services.ini and zStartup.bat from examples/)"
status=0
(cd "$folder" && wine ./zStartup.exe) >"$demo/stdout.txt" 2>>"$steps" || status=$?
show "$demo/stdout.txt"
echo "exit status: $status"

say "Trace log: $folder/zStartup_LT.log"
show "$folder/zStartup_LT.log"

say "Written by zStartup.bat: $folder/zStartup_bat.log"
# zStartup.exe does not wait for its batch file, which runs on in its own process.
for _ in $(seq 50); do
  [ -s "$folder/zStartup_bat.log" ] && break
  sleep 0.2
done
show "$folder/zStartup_bat.log"

[ "$status" -eq 0 ] || fail "zStartup.exe exited with $status"
for line in "Success stopping service $service" "Success starting service $service" \
            "BAT file is '" "zStartup.bat' started with result: " "[zStartup] stopped"; do
  grep -qsF "$line" "$folder/zStartup_LT.log" || fail "trace log lacks: $line"
done
[ -s "$folder/zStartup_bat.log" ] || fail "zStartup.bat wrote nothing"

say "Last run: $folder/zStartupCheck.exe --last-run (what a fleet tool asks each machine)"
last_status=0
(cd "$folder" && wine ./zStartupCheck.exe --last-run) >"$demo/last-run.raw" 2>>"$steps" || last_status=$?
tr -d '\r' <"$demo/last-run.raw" >"$demo/last-run.txt"
cat "$demo/last-run.txt"
echo "exit status: $last_status"
echo "(A log proves nothing another account could have written: --last-run judges the folder's rights as the check did, so the same folder and link errors are expected here under Wine.)"
unexpected=$(grep -E '^(error|warning): ' "$demo/last-run.txt" | grep -v -e '^error: folder ' -e '^error: the link Z:\\ ' || true)
[ -z "$unexpected" ] || fail "the last-run report found a problem in the run above: $unexpected"
[ "$last_status" -eq 0 ] || [ "$last_status" -eq 2 ] || fail "the last-run report exited with $last_status"

say "Clean-up: service deleted, Wine prefix removed; the run folder stays in $folder"
