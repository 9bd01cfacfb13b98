#!/usr/bin/env bash
# fuzz-long.sh [SECONDS] [TARGET...]
# Builds the host preset and runs each fuzz target (default: all) for SECONDS (default 600)
# over a working copy of its seed corpus under build/host/fuzz-long/, then prints executions,
# speed, coverage (edges) and features per target. Fails if a target finds a crash; the crashing
# input is left in build/host/fuzz-long/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_estimator fuzz_format)

cmake --preset host >/dev/null
cmake --build --preset host --target "${targets[@]}"

status=0
printf '%-16s %8s %12s %10s %8s %8s %s\n' target seconds executions exec/s cov features result
for target in "${targets[@]}"; do
  work=build/host/fuzz-long/$target
  mkdir -p "$work/corpus"
  cp -n fuzz/corpus/$target/* "$work/corpus/"
  log=$work/run.log
  result=clean
  (cd "$work" && "$root/build/host/bin/$target" -max_total_time="$seconds" -timeout=10 \
    -print_final_stats=1 corpus) >"$log" 2>&1 || { result="FOUND (see $log)"; status=1; }
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  printf '%-16s %8s %12s %10s %8s %8s %s\n' "$target" "$seconds" "${execs:-?}" "${speed:-?}" \
    "${cov:-?}" "${ft:-?}" "$result"
done
exit $status
