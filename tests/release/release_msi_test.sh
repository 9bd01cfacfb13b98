#!/usr/bin/env bash
# MSI package test. Environment (set by CTest): MSI (made by the release_packages test),
# PAYLOAD_DIR (the folder it was made from), WOW64_DIR (the x86 package's task definitions for
# 64-bit Windows), VERSION, ARCH (x86 or x64), WORK_DIR (emptied first), WINE_RUN, WINE_PREFIX
# (this test's own), CMAKE, SOURCE_DIR.
#
# One machine's life, with the real msiexec, all silent:
#   the same version built for the other architecture is installed, then replaced by MSI, with
#   ZSTARTUP_TASK=1: MSI installs exactly its files into its Program Files folder, the programs
#   with the version record of VERSION (the x86 package's task definitions, on this 64-bit
#   prefix, those naming %ProgramFiles(x86)%), and registers the task \zStartup, which the other
#   package, installed without the property, did not;
#   the installed checker judges the installed definitions with --task: no task finding above
#   a note; variants of them (batteries, another command, not elevated, boot only while Fast
#   Startup is on in the prefix's registry) give theirs; plan mode, where Wine's Task Scheduler
#   lists no task, warns that none runs the launcher;
#   an administrator adds Services.ini, zStartup.bat and a log;
#   a later version (same upgrade code, programs with that version record) replaces MSI: the
#   old product is gone, the programs are the new ones, the administrator's files and the task
#   untouched;
#   MSI then refuses to install over the later version;
#   uninstalling with ZSTARTUP_TASK=1 leaves the administrator's files, untouched, and nothing
#   else: the task is deleted.
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
# <package>.log.
msiexec() {
  local status=0
  "$WINE_RUN" "$WINE_PREFIX" msiexec "$@" /qn /l*v "$(basename "$2").log" >/dev/null 2>&1 </dev/null || status=$?
  echo "$status"
}

