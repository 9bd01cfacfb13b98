#!/usr/bin/env bash
# lastrun.sh: zStartupCheck --last-run on a large trace log, as a ratio to the same check on a
# log of one run, both measured in this one run (median wall time of RUNS runs each, default
# 15, alternating, under one throw-away Wine prefix kept up by its server). The large log holds
# SIZE_MB (default 64) of earlier runs before the last one; it is read from its end, so the
# ratio should stay near 1. Budget 1.25. Uses the win32 build, or win64 where this machine runs
# no 32-bit program. Exits 1 when the ratio is outside its budget.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
root=$PWD
source cmake/wine-env.sh
preset=win32
[ "$zstartup_runs_32bit" = 1 ] || preset=win64
runs=${RUNS:-15}
size_mb=${SIZE_MB:-64}
budget=1.25
work=$root/build/lastrun-bench

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target zStartupCheck zStartup --parallel 2 >/dev/null
rm -rf "$work/small" "$work/large"
mkdir -p "$work/small" "$work/large"
for folder in small large; do cp "build/$preset/bin/zStartup.exe" "build/$preset/bin/zStartupCheck.exe" "$work/$folder/"; done

# One run's lines, as the launcher writes them.
run_lines=$'[zStartup] started\r\n[zStartup] Success stopping service ShowPlayer\r\n[zStartup] Error starting service ShowPlayer\r\n[zStartup] BAT file is \'C:\\Show\\zStartup.bat\', DIR is \'C:\\Show\'\r\n[zStartup] \'C:\\Show\\zStartup.bat\' started with result: 42\r\n[zStartup] stopped\r\n'
printf '%s' "$run_lines" >"$work/small/zStartup_LT.log"
python3 - "$work/large/zStartup_LT.log" "$size_mb" "$run_lines" <<'PYTHON'
import sys
path, size_mb, run = sys.argv[1], int(sys.argv[2]), sys.argv[3].encode()
with open(path, "wb") as log:
    log.write(run * (size_mb * 1024 * 1024 // len(run)))
PYTHON

export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'cmake/wine-prefix.sh stop "$WINEPREFIX"' EXIT
cmake/wine-prefix.sh boot "$WINEPREFIX"

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
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

time_check "$work/small" >/dev/null
time_check "$work/large" >/dev/null
small=() large=()
for ((i = 0; i < runs; i++)); do
  small+=("$(time_check "$work/small")")
  large+=("$(time_check "$work/large")")
done
small_us=$(printf '%s\n' "${small[@]}" | median)
large_us=$(printf '%s\n' "${large[@]}" | median)
ratio=$(awk -v a="$large_us" -v b="$small_us" 'BEGIN { printf "%.2f", a / b }')
within=$(awk -v r="$ratio" -v b="$budget" 'BEGIN { print (r <= b) ? "yes" : "NO" }')
echo "$(nproc) CPUs, $(wine --version) ($preset), load $(cut -d' ' -f1-3 /proc/loadavg); median of $runs runs"
printf "%-40s %12s %12s %7s %8s %7s\n" figure "${size_mb} MiB log" "one run" ratio budget within
printf "%-40s %12.1f %12.1f %7s %8s %7s\n" "zStartupCheck --last-run wall time (ms)" \
  "$(awk -v u="$large_us" 'BEGIN { print u / 1000 }')" "$(awk -v u="$small_us" 'BEGIN { print u / 1000 }')" \
  "$ratio" "<= $budget" "$within"
[ "$within" = yes ]
