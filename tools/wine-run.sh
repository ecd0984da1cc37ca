#!/usr/bin/env bash
# CTest's emulator for Windows programs: runs one under Wine with the project's
# environment. Wine's own stderr goes to a file and is replayed, so that service
# processes that inherit it cannot keep CTest's pipe open. The exit code passes through.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"
exe=$1; shift
case "$exe" in
  *.exe) ;;
  *) [ -e "$exe.exe" ] && exe="$exe.exe" ;;
esac
err=$(mktemp)
wine "$exe" "$@" 2>"$err" </dev/null
rc=$?
grep -v -E '^(fixme|err:ole|err:winediag|wine: created the configuration)' "$err" >&2 || true
rm -f "$err"
exit $rc
