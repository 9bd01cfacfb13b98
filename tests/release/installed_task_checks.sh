# Sourced by release_msi_test.sh once the package is installed in $folder of $WINE_PREFIX: the
# installed zStartupCheck.exe judges the installed task definitions, variants of them written
# as an administrator would by hand (UTF-8), and the registered tasks. Wine's Task Scheduler
# lists no task (its collections answer E_NOTIMPL) and keeps no triggers, principal or command
# of a registered one: every definition decision is seen through --task here.

windows_path() { WINEPREFIX=$WINE_PREFIX WINEDEBUG=-all winepath -w "$1"; }

# task_findings ARGUMENTS...: the installed checker's task findings, "severity:code" sorted and
# joined by spaces, from its JSON.
task_findings() {
  "$WINE_RUN" "$WINE_PREFIX" "$folder/zStartupCheck.exe" --json "$@" >"$WORK_DIR/task.json" 2>"$WORK_DIR/task.err" \
    </dev/null || true
  python3 - "$WORK_DIR/task.json" <<'PYTHON' || echo "(no JSON: $(head -c 300 "$WORK_DIR/task.err"))"
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
print(" ".join(sorted(f["severity"] + ":" + f["code"] for f in report["findings"] if f["code"].startswith("task."))))
PYTHON
}

# expect_task_findings EXPECTED DEFINITION: --task DEFINITION gives exactly EXPECTED.
expect_task_findings() {
  local got
  got=$(task_findings --task "$(windows_path "$2")")
  [ "$got" = "$1" ] || fail "--task $(basename "$2"): task findings '$got', expected '$1'"
}

# variant NAME DEFINITION SED-SCRIPT: the installed DEFINITION edited, as UTF-8, into $WORK_DIR/NAME.
variant() {
  iconv -f UTF-16 -t UTF-8 "$folder/$2" | sed -e 's/encoding="UTF-16"/encoding="UTF-8"/' -e "$3" >"$WORK_DIR/$1"
  echo "$WORK_DIR/$1"
}

power_key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Power'
set_hiberboot() {
  "$WINE_RUN" "$WINE_PREFIX" reg add "$power_key" /v HiberbootEnabled /t REG_DWORD /d "$1" /f >/dev/null 2>&1 </dev/null \
    || fail "reg add HiberbootEnabled $1 failed"
}

# expect_reported_task DEFINITION PYTHON-DICT: the JSON's one task, as --task DEFINITION reported
# it last, has these fields.
expect_reported_task() {
  python3 - "$WORK_DIR/task.json" "$2" <<'PYTHON' || fail "--task $1: its JSON tasks"
import ast, json, sys
tasks = json.load(open(sys.argv[1], encoding="utf-8"))["tasks"]
expected = ast.literal_eval(sys.argv[2])
if len(tasks) != 1 or any(tasks[0].get(key) != value for key, value in expected.items()):
    print(f"tasks {tasks}, expected {expected}")
    sys.exit(1)
PYTHON
}

set_hiberboot 0
# The default: at any user's logon, run for that user as a member of Users (S-1-5-32-545), with
# the highest privileges that user has.
expect_task_findings "" "$folder/zStartup.task.xml"
expect_reported_task zStartup.task.xml \
  '{"runsThisLauncher": True, "enabled": True, "startTriggers": ["logon"], "account": "S-1-5-32-545", "highestAvailable": True}'
# The boot definition: LocalSystem (S-1-5-18).
expect_task_findings "" "$folder/zStartup.boot.task.xml"
expect_reported_task zStartup.boot.task.xml \
  '{"runsThisLauncher": True, "enabled": True, "startTriggers": ["boot"], "account": "S-1-5-18", "highestAvailable": True}'
# Variants an administrator might make of either definition, and what each gives.
for definition in zStartup.task.xml zStartup.boot.task.xml; do
  expect_task_findings "warning:task.battery" \
    "$(variant battery.xml $definition 's|<DisallowStartIfOnBatteries>false<|<DisallowStartIfOnBatteries>true<|')"
  expect_task_findings "warning:task.battery" "$(variant battery-default.xml $definition '/<StopIfGoingOnBatteries>/d')"
  expect_task_findings "error:task.other-launcher" \
    "$(variant other-command.xml $definition 's|<Command>[^<]*<|<Command>D:\\Show\\zStartup.exe<|')"
  expect_task_findings "warning:task.instances" "$(variant parallel.xml $definition 's|>IgnoreNew<|>Parallel<|')"
  expect_task_findings "warning:task.time-limit" "$(variant short-limit.xml $definition 's|>PT15M<|>PT2M<|')"
  # Settings' Enabled, not the trigger's (indented deeper).
  expect_task_findings "error:task.disabled" \
    "$(variant disabled.xml $definition 's|^    <Enabled>true<|    <Enabled>false<|')"
done
# With no list and no batch file, who runs the launcher neither matters nor shows.
expect_task_findings "" "$(variant not-elevated.xml zStartup.task.xml '/<RunLevel>/d')"
expect_task_findings "" "$(variant system-least.xml zStartup.boot.task.xml '/<RunLevel>/d')"

# A deployed kiosk: a list that stops and starts a service, and a batch file. Wine answers every
# service's permissions with an empty DACL, so no account but an elevated one may act on it.
printf '[STOP]\r\n0=Spooler\r\n[START]\r\n0=Spooler\r\n' >"$folder/Services.ini"
printf '@echo off\r\n' >"$folder/zStartup.bat"
# Users at logon: a standard user who logs on lacks the rights, an administrator is elevated.
expect_task_findings "warning:task.service-rights" "$folder/zStartup.task.xml"
# Without RunLevel (LeastPrivilege, the schema's default) every member runs with a standard token.
expect_task_findings "error:task.service-rights" "$(variant not-elevated.xml zStartup.task.xml '/<RunLevel>/d')"
# Administrators at logon, elevated: nothing.
expect_task_findings "" "$(variant administrators.xml zStartup.task.xml 's|S-1-5-32-545|S-1-5-32-544|')"
# LocalSystem has every right whatever its run level, in session 0, where the batch file shows nothing.
expect_task_findings "warning:task.session-0" "$folder/zStartup.boot.task.xml"
expect_task_findings "warning:task.session-0" "$(variant system-least.xml zStartup.boot.task.xml '/<RunLevel>/d')"
rm -f "$folder/Services.ini" "$folder/zStartup.bat"

# Fast Startup skips the boot trigger, never a logon.
set_hiberboot 1
expect_task_findings "warning:task.fast-startup" "$folder/zStartup.boot.task.xml"
expect_task_findings "" "$folder/zStartup.task.xml"
set_hiberboot 0

# A file that is no definition: the check cannot run (exit status 3), and says why in its JSON.
"$WINE_RUN" "$WINE_PREFIX" "$folder/zStartupCheck.exe" --json --task "$(windows_path "$folder/README.md")" \
  >"$WORK_DIR/task.json" 2>/dev/null </dev/null && status=0 || status=$?
[ "$status" = 3 ] || fail "--task README.md: exit status $status, expected 3"
grep -q '"check.task-unreadable"' "$WORK_DIR/task.json" || fail "--task README.md: no check.task-unreadable in its JSON"

# The task is registered, but Wine lists none.
[ "$(task_findings)" = "warning:task.none" ] || fail "plan mode under Wine: task findings '$(task_findings)'"
