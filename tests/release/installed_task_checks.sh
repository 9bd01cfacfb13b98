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

# variant NAME SED-SCRIPT: the installed boot definition edited, as UTF-8, into $WORK_DIR/NAME.
variant() {
  iconv -f UTF-16 -t UTF-8 "$folder/zStartup.task.xml" | sed -e 's/encoding="UTF-16"/encoding="UTF-8"/' -e "$2" \
    >"$WORK_DIR/$1"
  echo "$WORK_DIR/$1"
}

power_key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Power'
set_hiberboot() {
  "$WINE_RUN" "$WINE_PREFIX" reg add "$power_key" /v HiberbootEnabled /t REG_DWORD /d "$1" /f >/dev/null 2>&1 </dev/null \
    || fail "reg add HiberbootEnabled $1 failed"
}

set_hiberboot 0
expect_task_findings "" "$folder/zStartup.task.xml"
python3 - "$WORK_DIR/task.json" <<'PYTHON' || fail "--task zStartup.task.xml: its JSON tasks"
import json, sys
tasks = json.load(open(sys.argv[1], encoding="utf-8"))["tasks"]
expected = {"runsThisLauncher": True, "enabled": True, "startTriggers": ["boot"], "account": "S-1-5-18",
            "highestAvailable": True}
if len(tasks) != 1 or any(tasks[0].get(key) != value for key, value in expected.items()):
    print(f"tasks {tasks}")
    sys.exit(1)
PYTHON
expect_task_findings "" "$folder/zStartup.logon.task.xml"
expect_task_findings "warning:task.battery" \
  "$(variant battery.xml 's|<DisallowStartIfOnBatteries>false<|<DisallowStartIfOnBatteries>true<|')"
expect_task_findings "warning:task.battery" "$(variant battery-default.xml '/<StopIfGoingOnBatteries>/d')"
expect_task_findings "error:task.other-launcher" \
  "$(variant other-command.xml 's|<Command>[^<]*<|<Command>D:\\Show\\zStartup.exe<|')"
expect_task_findings "error:task.not-elevated" \
  "$(variant not-elevated.xml 's|<UserId>S-1-5-18</UserId>|<GroupId>S-1-5-32-545</GroupId>|; /<RunLevel>/d')"
expect_task_findings "warning:task.instances" \
  "$(variant parallel.xml 's|>IgnoreNew<|>Parallel<|')"
expect_task_findings "warning:task.time-limit" "$(variant short-limit.xml 's|>PT13M<|>PT2M<|')"
# Settings' Enabled, not the trigger's (indented deeper).
expect_task_findings "error:task.disabled" "$(variant disabled.xml 's|^    <Enabled>true<|    <Enabled>false<|')"

set_hiberboot 1
expect_task_findings "warning:task.fast-startup" "$folder/zStartup.task.xml"
expect_task_findings "" "$folder/zStartup.logon.task.xml"
set_hiberboot 0

# A file that is no definition: the check cannot run (exit status 3), and says why in its JSON.
"$WINE_RUN" "$WINE_PREFIX" "$folder/zStartupCheck.exe" --json --task "$(windows_path "$folder/README.md")" \
  >"$WORK_DIR/task.json" 2>/dev/null </dev/null && status=0 || status=$?
[ "$status" = 3 ] || fail "--task README.md: exit status $status, expected 3"
grep -q '"check.task-unreadable"' "$WORK_DIR/task.json" || fail "--task README.md: no check.task-unreadable in its JSON"

# The task is registered, but Wine lists none.
[ "$(task_findings)" = "warning:task.none" ] || fail "plan mode under Wine: task findings '$(task_findings)'"
