#!/usr/bin/env bash
# Runs the native Google Benchmark programs of a build root and prints their
# results, with the throughput of each benchmark beside memcpy's.
#   tools/run-bench.sh build
set -euo pipefail
root=${1:?usage: run-bench.sh <build root, e.g. build>}
dir="$root/native/bench"
if [[ ! -d "$dir" ]]; then
  echo "run-bench: $dir is missing (make native)" >&2
  exit 1
fi
ran=0
for exe in "$dir"/*; do
  [[ -f "$exe" && -x "$exe" ]] || continue
  ran=$((ran + 1))
  echo "== $(basename "$exe")"
  out=$(mktemp)
  "$exe" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_format=console --benchmark_out="$out" --benchmark_out_format=csv
  # Ratios of the medians' bytes per second (CSV column 6) to memcpy's, when there is a memcpy row.
  awk -F, '
    /_median"?,/ { name=$1; gsub(/"/, "", name); sub(/_median$/, "", name); bps[name]=$6; order[++n]=name }
    END {
      if (!("BM_Memcpy" in bps) || bps["BM_Memcpy"] == 0) exit
      printf "throughput beside memcpy (median of 5):\n"
      for (i = 1; i <= n; i++) if (order[i] != "BM_Memcpy")
        printf "  %-28s %.2f\n", order[i], bps[order[i]] / bps["BM_Memcpy"]
    }' "$out"
  rm -f "$out"
done
if [[ $ran -eq 0 ]]; then
  echo "run-bench: no benchmark programs in $dir" >&2
  exit 1
fi

# The timed scenario of the real DLL under Wine, when the x64 build is there.
wine_bench="$root/x64/bin/nuntio_wine_bench.exe"
if [[ -f "$wine_bench" ]]; then
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  # shellcheck source=wine-env.sh
  source "$here/wine-env.sh"
  nuntio_wine_prefix
  unset DISPLAY
  nuntio_xvfb_start
  nuntio_wine_start
  trap 'nuntio_wine_stop; nuntio_xvfb_stop' EXIT
  echo "== nuntio_wine_bench (the real DLL under Wine)"
  wine "$wine_bench" 2>/dev/null
fi
