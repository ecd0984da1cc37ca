#!/usr/bin/env bash
# Runs the demo host from dist/. On a live display it stays open for you; with
# no display it runs under Xvfb, feeds a stream of messages, and saves
# screenshots into dist/.
set -uo pipefail
D=${1:-dist}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"
nuntio_wine_prefix
root_win='C:\NuntioDemo'

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 && [ -z "${NUNTIO_DEMO_HEADLESS:-}" ]; then
  echo "demo: running on $DISPLAY; close the demo window to end"
  wine "$D/x64/nuntio-demo.exe" --root "$root_win" --demo
  exit $?
fi

unset DISPLAY
nuntio_xvfb_start || exit 1
nuntio_wine_start
trap 'nuntio_wine_stop; nuntio_xvfb_stop' EXIT
wine "$D/x64/nuntio-demo.exe" --root "$root_win" --demo --exit-after 12 >/dev/null 2>&1 &
pid=$!
sleep "${NUNTIO_DEMO_SHOT_AFTER:-6}"
import -display "$DISPLAY" -window root "$D/demo.png" && echo "demo: screenshot $D/demo.png"
wait $pid
rc=$?
echo "demo: the demo host ended with $rc; its files are in $WINEPREFIX/drive_c/NuntioDemo"
exit $rc
