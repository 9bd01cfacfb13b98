#!/usr/bin/env bash
# plancheck.sh: zStartupCheck's plan of a service list with KEYS (default 16,000) keys, as a
# ratio to the same check of a list with BASE (default 1,000) keys, both measured in this one
# run (median wall time of RUNS runs each, default 15, alternating, under one throw-away Wine
# prefix kept up by its server). The list is read once per section, so the ratio should stay
# near 1 (read key by key it was quadratic: 2,000 keys 3.0 s, 16,000 keys 130 s). Budget 2.
# Uses the win32 build, or win64 where this machine runs no 32-bit program. Exits 1 when the
# ratio is outside its budget.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
root=$PWD
source cmake/wine-env.sh
preset=win32
[ "$zstartup_runs_32bit" = 1 ] || preset=win64
runs=${RUNS:-15}
keys=${KEYS:-16000}
base=${BASE:-1000}
budget=2
work=$root/build/plancheck-bench

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target zStartupCheck zStartup --parallel 2 >/dev/null
rm -rf "$work/base" "$work/many"
mkdir -p "$work/base" "$work/many"
# Entry 0 and then keys the launcher never reads (more than one character), each with a value.
for folder in base many; do cp "build/$preset/bin/zStartup.exe" "build/$preset/bin/zStartupCheck.exe" "$work/$folder/"; done
python3 - "$work" "$base" "$keys" <<'PYTHON'
import sys
work, counts = sys.argv[1], {"base": int(sys.argv[2]), "many": int(sys.argv[3])}
for folder, count in counts.items():
    lines = ["[START]", "0=zstBenchService"] + ["k%d=value%d" % (i, i) for i in range(count)]
    open(f"{work}/{folder}/Services.ini", "wb").write(("\r\n".join(lines) + "\r\n").encode())
PYTHON

export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'cmake/wine-prefix.sh stop "$WINEPREFIX"' EXIT
cmake/wine-prefix.sh boot "$WINEPREFIX"

# Wall time of one check in microseconds; it must show entry 0 and name the unread keys.
time_check() {
  local begin end status=0
  begin=$(date +%s%N)
  wine "$1/zStartupCheck.exe" >"$work/out.txt" 2>&1 </dev/null || status=$?
  end=$(date +%s%N)
  [ "$status" -eq 2 ] && grep -q '^entry 0: start zstBenchService' "$work/out.txt" &&
    grep -q '^error: service list .*\[START\] keys k0, k1, ' "$work/out.txt" ||
    { echo "unexpected check of $1 (status $status):" >&2; head -c 2000 "$work/out.txt" >&2; exit 1; }
  echo $(((end - begin) / 1000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

time_check "$work/base" >/dev/null
time_check "$work/many" >/dev/null
few=() many=()
for ((i = 0; i < runs; i++)); do
  few+=("$(time_check "$work/base")")
  many+=("$(time_check "$work/many")")
done
few_us=$(printf '%s\n' "${few[@]}" | median)
many_us=$(printf '%s\n' "${many[@]}" | median)
ratio=$(awk -v a="$many_us" -v b="$few_us" 'BEGIN { printf "%.2f", a / b }')
within=$(awk -v r="$ratio" -v b="$budget" 'BEGIN { print (r <= b) ? "yes" : "NO" }')
echo "$(nproc) CPUs, $(wine --version) ($preset), load $(cut -d' ' -f1-3 /proc/loadavg); median of $runs runs"
printf "%-40s %12s %12s %7s %8s %7s\n" figure "$keys keys" "$base keys" ratio budget within
printf "%-40s %12.1f %12.1f %7s %8s %7s\n" "zStartupCheck plan wall time (ms)" \
  "$(awk -v u="$many_us" 'BEGIN { print u / 1000 }')" "$(awk -v u="$few_us" 'BEGIN { print u / 1000 }')" \
  "$ratio" "<= $budget" "$within"
[ "$within" = yes ]
