#!/usr/bin/env bash
# MSI package test. Environment (set by CTest): MSI (made by the release_packages test),
# PAYLOAD_DIR (the folder it was made from), WOW64_DIR (the x86 package's task definitions for
# 64-bit Windows), VERSION, ARCH (x86 or x64), WORK_DIR (emptied first), WINE_RUN, WINE_PREFIX
# (this test's own), CMAKE, SOURCE_DIR.
#
# One machine's life, with the real msiexec and the real schtasks, all silent. Wine's Task
# Scheduler keeps each registered task as the file C:\windows\system32\tasks\<name>, with the
# definition's Description: that file tells which definition, of which version, is registered.
#   The package's tables follow Microsoft's documented rules where Wine cannot show them: the
#   other version's removal inside the transaction, the rollback action, the task registered
#   last, the 64-bit package running the 64-bit schtasks.
#   ZSTARTUP_TASK=yes stops the install before it changes anything, saying why in the log.
#   The same version built for the other architecture is installed without the property (no
#   task), then replaced by MSI with ZSTARTUP_TASK=1: MSI installs exactly its files into its
#   Program Files folder, the programs with the version record of VERSION (the x86 package's
#   task definitions, on this 64-bit prefix, those naming %ProgramFiles(x86)%), and registers
#   \zStartup from the logon definition; a task the administrator registered by hand under
#   another name is never touched.
#   The installed checker judges the installed definitions (installed_task_checks.sh).
#   An administrator adds Services.ini, zStartup.bat and a log.
#   A later version without the property replaces MSI and registers the same choice from its
#   own definition; MSI then refuses to install over it; a version later still, with
#   ZSTARTUP_TASK=boot, registers the boot definition. The administrator's files are untouched
#   throughout. Uninstalling without the property deletes \zStartup and leaves the rest.
#   ZSTARTUP_TASK=logon registers the logon definition; uninstalled without the property.
#   Without the property, a \zStartup registered by hand is neither replaced nor deleted.
#   A definition schtasks refuses fails the install: nothing is installed and a task
#   registered before, by hand, is left as it was. A failure after the registration rolls the
#   registration back.
set -euo pipefail
source "$SOURCE_DIR/cmake/wine-env.sh"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$WORK_DIR"
mkdir -p "$WORK_DIR"
cd "$WORK_DIR"

# A run that failed half-way may have left a product installed: start from a fresh prefix then.
WINEPREFIX=$WINE_PREFIX wineserver -k >/dev/null 2>&1 || true
if grep -qs '"ProductName"="zStartup"' "$WINE_PREFIX/system.reg"; then rm -rf "$WINE_PREFIX"; fi

# msiexec /i|/x PACKAGE-OR-PRODUCT [PROPERTY=VALUE...]: its exit status, of which Unix keeps the
# low 8 bits (1603, install failed: 67; 1605, unknown product: 69); its log goes to
# <package>.log, the last one kept.
msiexec() {
  local status=0
  "$WINE_RUN" "$WINE_PREFIX" msiexec "$@" /qn /l*v "$(basename "$2").log" >/dev/null 2>&1 </dev/null || status=$?
  echo "$status"
}

# build_package OUTPUT VERSION ARCH PAYLOAD WOW64: the package of that payload.
build_package() {
  "$CMAKE" -DOUTPUT="$1" -DVERSION="$2" -DARCH="$3" -DPAYLOAD_DIR="$4" -DWOW64_DIR="$5" \
    -P "$SOURCE_DIR/packaging/build-msi.cmake" >/dev/null
}