# The later version's package: the same files, the programs' version records raised.
IFS=. read -r major minor build _ <<<"$VERSION"
later_version=$major.$minor.$((build + 1)).0
cp -r "$PAYLOAD_DIR" later-payload
for program in later-payload/*.exe; do python3 "$SOURCE_DIR/tests/release/peversion.py" "$program" "$later_version" >/dev/null; done
"$CMAKE" -DOUTPUT=later.msi -DVERSION="$later_version" -DARCH="$ARCH" -DPAYLOAD_DIR=later-payload \
  -DWOW64_DIR="$WOW64_DIR" -P "$SOURCE_DIR/packaging/build-msi.cmake" >/dev/null

# The same version for the other architecture.
other_arch=$([ "$ARCH" = x64 ] && echo x86 || echo x64)
"$CMAKE" -DOUTPUT=other.msi -DVERSION="$VERSION" -DARCH="$other_arch" -DPAYLOAD_DIR="$PAYLOAD_DIR" \
  -DWOW64_DIR="$WOW64_DIR" -P "$SOURCE_DIR/packaging/build-msi.cmake" >/dev/null
cp "$MSI" this.msi

# Windows Installer compares the versions the File table records: every program's must be its
# version record's.
while read -r name version; do
  [ "$version" = "$VERSION" ] || fail "the package records $name as version '$version', not $VERSION"
done < <(msiinfo export this.msi File | tr -d '\r' | awk -F '\t' 'NR > 3 && $3 ~ /\.exe$/ { print $3, $5 }')

"$WINE_RUN" "$WINE_PREFIX" cmd /c exit >/dev/null 2>&1  # boots the prefix if it is new
drive_c=$WINE_PREFIX/drive_c
folder_64="$drive_c/Program Files/zStartup"
folder_32="$drive_c/Program Files (x86)/zStartup"
if [ "$ARCH" = x64 ]; then folder=$folder_64 other_folder=$folder_32; else folder=$folder_32 other_folder=$folder_64; fi
# An earlier run's uninstall left its administrator's files behind.
rm -rf "$folder_64" "$folder_32"

listing() { (cd "$1" && LC_ALL=C ls | tr '\n' ' '); }
package_listing=$(listing "$PAYLOAD_DIR")

# The package's file of that name as it installs here: the x86 package's WOW64_DIR variant on
# a 64-bit prefix (which has a Program Files (x86)).
package_file() {
  if [ "$ARCH" = x86 ] && [ -d "$folder_32" ] && [ -f "$WOW64_DIR/$1" ]; then echo "$WOW64_DIR/$1"; else echo "$PAYLOAD_DIR/$1"; fi
}

# Wine's Task Scheduler stores each task as a file there.
task_file=$drive_c/windows/system32/tasks/zStartup
"$WINE_RUN" "$WINE_PREFIX" net start schedule >/dev/null 2>&1 </dev/null || true
rm -f "$task_file"

# expect_programs VERSION PAYLOAD: every program of PAYLOAD installed, with that version record.
expect_programs() {
  for program in "$2"/*.exe; do
    local name=$(basename "$program")
    cmp -s "$program" "$folder/$name" || fail "installed $name differs from $program"
    local version=$(python3 "$SOURCE_DIR/tests/release/peversion.py" "$folder/$name" 2>&1)
    [ "$version" = "$1" ] || fail "installed $name has version $version, expected $1"
  done
}

# The other architecture's package, replaced by this one.
[ "$(msiexec /i other.msi)" = 0 ] || fail "install of other.msi failed"
[ -f "$other_folder/zStartup.exe" ] || fail "other.msi did not install into $other_folder"
[ ! -e "$task_file" ] || fail "other.msi registered a task without ZSTARTUP_TASK=1"
[ "$(msiexec /i this.msi ZSTARTUP_TASK=1)" = 0 ] || fail "install of $(basename "$MSI") failed"
[ ! -e "$other_folder" ] || fail "the other architecture's package was not replaced: $(listing "$other_folder")"
[ -f "$task_file" ] || fail "ZSTARTUP_TASK=1 registered no task \\zStartup"

# Exactly the package's files, in the right Program Files.
[ "$(listing "$folder")" = "$package_listing" ] || fail "installed: $(listing "$folder"); expected: $package_listing"
for file in "$PAYLOAD_DIR"/*; do
  name=$(basename "$file")
  cmp -s "$(package_file "$name")" "$folder/$name" || fail "installed $name differs from the package's $(package_file "$name")"
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

# The upgrade.
[ "$(msiexec /i later.msi)" = 0 ] || fail "upgrade to $later_version failed"
expect_programs "$later_version" later-payload
expect_admin_files "upgrade"
[ -f "$task_file" ] || fail "the upgrade deleted the task"
this_product=$(msiinfo export this.msi Property | tr -d '\r' | awk '$1 == "ProductCode" { print $2 }')
[ "$(msiexec /x "$this_product")" = $((1605 % 256)) ] || fail "$(basename "$MSI") is still installed after the upgrade"
[ "$(msiexec /i this.msi)" = $((1603 % 256)) ] || fail "$(basename "$MSI") did not refuse to install over $later_version"
expect_programs "$later_version" later-payload

# The removal.
[ "$(msiexec /x later.msi ZSTARTUP_TASK=1)" = 0 ] || fail "uninstall failed"
expect_admin_files "uninstall"
[ ! -e "$task_file" ] || fail "uninstalling with ZSTARTUP_TASK=1 left the task"
[ "$(listing "$folder")" = "Services.ini zStartup.bat zStartup_LT.log " ] \
  || fail "after uninstall the folder holds: $(listing "$folder")"

[ "$failures" -eq 0 ] || { echo "msiexec logs: $WORK_DIR/*.log"; exit 1; }
echo "MSI $(basename "$MSI"): replaces the other architecture, installs and registers the task, its definitions judged, upgrades to $later_version, refuses the downgrade, uninstalls with the task; the administrator's files kept"
