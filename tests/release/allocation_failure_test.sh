#!/usr/bin/env bash
# allocation_failure_test.sh PROBE RUNNER...: runs allocation_failure_probe through RUNNER (the
# Wine runner and its prefix) in both of its modes and checks how each ends, with nothing on
# standard error (the toolchain's default terminate handler would write there). Every run is
# bounded in time, so that a hang (an error box nobody clicks) fails instead of blocking, and
# in address space, so that a 64-bit probe runs out of it quickly.
set -uo pipefail
probe=$1
shift
runner=("$@")
output_file=$(mktemp)
error_file=$(mktemp)
trap 'rm -f "$output_file" "$error_file"' EXIT
failures=0

# expect MODE STATUS OUTPUT: the probe run in MODE exits with STATUS, having printed OUTPUT.
expect() {
  local mode=$1 want_status=$2 want_output=$3 status=0 output errors
  prlimit --as=$((16 << 30)) timeout 120 "${runner[@]}" "$probe" "$mode" >"$output_file" 2>"$error_file" || status=$?
  output=$(tr -d '\r' <"$output_file")
  errors=$(cat "$error_file")
  if [ "$status" -ne "$want_status" ] || [ "$output" != "$want_output" ] || [ -n "$errors" ]; then
    echo "FAIL: $mode: status $status, output '$output', errors '$errors'; expected status $want_status, output '$want_output'"
    failures=$((failures + 1))
  fi
}

expect caught 0 "caught std::bad_alloc"
expect uncaught 3 ""

[ "$failures" -eq 0 ] || exit 1
echo "allocation failure: raised to a caller that catches it, and ends the program with status 3 when uncaught"
