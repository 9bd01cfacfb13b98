#!/usr/bin/env bash
# MSI package test. Environment (set by CTest): MSI (made by the release_packages test),
# PAYLOAD_DIR (the folder it was made from), VERSION, ARCH (x86 or x64), WORK_DIR (emptied
# first), WINE_RUN, WINE_PREFIX (this test's own), CMAKE, SOURCE_DIR.
#
# One machine's life, with the real msiexec, all silent:
#   the same version built for the other architecture is installed, then replaced by MSI;
#   MSI installs exactly its files into its Program Files folder, the programs with the version
#   record of VERSION;
#   an administrator adds Services.ini, zStartup.bat and a log;
#   a later version (same upgrade code, programs with that version record) replaces MSI: the
#   old product is gone, the programs are the new ones, the administrator's files untouched;
#   MSI then refuses to install over the later version;
#   uninstalling leaves the administrator's files, untouched, and nothing else.
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

# msiexec ARGUMENTS... PACKAGE-OR-PRODUCT: its exit status, of which Unix keeps the low 8 bits
# (1603, install failed: 67; 1605, unknown product: 69); its log goes to <last argument>.log.
msiexec() {
  local status=0
  "$WINE_RUN" "$WINE_PREFIX" msiexec "$@" /qn /l*v "$(basename "${*: -1}").log" >/dev/null 2>&1 </dev/null || status=$?
  echo "$status"
}

# The later version's package: the same files, the programs' version records raised.
IFS=. read -r major minor build _ <<<"$VERSION"
later_version=$major.$minor.$((build + 1)).0
cp -r "$PAYLOAD_DIR" later-payload
for program in later-payload/*.exe; do python3 "$SOURCE_DIR/tests/release/peversion.py" "$program" "$later_version" >/dev/null; done
"$CMAKE" -DOUTPUT=later.msi -DVERSION="$later_version" -DARCH="$ARCH" -DPAYLOAD_DIR=later-payload \
  -P "$SOURCE_DIR/packaging/build-msi.cmake" >/dev/null

# The same version for the other architecture.
other_arch=$([ "$ARCH" = x64 ] && echo x86 || echo x64)
"$CMAKE" -DOUTPUT=other.msi -DVERSION="$VERSION" -DARCH="$other_arch" -DPAYLOAD_DIR="$PAYLOAD_DIR" \
  -P "$SOURCE_DIR/packaging/build-msi.cmake" >/dev/null
cp "$MSI" this.msi

"$WINE_RUN" "$WINE_PREFIX" cmd /c exit >/dev/null 2>&1  # boots the prefix if it is new
drive_c=$WINE_PREFIX/drive_c
folder_64="$drive_c/Program Files/zStartup"
folder_32="$drive_c/Program Files (x86)/zStartup"
if [ "$ARCH" = x64 ]; then folder=$folder_64 other_folder=$folder_32; else folder=$folder_32 other_folder=$folder_64; fi
# An earlier run's uninstall left its administrator's files behind.
rm -rf "$folder_64" "$folder_32"

listing() { (cd "$1" && LC_ALL=C ls | tr '\n' ' '); }
package_listing=$(listing "$PAYLOAD_DIR")

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
[ "$(msiexec /i this.msi)" = 0 ] || fail "install of $(basename "$MSI") failed"
[ ! -e "$other_folder" ] || fail "the other architecture's package was not replaced: $(listing "$other_folder")"

# Exactly the package's files, in the right Program Files.
[ "$(listing "$folder")" = "$package_listing" ] || fail "installed: $(listing "$folder"); expected: $package_listing"
for file in "$PAYLOAD_DIR"/*; do
  cmp -s "$file" "$folder/$(basename "$file")" || fail "installed $(basename "$file") differs from the package's"
done
expect_programs "$VERSION" "$PAYLOAD_DIR"

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
this_product=$(msiinfo export this.msi Property | tr -d '\r' | awk '$1 == "ProductCode" { print $2 }')
[ "$(msiexec /x "$this_product")" = $((1605 % 256)) ] || fail "$(basename "$MSI") is still installed after the upgrade"
[ "$(msiexec /i this.msi)" = $((1603 % 256)) ] || fail "$(basename "$MSI") did not refuse to install over $later_version"
expect_programs "$later_version" later-payload

# The removal.
[ "$(msiexec /x later.msi)" = 0 ] || fail "uninstall failed"
expect_admin_files "uninstall"
[ "$(listing "$folder")" = "Services.ini zStartup.bat zStartup_LT.log " ] \
  || fail "after uninstall the folder holds: $(listing "$folder")"

[ "$failures" -eq 0 ] || { echo "msiexec logs: $WORK_DIR/*.log"; exit 1; }
echo "MSI $(basename "$MSI"): replaces the other architecture, installs, upgrades to $later_version, refuses the downgrade, uninstalls; the administrator's files kept"
