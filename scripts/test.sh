#!/usr/bin/env bash
# Runs every test: installs what is missing, then builds and tests the host preset (sanitizers
# and short fuzz runs) and the Windows presets under Wine. Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

bash scripts/setup.sh || exit 1

failed=()
for preset in host win32 win64; do
  echo "=== $preset ==="
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" && ctest --preset "$preset"; }; then
    failed+=("$preset")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED presets: ${failed[*]}"
  exit 1
fi
echo "All presets passed."
