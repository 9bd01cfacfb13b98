#!/usr/bin/env bash
# Emulator for CTest: runs a Windows program under Wine in the build tree's own prefix
# (given first), booting that prefix once so that tests never touch ~/.wine.
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/wine-env.sh"
prefix=$1
shift
"$(dirname "$(readlink -f "$0")")/wine-prefix.sh" boot "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Wine's start.exe at times cannot create a process it creates a moment later: it prints these
# two lines, exits 1, and the program never ran. Only then is it started again, twice at most.
not_started=$'Application could not be started, or no application associated with the specified file.\nShellExecuteEx failed: Internal error.'
output=$(mktemp)
trap 'rm -f "$output"' EXIT
for attempt in 1 2 3; do
  status=0
  wine "$@" | tee "$output" || status=${PIPESTATUS[0]}
  if [ "$status" -ne 1 ] || [ "$attempt" -eq 3 ] || [ "$(head -c 300 "$output" | tr -d '\r')" != "$not_started" ]; then
    exit "$status"
  fi
  echo "wine-run.sh: Wine could not start $1 (attempt $attempt); starting it again" >&2
  sleep 1
done
