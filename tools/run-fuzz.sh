#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build from its seed corpus for the given
# number of seconds each; fails on the first crash, leak or sanitizer report.
#   tools/run-fuzz.sh build/fuzz 300
set -euo pipefail
build=${1:?usage: run-fuzz.sh <fuzz build dir> <seconds per target>}
seconds=${2:?usage: run-fuzz.sh <fuzz build dir> <seconds per target>}
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/nuntio-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT

found=0
for target in archive_reader cfg_loader journal_reader; do
  exe="$build/fuzz/$target"
  if [[ ! -x "$exe" ]]; then
    echo "run-fuzz: $exe is missing (make fuzz-build)" >&2
    exit 1
  fi
  found=$((found + 1))
  seeds="$src/fuzz/corpus/$target"
  # New inputs go to a scratch corpus; the checked-in seeds stay as they are.
  mkdir -p "$work/$target" "$work/$target-artifacts"
  echo "== $target: ${seconds}s from $(ls "$seeds" | wc -l) seeds"
  if ! "$exe" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/$target-artifacts/" \
      "$work/$target" "$seeds" >"$work/$target.log" 2>&1; then
    tail -n 60 "$work/$target.log" >&2
    for a in "$work/$target-artifacts"/*; do
      [[ -e "$a" ]] || continue
      mkdir -p "$build/fuzz-artifacts"
      cp "$a" "$build/fuzz-artifacts/"
      echo "run-fuzz: $target failed; input kept in $build/fuzz-artifacts/$(basename "$a")" >&2
    done
    exit 1
  fi
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$work/$target.log" | sed "s/^/  /"
done
echo "run-fuzz: $found targets passed"
