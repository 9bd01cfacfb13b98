#!/usr/bin/env bash
# wine-prefix.sh boot|stop PREFIX
#   boot: create the prefix once and keep its wineserver up while tests run; safe to call from
#         parallel tests.
#   stop: stop that prefix's wineserver only.
# Every prefix is a copy of one prefix booted once per checkout (build/wineprefix-booted): a
# copy takes a second or two where a `wineboot -i` takes half a minute. A prefix made by another
# Wine (another version, or the same version installed anew, which Wine would update every
# prefix for), or before Wine's 32-bit loader was installed or removed, is made anew.
#
# Wine's programs and libraries in a prefix's system folders, 1.2 of its 1.3 GB, are read-only
# and linked into every copy instead of copied: a checkout keeps seven prefixes, which as full
# copies filled this machine's disk.
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
source "$here/wine-env.sh"
action=$1
prefix=$2
template=$here/../build/wineprefix-booted
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# What a booted prefix was made by, kept in its .booted.
# Wine updates a prefix whose .update-timestamp differs from its wine.inf's time.
stamp="$(wine --version) installed=$(stat -c %Y /usr/share/wine/wine.inf 2>/dev/null) runs-32bit=$zstartup_runs_32bit linked-system-files"

made_by_this_wine() { [ "$(cat "$1/.booted" 2>/dev/null)" = "$stamp" ]; }

# Whether a wineserver serves the prefix: it works in a folder named after the prefix's device
# and inode. Asked before any lock, so that a test started in a running prefix waits for nothing.
server_running() {
  local device inode process comm
  read -r device inode < <(stat -c '%d %i' "$prefix" 2>/dev/null) || return 1
  local folder
  folder=$(printf 'server-%x-%x' "$device" "$inode")
  for process in /proc/[0-9]*; do
    { read -r comm <"$process/comm"; } 2>/dev/null || continue
    case $comm in
      wineserver*) [[ "$(readlink "$process/cwd" 2>/dev/null)" == */"$folder" ]] && return 0 ;;
    esac
  done
  return 1
}

boot_template() {
  if made_by_this_wine "$template"; then return; fi
  rm -rf "$template"
  WINEPREFIX=$template wineboot -i >/dev/null 2>&1
  # The server saves the registry when it ends: wait for that, so the copies are complete.
  WINEPREFIX=$template wineserver -w >/dev/null 2>&1 || true
  # Wine's programs and libraries in its Windows folder, shared by every copy: read-only, so
  # that a write meant for one prefix fails rather than reach them all.
  find "$template/drive_c/windows" -type f \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.drv' \
    -o -iname '*.sys' -o -iname '*.ocx' -o -iname '*.cpl' -o -iname '*.acm' -o -iname '*.tlb' \
    -o -iname '*.ax' -o -iname '*.ds' \) -exec chmod a-w {} +
  echo "$stamp" >"$template/.booted"
}

# copy_template: the template's read-only files linked, every other file copied; all copied
# where links cannot reach (a prefix on another file system, such as a tmpfs /tmp).
copy_template() {
  if ! cp -al "$template" "$prefix" 2>/dev/null; then
    rm -rf "$prefix"
    cp -a "$template" "$prefix"
    return
  fi
  (
    cd "$template"
    find . -type f -perm -u+w -print0 | xargs -0 -r cp -a --parents --remove-destination -t "$prefix"
  )
}

boot() {
  if made_by_this_wine "$prefix" && server_running; then return; fi
  if ! made_by_this_wine "$prefix"; then
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    rm -rf "$prefix"
    (
      exec 8>"$template.lock"
      flock 8
      boot_template 8>&-
      copy_template
    )
  fi
  export WINEPREFIX=$prefix
  # A persistent server keeps the service manager and named objects alive between test
  # programs; its output must not hold a reader's pipe open. It ends a minute after its last
  # program when nothing stops it: listing a program's tests boots its prefix too, and a run
  # of other tests never stops that one.
  wineserver -p60 >/dev/null 2>&1 </dev/null || true
  # Start the prefix's own processes (service manager, device drivers) here, detached from
  # every test's output: started by a test program instead, they inherit its output pipe and
  # CTest waits for that pipe's end until the test times out.
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

case $action in
  boot)
    if made_by_this_wine "$prefix" && server_running; then exit 0; fi
    mkdir -p "$(dirname "$prefix")" "$(dirname "$template")"
    # The lock is held on fd 9 by this shell only: the daemons started inside must not
    # inherit it, or the next boot would wait for them forever.
    exec 9>"$prefix.lock"
    flock 9
    boot 9>&-
    ;;
  stop)
    if [ -d "$prefix" ]; then WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true; fi
    ;;
  *)
    echo "usage: $0 boot|stop PREFIX" >&2
    exit 2
    ;;
esac
