#!/usr/bin/env bash
# budgets.sh: the launcher's size and start-up budgets, each a ratio to bench/minimal_gui.cpp
# (a heap array from new[] and one printf) measured in this one run.
#   size:     stripped i686 zStartup.exe / the minimal program built with the same compiler and
#             the toolchain's defaults (-Os -s, static runtime, GUI subsystem, section garbage
#             collection), budget 1.00
#   start-up: median wall time of a launcher run with no service list and no batch file / that
#             of the minimal program, under one throw-away Wine prefix kept up by its server,
#             RUNS runs each (default 21, alternating), budget 1.15
# BUILD_DIR (default build/win32) is the win32 build tree used for zStartup.exe.
# Exits 1 when a ratio is outside its budget.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
root=$PWD
build=${BUILD_DIR:-build/win32}
runs=${RUNS:-21}
work=$root/build/budgets
size_budget=1.00
startup_budget=1.15

cmake --preset win32 -B "$build" >/dev/null
cmake --build "$build" --target zStartup --parallel 2 >/dev/null

rm -rf "$work/run" "$work/minimal"
mkdir -p "$work/run" "$work/minimal"
i686-w64-mingw32-g++-posix -Os -DNDEBUG -std=c++17 -Wall -Wextra -DNOMINMAX -DWIN32_LEAN_AND_MEAN \
  -ffunction-sections -fdata-sections -Wl,--gc-sections \
  -mwindows -static -static-libgcc -static-libstdc++ -s bench/minimal_gui.cpp -o "$work/minimal/minimal_gui.exe"
cp "$build/bin/zStartup.exe" "$work/run/zStartup.exe"
i686-w64-mingw32-strip "$work/run/zStartup.exe" "$work/minimal/minimal_gui.exe"
launcher=$work/run/zStartup.exe
minimal=$work/minimal/minimal_gui.exe

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
within() { awk -v r="$1" -v b="$2" 'BEGIN { print (r <= b) ? "yes" : "NO" }'; }

# Wall time of one run in microseconds; the program's output is not part of the measure.
time_run() {
  local begin end
  begin=$(date +%s%N)
  wine "$1" >/dev/null 2>&1 </dev/null
  end=$(date +%s%N)
  echo $(((end - begin) / 1000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'cmake/wine-prefix.sh stop "$WINEPREFIX"' EXIT
cmake/wine-prefix.sh boot "$WINEPREFIX"
# One unmeasured run of each loads both into the page cache and settles the prefix.
time_run "$launcher" >/dev/null
time_run "$minimal" >/dev/null
launcher_times=() minimal_times=()
for ((i = 0; i < runs; i++)); do
  launcher_times+=("$(time_run "$launcher")")
  minimal_times+=("$(time_run "$minimal")")
done
# The launcher's run must have been a full one: four log lines per run, the last "stopped".
lines=$(wc -l <"$work/run/zStartup_LT.log")
if [ "$lines" -ne $((4 * (runs + 1))) ] || ! tail -n 1 "$work/run/zStartup_LT.log" | grep -q 'stopped'; then
  echo "launcher runs incomplete: $lines log lines" >&2
  exit 1
fi

launcher_size=$(stat -c %s "$launcher")
minimal_size=$(stat -c %s "$minimal")
launcher_us=$(printf '%s\n' "${launcher_times[@]}" | median)
minimal_us=$(printf '%s\n' "${minimal_times[@]}" | median)
size_ratio=$(ratio "$launcher_size" "$minimal_size")
start_ratio=$(ratio "$launcher_us" "$minimal_us")

echo "$(nproc) CPUs, $(wine --version), load $(cut -d' ' -f1-3 /proc/loadavg); start-up: median of $runs runs"
row="%-26s %14s %14s %10s %8s %7s\n"
printf "$row" figure zStartup minimal ratio budget within
printf "$row" "size, stripped (bytes)" "$launcher_size" "$minimal_size" "$size_ratio" "<= $size_budget" \
  "$(within "$size_ratio" "$size_budget")"
printf "$row" "start-up under Wine (ms)" "$(awk -v u="$launcher_us" 'BEGIN { printf "%.1f", u / 1000 }')" \
  "$(awk -v u="$minimal_us" 'BEGIN { printf "%.1f", u / 1000 }')" "$start_ratio" "<= $startup_budget" \
  "$(within "$start_ratio" "$startup_budget")"

[ "$(within "$size_ratio" "$size_budget")" = yes ] && [ "$(within "$start_ratio" "$startup_budget")" = yes ]
