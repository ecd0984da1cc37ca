#!/usr/bin/env bash
# The long forms of the crash tests and the load scenario (make soak):
#   - the kill test, 20 rounds (NUNTIO_KILL_ROUNDS), each round's files checked
#     with nuntio-dump --check;
#   - the journal and the message file cut at every byte;
#   - the load test with 20,000 messages and the load scenario with 100,000.
# Prints each part's result and exits non-zero when any failed.
#   tools/soak.sh build
set -uo pipefail
B=${1:-build}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"
bin="$B/x64/bin"
dump="$B/native/tools/nuntio-dump/nuntio-dump"
for f in "$bin/nuntio_wine_tests.exe" "$bin/nuntio_load_bench.exe" "$dump"; do
  [ -e "$f" ] || { echo "soak: $f is missing (make x64 native)" >&2; exit 1; }
done

nuntio_wine_prefix
nuntio_xvfb_start || exit 1
nuntio_wine_start
keep=$(mktemp -d "${TMPDIR:-/tmp}/nuntio-soak.XXXXXX")
trap 'nuntio_wine_stop; nuntio_xvfb_stop; rm -rf "$keep"' EXIT

status=0
part() { # title command...
  local title=$1; shift
  echo "== $title"
  if "$@"; then echo "   passed"; else echo "   FAILED"; status=1; fi
}
wine_test() { bash "$here/wine-run.sh" "$bin/nuntio_wine_tests.exe" --gtest_filter="$1" 2>&1 | grep -E '^\[ (kill test|load) \]|Failure|FAILED|^  |OK \]'; return "${PIPESTATUS[0]}"; }

export NUNTIO_KILL_ROUNDS=${NUNTIO_KILL_ROUNDS:-20}
export NUNTIO_KILL_KEEP="Z:${keep//\//\\}"
part "kill test, $NUNTIO_KILL_ROUNDS rounds" wine_test 'CrashTest.AHostKilled*'
check_files() {
  local files
  files=$(find "$keep" -type f \( -name '*.DAT' -o -name '*.cfg' \) | sort)
  [ -n "$files" ] || { echo "   no files were kept"; return 1; }
  echo "   $(wc -l <<<"$files") files"
  # shellcheck disable=SC2086
  "$dump" --check $files >/dev/null
}
part "nuntio-dump --check on every file of every round" check_files

export NUNTIO_CUT_EVERY_BYTE=1
# In ranges of 800 cuts, a process each, so that a failure names its range.
cut_all() {
  local from test rc=0
  for test in AJournalCutAtAnyByte; do
    for from in 0 800 1600 2400 3200 4000; do
      NUNTIO_CUT_FROM=$from NUNTIO_CUT_TO=$((from + 800)) wine_test "CrashTest.$test*" || rc=1
    done
  done
  return $rc
}
part "journal cut at every byte" cut_all

export NUNTIO_LOAD_MESSAGES=${NUNTIO_LOAD_MESSAGES:-20000}
part "load test, $NUNTIO_LOAD_MESSAGES messages" wine_test 'CrashTest.Thousands*'
part "load scenario, 100,000 messages kept at 50,000" bash "$here/wine-run.sh" "$bin/nuntio_load_bench.exe"

[ $status -eq 0 ] && echo "soak: all parts passed" || echo "soak: FAILED"
exit $status
