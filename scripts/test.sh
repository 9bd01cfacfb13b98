#!/usr/bin/env bash
# Runs every test: installs what is missing, then builds and tests the host preset (sanitizers,
# fuzz corpus replays) and both Windows presets under Wine. Exits non-zero on any failure.
#
# The Windows tests wait far more than they compute, and the soak (200 runs in a prefix of its
# own) is the longest of them: so each Windows preset first builds what the soak needs and
# starts it, then builds the rest and starts the other tests, while the next preset builds.
# Builds run at a lower priority than tests. The tests labelled `timing` bound how long a run's
# waits take to a few hundred milliseconds: they run last, once everything else has ended. Each
# test run's output goes to build/<preset>/test-*.log and is printed when all have ended.
set -uo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

bash scripts/setup.sh || exit 1
source cmake/wine-env.sh

# A fresh clone's run takes about 2.1 GB (docs/building.md); a full disk fails a link or an
# archive midway, with an error that does not say why.
mkdir -p build
free_kib=$(df -Pk build | awk 'NR == 2 { print $4 }')
if [ "${free_kib:-0}" -lt $((3 * 1024 * 1024)) ]; then
  echo "warning: $((free_kib / 1024)) MiB free where the build goes ($(pwd)/build); a run from a fresh clone takes about 2.1 GB"
fi

soak='^(reliability_soak_test|soak_wine_)'
timed=()  # the Windows presets whose timing tests are still to run
windows=(win64 win32)
tested=()
failed=()
runs=()  # "preset:log:pid" of the test runs in the background

# build PRESET [TARGET...]: the preset's build (of those targets), its output in
# build/PRESET/build.log, shown when it fails.
build() {
  local preset=$1
  shift
  local targets=()
  [ $# -eq 0 ] || targets=(--target "$@")
  nice -n 10 cmake --build --preset "$preset" --parallel 2 "${targets[@]}" >"build/$preset/build.log" 2>&1 \
    || { tail -n 40 "build/$preset/build.log"; return 1; }
}

# test_in_background PRESET NAME CTEST-ARGS...: ctest with those arguments, its output in
# build/PRESET/test-NAME.log.
test_in_background() {
  local preset=$1 name=$2
  shift 2
  local log=build/$preset/test-$name.log
  ctest --preset "$preset" "$@" >"$log" 2>&1 &
  runs+=("$preset:$log:$!")
}

echo "=== configure: host ${windows[*]}"
for preset in host "${windows[@]}"; do
  mkdir -p "build/$preset"
  cmake --preset "$preset" >"build/$preset/configure.log" 2>&1 || { cat "build/$preset/configure.log"; failed+=("$preset"); }
done

for preset in "${windows[@]}"; do
  if [ "$preset" = win32 ] && [ "$zstartup_runs_32bit" = 0 ]; then continue; fi
  [[ " ${failed[*]} " == *" $preset "* ]] && continue
  echo "=== $preset: the soak's programs, then the soak (at ${SECONDS} s)"
  if build "$preset" reliability_soak_test wine_prefix_ready; then
    test_in_background "$preset" soak -R "$soak"
    tested+=("$preset")
  else
    failed+=("$preset")
  fi
done

for preset in "${windows[@]}"; do
  [[ " ${failed[*]} " == *" $preset "* ]] && continue
  echo "=== $preset: everything (at ${SECONDS} s)"
  if ! build "$preset"; then
    failed+=("$preset")
  elif [[ " ${tested[*]} " == *" $preset "* ]]; then
    test_in_background "$preset" rest -E "$soak" -LE timing
    timed+=("$preset")
  else
    # Built all the same, so that it still compiles and links.
    echo "This machine's kernel runs no 32-bit program, so Wine cannot run the $preset build here:"
    echo "its tests are skipped; the win64 tests run the same sources."
  fi
done

echo "=== host (at ${SECONDS} s)"
if build host; then
  ctest --preset host >build/host/test-all.log 2>&1 || failed+=(host)
  runs+=("host:build/host/test-all.log:")
else
  failed+=(host)
fi

for run in "${runs[@]}"; do
  IFS=: read -r preset log pid <<<"$run"
  [ -z "$pid" ] || wait "$pid" || failed+=("$preset")
done
for preset in "${timed[@]}"; do
  echo "=== $preset: the timing tests (at ${SECONDS} s)"
  ctest --preset "$preset" -L timing >"build/$preset/test-timing.log" 2>&1 || failed+=("$preset")
  runs+=("$preset:build/$preset/test-timing.log:")
done

passed_total=0
failed_total=0
for run in "${runs[@]}"; do
  IFS=: read -r preset log pid <<<"$run"
  echo "=== $log"
  cat "$log"
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$summary" ]; then
    failed+=("$preset")
    continue
  fi
  read -r total failures < <(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2 \1/' <<<"$summary")
  passed_total=$((passed_total + total - failures))
  failed_total=$((failed_total + failures))
done

echo "=== all presets (at ${SECONDS} s)"
echo "$passed_total passed, $failed_total failed"
if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED presets: $(printf '%s\n' "${failed[@]}" | sort -u | tr '\n' ' ')"
  exit 1
fi
echo "All presets passed."
