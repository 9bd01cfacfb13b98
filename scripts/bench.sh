#!/usr/bin/env bash
# bench.sh: builds the bench preset (Release, no sanitizers), runs the benchmarks and prints
# each ZString and estimator figure beside its standard-library baseline from the same run,
# as the median of 5 repetitions (CPU time). Raw results: build/bench/bench.json.
# Exits 1 when a ratio is outside its budget.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target zstartup_bench >/dev/null
out=build/bench/bench.json
build/bench/bin/zstartup_bench --benchmark_repetitions=5 --benchmark_min_time=0.1 \
  --benchmark_report_aggregates_only=true --benchmark_out="$out" --benchmark_out_format=json \
  >/dev/null 2>&1
python3 - "$out" <<'PY'
import json, sys

data = json.load(open(sys.argv[1]))
scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
median = {b["run_name"]: b["cpu_time"] * scale[b["time_unit"]]
          for b in data["benchmarks"] if b.get("aggregate_name") == "median"}

# (figure, ours, baseline, largest allowed ours/baseline, budget as written)
pairs = [
    ("AppendChar x 1,000,000", "ZStringAppendChar", "StdStringPushBack", 1.5, "<= 1.5"),
    ("Append 16-byte pieces", "ZStringAppend16", "StdStringAppend16", 1.5, "<= 1.5"),
    ("Format trace line", "ZStringFormat", "SnprintfStdString", 1.5, "<= 1.5"),
]
for name in ("StopService", "BatchFile", "Started", "NotFound"):
    pairs.append(("Estimate " + name, name + "<Estimate>", name + "<Measure>", 1 / 3,
                  "<= 0.33 (3x faster)"))

def show(ns):
    return f"{ns / 1e6:.2f} ms" if ns >= 1e6 else f"{ns:.1f} ns"

ctx = data["context"]
print(f"{ctx['num_cpus']} x {ctx['mhz_per_cpu']} MHz, load {ctx.get('load_avg', '?')}; "
      "median CPU time of 5 repetitions")
row = "{:<24} {:>14} {:>14} {:>10} {:>20} {:>7}"
print(row.format("figure", "ours", "baseline", "ours/base", "budget", "within"))
failed = False
for figure, ours, base, limit, budget in pairs:
    ratio = median[ours] / median[base]
    within = ratio <= limit
    failed |= not within
    print(row.format(figure, show(median[ours]), show(median[base]), f"{ratio:.2f}",
                     budget, "yes" if within else "NO"))
sys.exit(1 if failed else 0)
PY