# edit_definitions FOLDER SED-SCRIPT: every task definition of FOLDER (if any) edited, kept UTF-16 LE.
edit_definitions() {
  for definition in "$1"/*.task.xml; do
    [ -f "$definition" ] || continue
    iconv -f UTF-16 -t UTF-8 "$definition" | sed -e "$2" | iconv -f UTF-8 -t UTF-16 >"$definition.new"
    mv "$definition.new" "$definition"
  done
}

# later_payload NAME VERSION: the payload with the programs' version records and the
# definitions' descriptions raised to VERSION, in NAME and NAME-wow64.
later_payload() {
  cp -r "$PAYLOAD_DIR" "$1"
  cp -r "$WOW64_DIR" "$1-wow64"
  for program in "$1"/*.exe; do python3 "$SOURCE_DIR/tests/release/peversion.py" "$program" "$2" >/dev/null; done
  edit_definitions "$1" "s/(zStartup $VERSION)/(zStartup $2)/"
  edit_definitions "$1-wow64" "s/(zStartup $VERSION)/(zStartup $2)/"
}

IFS=. read -r major minor build _ <<<"$VERSION"
later_version=$major.$minor.$((build + 1)).0
latest_version=$major.$minor.$((build + 2)).0
later_payload later-payload "$later_version"
build_package later.msi "$later_version" "$ARCH" later-payload later-payload-wow64
later_payload latest-payload "$latest_version"
build_package latest.msi "$latest_version" "$ARCH" latest-payload latest-payload-wow64

# The same version for the other architecture.
other_arch=$([ "$ARCH" = x64 ] && echo x86 || echo x64)
build_package other.msi "$VERSION" "$other_arch" "$PAYLOAD_DIR" "$WOW64_DIR"
cp "$MSI" this.msi

# Definitions schtasks refuses: the task namespace replaced (Wine's schtasks, like Windows',
# refuses a Task element in another namespace; Wine's hangs on XML that is not well-formed).
cp -r "$PAYLOAD_DIR" refusing-payload
cp -r "$WOW64_DIR" refusing-payload-wow64
for folder in refusing-payload refusing-payload-wow64; do
  edit_definitions "$folder" 's|http://schemas.microsoft.com/windows/2004/02/mit/task|urn:not-the-task-namespace|'
done
build_package refusing.msi "$VERSION" "$ARCH" refusing-payload refusing-payload-wow64

# This package with a deferred action after the registration that fails (schtasks deleting a
# task that does not exist).
cp this.msi failing-after.msi
msibuild failing-after.msi \
  -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('FailAfterRegistration', 3122, 'ZSTARTUP_SCHTASKS', '/Delete /TN zStartupNoSuchTask /F')" \
  -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('FailAfterRegistration', 6599)"

# Windows Installer compares the versions the File table records: every program's must be its
# version record's.
while read -r name version; do
  [ "$version" = "$VERSION" ] || fail "the package records $name as version '$version', not $VERSION"
done < <(msiinfo export this.msi File | tr -d '\r' | awk -F '\t' 'NR > 3 && $3 ~ /\.exe$/ { print $3, $5 }')

source "$SOURCE_DIR/tests/release/package_table_checks.sh"

"$WINE_RUN" "$WINE_PREFIX" cmd /c exit >/dev/null 2>&1  # boots the prefix if it is new
drive_c=$WINE_PREFIX/drive_c
folder_64="$drive_c/Program Files/zStartup"
folder_32="$drive_c/Program Files (x86)/zStartup"
if [ "$ARCH" = x64 ]; then folder=$folder_64 other_folder=$folder_32; else folder=$folder_32 other_folder=$folder_64; fi
# An earlier run's uninstall left its administrator's files behind.
rm -rf "$folder_64" "$folder_32"

listing() { (cd "$1" && find . -type f | LC_ALL=C sort | tr '\n' ' '); }
package_listing=$(listing "$PAYLOAD_DIR")

# The package's file of that name as it installs here: the x86 package's WOW64_DIR variant on
# a 64-bit prefix (which has a Program Files (x86)).
package_file() {
  if [ "$ARCH" = x86 ] && [ -d "$folder_32" ] && [ -f "$WOW64_DIR/$1" ]; then echo "$WOW64_DIR/$1"; else echo "$PAYLOAD_DIR/$1"; fi
}

# Wine's Task Scheduler stores each task as a file there.
tasks=$drive_c/windows/system32/tasks
task_file=$tasks/zStartup
"$WINE_RUN" "$WINE_PREFIX" net start schedule >/dev/null 2>&1 </dev/null || true
rm -f "$task_file" "$tasks/zStartupShow"

# registered_description [NAME]: the Description of the registered task NAME (zStartup), or
# "none" when no task of that name is registered.
registered_description() {
  python3 - "$tasks/${1:-zStartup}" <<'PYTHON'
import re, sys
try:
    data = open(sys.argv[1], "rb").read()
except FileNotFoundError:
    print("none")
    sys.exit()
text = data.decode("utf-16") if data[:2] in (b"\xff\xfe", b"\xfe\xff") else data.decode("utf-8-sig")
found = re.search(r"<Description>(.*?)</Description>", text, re.S)
print(found.group(1) if found else "no description")
PYTHON
}

# expect_task WHEN DEFINITION VERSION: \zStartup is registered from DEFINITION (logon or boot)
# of that version; "none": no task \zStartup.
logon_text="at every logon, in the session and on the screen of the user who logs on"
boot_text="3 minutes after every boot, as LocalSystem"
expect_task() {
  local got expected
  got=$(registered_description)
  case $2 in
    logon) expected="Stops and starts the services in Services.ini and opens zStartup.bat $logon_text (zStartup $3)." ;;
    boot) expected="Stops and starts the services in Services.ini and opens zStartup.bat $boot_text: what zStartup.bat opens is shown on no desktop (zStartup $3)." ;;
    none) expected=none ;;
  esac
  [ "$got" = "$expected" ] || fail "$1: \\zStartup is '$got', expected '$expected'"
}

# register_by_hand NAME DEFINITION: the administrator's own task, with schtasks.
register_by_hand() {
  "$WINE_RUN" "$WINE_PREFIX" schtasks /Create /TN "$1" /XML "$(windows_path "$2")" /F >/dev/null 2>&1 </dev/null \
    || fail "schtasks /Create /TN $1 failed"
}
windows_path() { WINEPREFIX=$WINE_PREFIX WINEDEBUG=-all winepath -w "$1"; }

# expect_programs VERSION PAYLOAD: every program of PAYLOAD installed, with that version record.
expect_programs() {
  for program in "$2"/*.exe; do
    local name=$(basename "$program")
    cmp -s "$program" "$folder/$name" || fail "installed $name differs from $program"
    local version=$(python3 "$SOURCE_DIR/tests/release/peversion.py" "$folder/$name" 2>&1)
    [ "$version" = "$1" ] || fail "installed $name has version $version, expected $1"
  done
}

# A value the package does not know: nothing changes, and the log says what the values are.
[ "$(msiexec /i this.msi ZSTARTUP_TASK=yes)" != 0 ] || fail "ZSTARTUP_TASK=yes did not fail the install"
grep -q "ZSTARTUP_TASK is not a task of zStartup: use logon or 1" this.msi.log \
  || fail "ZSTARTUP_TASK=yes: no line in the log says which values are known"
[ ! -e "$folder" ] || fail "ZSTARTUP_TASK=yes installed files: $(listing "$folder")"
expect_task "ZSTARTUP_TASK=yes" none

# The administrator's task under another name, then the other architecture's package, replaced
# by this one.
register_by_hand zStartupShow "$PAYLOAD_DIR/zStartup.boot.task.xml"
show_task=$(registered_description zStartupShow)
[ "$(msiexec /i other.msi)" = 0 ] || fail "install of other.msi failed"
[ -f "$other_folder/zStartup.exe" ] || fail "other.msi did not install into $other_folder"
expect_task "other.msi without ZSTARTUP_TASK" none
[ "$(msiexec /i this.msi ZSTARTUP_TASK=1)" = 0 ] || fail "install of $(basename "$MSI") failed"
grep -qiF "ZSTARTUP_SCHTASKS = C:\\windows\\$([ "$ARCH" = x64 ] && echo system32 || echo syswow64)\\schtasks.exe" \
  this.msi.log || fail "$(basename "$MSI") runs another schtasks: $(grep -o 'ZSTARTUP_SCHTASKS = .*' this.msi.log)"
[ ! -e "$other_folder" ] || fail "the other architecture's package was not replaced: $(listing "$other_folder")"
expect_task "ZSTARTUP_TASK=1" logon "$VERSION"

# Exactly the package's files, in the right Program Files.
[ "$(listing "$folder")" = "$package_listing" ] || fail "installed: $(listing "$folder"); expected: $package_listing"
for file in $package_listing; do
  cmp -s "$(package_file "$file")" "$folder/$file" || fail "installed $file differs from the package's $(package_file "$file")"
done
expect_programs "$VERSION" "$PAYLOAD_DIR"

source "$SOURCE_DIR/tests/release/installed_task_checks.sh"

# The administrator's own files.
admin_files=(Services.ini zStartup.bat zStartup_LT.log)
mkdir -p admin
printf '[STOP]\r\n0=Spooler\r\n' >admin/Services.ini
printf '@echo off\r\necho administrator\r\n' >admin/zStartup.bat
printf '[zStartup] started\r\n[zStartup] stopped\r\n' >admin/zStartup_LT.log
cp admin/* "$folder/"
expect_admin_files() {
  for file in "${admin_files[@]}"; do
    cmp -s "admin/$file" "$folder/$file" || fail "$1: the administrator's $file was changed or removed"
  done
}

# The upgrades.
[ "$(msiexec /i later.msi)" = 0 ] || fail "upgrade to $later_version failed"
expect_programs "$later_version" later-payload
expect_admin_files "upgrade"
expect_task "upgrade to $later_version without ZSTARTUP_TASK" logon "$later_version"
this_product=$(msiinfo export this.msi Property | tr -d '\r' | awk '$1 == "ProductCode" { print $2 }')
[ "$(msiexec /x "$this_product")" = $((1605 % 256)) ] || fail "$(basename "$MSI") is still installed after the upgrade"
[ "$(msiexec /i this.msi)" = $((1603 % 256)) ] || fail "$(basename "$MSI") did not refuse to install over $later_version"
expect_programs "$later_version" later-payload
[ "$(msiexec /i latest.msi ZSTARTUP_TASK=Boot)" = 0 ] || fail "upgrade to $latest_version with ZSTARTUP_TASK=Boot failed"
expect_programs "$latest_version" latest-payload
expect_admin_files "upgrade with ZSTARTUP_TASK"
expect_task "upgrade to $latest_version with ZSTARTUP_TASK=Boot" boot "$latest_version"

# The removal, with no property: the package's task goes, the administrator's stays.
[ "$(msiexec /x latest.msi)" = 0 ] || fail "uninstall failed"
expect_admin_files "uninstall"
expect_task "uninstall without ZSTARTUP_TASK" none
[ "$(registered_description zStartupShow)" = "$show_task" ] || fail "the uninstall changed the task \\zStartupShow"
[ "$(listing "$folder")" = "./Services.ini ./zStartup.bat ./zStartup_LT.log " ] \
  || fail "after uninstall the folder holds: $(listing "$folder")"

[ "$(msiexec /i this.msi ZSTARTUP_TASK=logon)" = 0 ] || fail "install with ZSTARTUP_TASK=logon failed"
expect_task "ZSTARTUP_TASK=logon" logon "$VERSION"
[ "$(msiexec /x this.msi)" = 0 ] || fail "uninstall after ZSTARTUP_TASK=logon failed"
expect_task "uninstall without ZSTARTUP_TASK after ZSTARTUP_TASK=logon" none

# A \zStartup of the administrator's: the package without the property neither replaces nor
# deletes it.
register_by_hand zStartup "$PAYLOAD_DIR/zStartup.boot.task.xml"
own_task=$(registered_description)
[ "$(msiexec /i this.msi)" = 0 ] || fail "install without ZSTARTUP_TASK over a task registered by hand failed"
[ "$(registered_description)" = "$own_task" ] || fail "an install without ZSTARTUP_TASK changed a \\zStartup registered by hand"
[ "$(msiexec /x this.msi)" = 0 ] || fail "uninstall without ZSTARTUP_TASK failed"
[ "$(registered_description)" = "$own_task" ] || fail "an uninstall deleted a \\zStartup the package did not register"

# A registration that fails leaves the task registered before as it was, and installs nothing;
# with no task before, it leaves none.
[ "$(msiexec /i refusing.msi ZSTARTUP_TASK=logon)" != 0 ] || fail "a definition schtasks refuses did not fail the install"
[ "$(registered_description)" = "$own_task" ] || fail "a failed registration changed or deleted the \\zStartup registered before"
[ ! -e "$folder/zStartup.exe" ] || fail "a failed registration left files: $(listing "$folder")"
"$WINE_RUN" "$WINE_PREFIX" schtasks /Delete /TN zStartup /F >/dev/null 2>&1 </dev/null || true
[ "$(msiexec /i refusing.msi ZSTARTUP_TASK=boot)" != 0 ] || fail "a definition schtasks refuses did not fail the install"
expect_task "failed registration with no task before" none
[ ! -e "$folder/zStartup.exe" ] || fail "a failed registration left files: $(listing "$folder")"

# A failure after the registration rolls it back.
[ "$(msiexec /i failing-after.msi ZSTARTUP_TASK=logon)" != 0 ] || fail "the failing action did not fail the install"
expect_task "failure after the registration" none
[ ! -e "$folder/zStartup.exe" ] || fail "a failed install left files: $(listing "$folder")"

[ "$(registered_description zStartupShow)" = "$show_task" ] || fail "the package changed the task \\zStartupShow"

[ "$failures" -eq 0 ] || { echo "msiexec logs: $WORK_DIR/*.log"; exit 1; }
echo "MSI $(basename "$MSI"): refuses an unknown ZSTARTUP_TASK, replaces the other architecture, registers the logon or boot task, its definitions judged, upgrades to $later_version (same task) and $latest_version (boot), refuses the downgrade, uninstalls with its task; leaves the administrator's tasks and files; a failed registration leaves the machine as it was"
