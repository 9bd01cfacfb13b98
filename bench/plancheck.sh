#!/usr/bin/env bash
# plancheck.sh: zStartupCheck's plan of a service list with many keys, and of one with many
# sections, each as a ratio to the same check of a smaller list, both measured in this one run
# (median wall time of RUNS runs each, default 15, alternating, under one throw-away Wine prefix
# kept up by its server). Keys: KEYS (default 16,000) against BASE (default 1,000) keys of
# [START]; the list is read once per section, so the ratio should stay near 1 (read key by key
# it was quadratic: 2,000 keys 3.0 s, 16,000 keys 130 s). Sections: SECTIONS (default 16,000)
# against BASE_SECTIONS (default 1,000) sections the launcher never reads, each with key 0; the
# file's layout is read once, so this ratio should stay near 1 too (two profile calls a section
# were: 1,000 sections 2.27 s, 16,000 sections 13.03 s). Budget 2 each.
# Uses the win32 build, or win64 where this machine runs no 32-bit program. Exits 1 when a
# ratio is outside its budget.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
root=$PWD
runs=${RUNS:-15}
keys=${KEYS:-16000}
base=${BASE:-1000}
sections=${SECTIONS:-16000}
base_sections=${BASE_SECTIONS:-1000}
budget=2
work=$root/build/plancheck-bench

source bench/checkerbench.sh
folders=(keys-base keys-many sections-base sections-many)
for folder in "${folders[@]}"; do
  rm -rf "${work:?}/$folder"
  mkdir -p "$work/$folder"
  cp "$bin/zStartup.exe" "$bin/zStartupCheck.exe" "$work/$folder/"
done
# Keys: entry 0 and then keys the launcher never reads (more than one character), each with a
# value. Sections: entry 0 and then sections the launcher never reads, each with key 0.
python3 - "$work" "$base" "$keys" "$base_sections" "$sections" <<'PYTHON'
import sys
work = sys.argv[1]
base_keys, many_keys, base_sections, many_sections = map(int, sys.argv[2:])
def write(folder, lines):
    open(f"{work}/{folder}/Services.ini", "wb").write(("\r\n".join(lines) + "\r\n").encode())
def keys(count):
    return ["[START]", "0=zstBenchService"] + ["k%d=value%d" % (i, i) for i in range(count)]
def sections(count):
    return ["[START]", "0=zstBenchService"] + [line for i in range(count) for line in ("[S%d]" % i, "0=value%d" % i)]
write("keys-base", keys(base_keys))
write("keys-many", keys(many_keys))
write("sections-base", sections(base_sections))
write("sections-many", sections(many_sections))
PYTHON

# Wall time of one check in microseconds; it must show entry 0 and the finding that $expected
# (a regular expression) matches.
expected=
time_check() {
  local begin end status=0
  begin=$(date +%s%N)
  wine "$1/zStartupCheck.exe" >"$work/out.txt" 2>&1 </dev/null || status=$?
  end=$(date +%s%N)
  [ "$status" -eq 2 ] && grep -q '^entry 0: start zstBenchService' "$work/out.txt" &&
    grep -q "$expected" "$work/out.txt" ||
    { echo "unexpected check of $1 (status $status):" >&2; head -c 2000 "$work/out.txt" >&2; exit 1; }
  echo $(((end - begin) / 1000))
}
within=0
expected='^error: service list .*\[START\] keys k0, k1, '
compare_checks "zStartupCheck plan wall time (ms)" "$budget" "$work/keys-many" "$keys keys" \
  "$work/keys-base" "$base keys" || within=1
expected="^error: service list .* more sections other than \[STOP\] and \[START\], from \[S100\] to \[S[0-9]*\]"
compare_checks "zStartupCheck plan wall time (ms)" "$budget" "$work/sections-many" "$sections sections" \
  "$work/sections-base" "$base_sections sections" || within=1
exit "$within"
