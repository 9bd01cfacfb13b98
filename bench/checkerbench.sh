# Sourced by the checker's benchmarks (bench/lastrun.sh, bench/plancheck.sh) from the source
# tree's root: the build they time (win32, or win64 where this machine runs no 32-bit program),
# one throw-away Wine prefix kept up by its server, and the ratio of two checks' median wall
# times, measured alternately in this one run. Set before sourcing: work (a folder), runs.
source cmake/wine-env.sh
preset=win32
[ "$zstartup_runs_32bit" = 1 ] || preset=win64
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target zStartupCheck zStartup --parallel 2 >/dev/null
bin=$PWD/build/$preset/bin

export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'cmake/wine-prefix.sh stop "$WINEPREFIX"' EXIT
cmake/wine-prefix.sh boot "$WINEPREFIX"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# compare_checks FIGURE BUDGET FOLDER TITLE BASE_FOLDER BASE_TITLE: time_check (the caller's: one
# check of a folder, in microseconds) on FOLDER against BASE_FOLDER, once each to warm up, then
# RUNS times each in turn; prints the medians in ms and their ratio; fails outside BUDGET.
compare_checks() {
  local figure=$1 budget=$2 measured=$3 title=$4 base=$5 base_title=$6 i
  time_check "$base" >/dev/null
  time_check "$measured" >/dev/null
  local base_times=() measured_times=()
  for ((i = 0; i < runs; i++)); do
    base_times+=("$(time_check "$base")")
    measured_times+=("$(time_check "$measured")")
  done
  local base_us measured_us ratio within
  base_us=$(printf '%s\n' "${base_times[@]}" | median)
  measured_us=$(printf '%s\n' "${measured_times[@]}" | median)
  ratio=$(awk -v a="$measured_us" -v b="$base_us" 'BEGIN { printf "%.2f", a / b }')
  within=$(awk -v r="$ratio" -v b="$budget" 'BEGIN { print (r <= b) ? "yes" : "NO" }')
  echo "$(nproc) CPUs, $(wine --version) ($preset), load $(cut -d' ' -f1-3 /proc/loadavg); median of $runs runs"
  printf "%-40s %12s %12s %7s %8s %7s\n" figure "$title" "$base_title" ratio budget within
  printf "%-40s %12.1f %12.1f %7s %8s %7s\n" "$figure" \
    "$(awk -v u="$measured_us" 'BEGIN { print u / 1000 }')" "$(awk -v u="$base_us" 'BEGIN { print u / 1000 }')" \
    "$ratio" "<= $budget" "$within"
  [ "$within" = yes ]
}
