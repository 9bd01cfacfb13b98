#!/usr/bin/env bash
# lastrun.sh: zStartupCheck --last-run on a large trace log, as a ratio to the same check on a
# log of one run, both measured in this one run (median wall time of RUNS runs each, default
# 15, alternating, under one throw-away Wine prefix kept up by its server). The large log holds
# SIZE_MB (default 64) of earlier runs before the last one; it is read from its end, so the
# ratio should stay near 1. Budget 1.25. Uses the win32 build, or win64 where this machine runs
# no 32-bit program. With BEFORE set to a folder holding another build's zStartupCheck.exe (an
# earlier commit's, of the same preset), it also times that one on the one-run log against this
# build: this build may take at most twice as long (budget 2). Exits 1 when a ratio is outside
# its budget.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
root=$PWD
runs=${RUNS:-15}
size_mb=${SIZE_MB:-64}
budget=1.25
work=$root/build/lastrun-bench

source bench/checkerbench.sh
rm -rf "$work/small" "$work/large" "$work/before"
mkdir -p "$work/small" "$work/large"
for folder in small large; do cp "$bin/zStartup.exe" "$bin/zStartupCheck.exe" "$work/$folder/"; done
if [ -n "${BEFORE:-}" ]; then
  mkdir -p "$work/before"
  cp "$bin/zStartup.exe" "$BEFORE/zStartupCheck.exe" "$work/before/"
fi

# One run's lines, as the launcher writes them.
run_lines=$'[zStartup] started\r\n[zStartup] Success stopping service ShowPlayer\r\n[zStartup] Error starting service ShowPlayer\r\n[zStartup] BAT file is \'C:\\Show\\zStartup.bat\', DIR is \'C:\\Show\'\r\n[zStartup] \'C:\\Show\\zStartup.bat\' started with result: 42\r\n[zStartup] stopped\r\n'
printf '%s' "$run_lines" >"$work/small/zStartup_LT.log"
[ -z "${BEFORE:-}" ] || cp "$work/small/zStartup_LT.log" "$work/before/"
python3 - "$work/large/zStartup_LT.log" "$size_mb" "$run_lines" <<'PYTHON'
import sys
path, size_mb, run = sys.argv[1], int(sys.argv[2]), sys.argv[3].encode()
with open(path, "wb") as log:
    log.write(run * (size_mb * 1024 * 1024 // len(run)))
PYTHON

# Wall time of one check in microseconds; it must report the run with its one error.
time_check() {
  local begin end status=0
  begin=$(date +%s%N)
  wine "$1/zStartupCheck.exe" --last-run >"$work/out.txt" 2>&1 </dev/null || status=$?
  end=$(date +%s%N)
  [ "$status" -eq 2 ] && grep -q '^error: last run: "\[zStartup\] Error starting service ShowPlayer"' "$work/out.txt" ||
    { echo "unexpected check of $1 (status $status):" >&2; cat "$work/out.txt" >&2; exit 1; }
  echo $(((end - begin) / 1000))
}
status=0
compare_checks "zStartupCheck --last-run wall time (ms)" "$budget" "$work/large" "${size_mb} MiB log" \
  "$work/small" "one run" || status=1
if [ -n "${BEFORE:-}" ]; then
  compare_checks "--last-run, one-run log (ms)" 2 "$work/small" "this build" "$work/before" "before" || status=1
fi
exit "$status"
