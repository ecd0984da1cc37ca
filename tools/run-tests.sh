#!/usr/bin/env bash
# Runs every test: the native core tests (ASan/UBSan) and header checks, a short
# run of each fuzz target, and the Wine tests of the x64 and the x86 DLL (with
# the Visual C++-style host of each) in one Xvfb and one wineserver. Prints each
# CTest summary and a closing "N passed, N failed" line.
set -uo pipefail
B=${1:-build}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"

passed=0; failed=0; skipped=0; status=0
count() { # parses CTest's "x% tests passed, N tests failed out of M"
  local log=$1 line total fail
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line"); fail=$(sed -E 's/.*, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  [ -n "$total" ] || { total=0; fail=1; }
  skip=$(grep -cE '^\s+[0-9]+ - .*\(Skipped\)$' "$log")
  passed=$((passed + total - fail - skip)); failed=$((failed + fail)); skipped=$((skipped + skip))
}

run_ctest() { # name dir [ctest args]
  local name=$1 dir=$2; shift 2
  local log; log=$(mktemp)
  echo "== $name"
  ctest --test-dir "$dir" --output-on-failure --timeout 300 "$@" 2>&1 | tee "$log" | grep -v -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed' || true
  count "$log"
  grep -q '100% tests passed' "$log" || status=1
  rm -f "$log"
}

run_ctest "native core tests (ASan/UBSan)" "$B/native-asan" -j "$(nproc)"
if [ -d "$B/native-plain" ]; then
  run_ctest "native core tests (no sanitizers)" "$B/native-plain" -j "$(nproc)" -R '^[A-Z]'
fi

# The source's own rules: layers that only look down, and art that is what
# its script draws.
for check in "python3 $here/layers.py" "bash $here/check-art.sh"; do
  echo "== ${check##*/}"
  if $check; then passed=$((passed + 1)); else failed=$((failed + 1)); status=1; fi
done

if [ -x "$here/run-fuzz.sh" ] && [ -d "$B/fuzz/fuzz" ]; then
  echo "== fuzz targets (short run)"
  if bash "$here/run-fuzz.sh" "$B/fuzz" "${NUNTIO_FUZZ_SECONDS:-5}"; then passed=$((passed + 1)); else failed=$((failed + 1)); status=1; fi
fi

nuntio_wine_prefix
nuntio_xvfb_start || exit 1
nuntio_wine_start
trap 'nuntio_wine_stop; nuntio_xvfb_stop' EXIT

run_ctest "Wine tests, x64 DLL" "$B/x64"
if nuntio_have_wine32; then
  run_ctest "Wine tests, x86 DLL" "$B/x86"
else
  n=$(ctest --test-dir "$B/x86" -N 2>/dev/null | sed -n 's/^Total Tests: //p')
  skipped=$((skipped + ${n:-0}))
  echo "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!"
  echo "!! 32-bit Wine is not installed: the x86 DLL's ${n:-?} tests were SKIPPED, not run"
  echo "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!"
fi

# The windows' scaling once more in a prefix at 144 DPI (the run above was
# at 96).
run_scaled() { # arch
  local exe="$B/$1/bin/nuntio_wine_tests.exe" log
  [ -x "$exe" ] || [ -f "$exe" ] || return 0
  log=$(mktemp)
  echo "== Wine tests of the windows' scale at 144 DPI, $1 DLL"
  (cd "$(dirname "$exe")" && timeout 600 wine "$(basename "$exe")" --gtest_filter='Dpi*' </dev/null 2>&1) |
    grep -v -E '^(fixme|err:ole|err:winediag)' >"$log"
  if grep -q '^\[  PASSED  \]' "$log" && ! grep -q '^\[  FAILED  \]' "$log"; then
    passed=$((passed + $(grep -c '^\[       OK \]' "$log")))
    grep '^\[  PASSED' "$log"
  else
    cat "$log"; failed=$((failed + 1)); status=1
  fi
  rm -f "$log"
}
nuntio_wine_stop
if nuntio_wine_prefix_at 144; then
  nuntio_wine_start
  run_scaled x64
  nuntio_have_wine32 && run_scaled x86
else
  echo "could not prepare the 144 DPI prefix"; failed=$((failed + 1)); status=1
fi

echo
echo "$passed passed, $failed failed, $skipped skipped"
exit $status
