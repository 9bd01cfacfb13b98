#!/usr/bin/env bash
# wine-prefix.sh boot|stop PREFIX
#   boot: create the prefix once (wineboot -i) and keep its wineserver up while tests run;
#         safe to call from parallel tests.
#   stop: stop that prefix's wineserver only.
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/wine-env.sh"
action=$1
prefix=$2
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

boot() {
  if [ ! -f "$prefix/.booted" ]; then
    rm -rf "$prefix"
    wineboot -i >/dev/null 2>&1
    # The boot's own server would ignore -p and end later, taking running services with it:
    # let it finish first.
    wineserver -w >/dev/null 2>&1 || true
    touch "$prefix/.booted"
  fi
  # A persistent server keeps the service manager and named objects alive between test
  # programs; its output must not hold a reader's pipe open.
  wineserver -p >/dev/null 2>&1 </dev/null || true
  # Start the prefix's own processes (service manager, device drivers) here, detached from
  # every test's output: started by a test program instead, they inherit its output pipe and
  # CTest waits for that pipe's end until the test times out.
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

case $action in
  boot)
    mkdir -p "$(dirname "$prefix")"
    # The lock is held on fd 9 by this shell only: the daemons started inside must not
    # inherit it, or the next boot would wait for them forever.
    exec 9>"$prefix.lock"
    flock 9
    boot 9>&-
    ;;
  stop)
    if [ -d "$prefix" ]; then wineserver -k >/dev/null 2>&1 || true; fi
    ;;
  *)
    echo "usage: $0 boot|stop PREFIX" >&2
    exit 2
    ;;
esac
