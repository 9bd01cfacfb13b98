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
exec wine "$@"
