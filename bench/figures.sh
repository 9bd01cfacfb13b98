#!/usr/bin/env bash
# Every measured figure in one run: the ZString and estimator ratios (host, Google Benchmark)
# and the launcher's size and start-up budgets (i686 under Wine). Each figure is printed with
# its baseline, ratio and budget. Exits 1 when any figure is outside its budget.
set -uo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
status=0
echo "== ZString and estimator (host, Release) =="
bash scripts/bench.sh || status=1
echo
echo "== Launcher size and start-up (i686, Wine) =="
bash scripts/budgets.sh || status=1
echo
echo "== zStartupCheck --last-run on a large log (Wine) =="
bash bench/lastrun.sh || status=1
echo
echo "== zStartupCheck plan of a list with many keys (Wine) =="
bash bench/plancheck.sh || status=1
exit $status
