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
runs=${RUNS:-15}
keys=${KEYS:-16000}
base=${BASE:-1000}
budget=2
work=$root/build/plancheck-bench

source bench/checkerbench.sh
rm -rf "$work/base" "$work/many"
mkdir -p "$work/base" "$work/many"
# Entry 0 and then keys the launcher never reads (more than one character), each with a value.
for folder in base many; do cp "$bin/zStartup.exe" "$bin/zStartupCheck.exe" "$work/$folder/"; done
python3 - "$work" "$base" "$keys" <<'PYTHON'
import sys
work, counts = sys.argv[1], {"base": int(sys.argv[2]), "many": int(sys.argv[3])}
for folder, count in counts.items():
    lines = ["[START]", "0=zstBenchService"] + ["k%d=value%d" % (i, i) for i in range(count)]
    open(f"{work}/{folder}/Services.ini", "wb").write(("\r\n".join(lines) + "\r\n").encode())
PYTHON

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
compare_checks "zStartupCheck plan wall time (ms)" "$budget" "$work/many" "$keys keys" "$work/base" "$base keys"
