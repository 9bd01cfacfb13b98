#!/usr/bin/env bash
# workflow_syntax_test.sh SOURCE_DIR TOOLS_DIR: every workflow in SOURCE_DIR/.github/workflows
# is valid against the schema of GitHub's workflow files, as @action-validator/cli (installed by
# scripts/setup.sh into TOOLS_DIR) checks it. No run on GitHub is needed, nor any network.
# Exits 77 (skipped) only when npm is absent, so that nothing could install the validator.
set -uo pipefail
source_dir=$1
validator=$2/node_modules/.bin/action-validator

if [ ! -x "$validator" ]; then
  if ! command -v npm >/dev/null 2>&1; then
    echo "workflow_syntax_test is skipped: npm is absent, so scripts/setup.sh could not install @action-validator/cli"
    exit 77
  fi
  echo "FAIL: $validator is missing: run scripts/setup.sh, which installs @action-validator/cli with npm"
  exit 1
fi

checked=0
failures=0
for workflow in "$source_dir"/.github/workflows/*.yml; do
  [ -e "$workflow" ] || continue
  checked=$((checked + 1))
  if ! "$validator" "$workflow"; then
    echo "FAIL: ${workflow#"$source_dir"/} does not follow the workflow schema (above)"
    failures=$((failures + 1))
  fi
done
if [ "$checked" -eq 0 ]; then
  echo "FAIL: no workflow in $source_dir/.github/workflows"
  exit 1
fi
echo "$checked workflows checked, $failures refused"
[ "$failures" -eq 0 ]
