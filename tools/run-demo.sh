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

# A fresh user folder for the pictures (each tour starts one), so that they
# show the same every time.
shots="$D/shots"
rm -rf "$shots"; mkdir -p "$shots"
run() { wine "$D/x64/nuntio-demo.exe" --root 'C:\NuntioTour' "$@" </dev/null >/dev/null 2>&1; }

# The tour, and a popup of each skin; pictures into $1 (a folder of dist/).
tour() {
  local out=$1 tour_root="$WINEPREFIX/drive_c/NuntioTour"
  rm -rf "$tour_root"; mkdir -p "$out"
  echo "demo: the tour of the message center (alerts, trades, context menu, settings, columns, page settings, find)"
  run --demo --tour 'C:\NuntioTour\shots' --exit-after 60 || { echo "demo: the demo host failed"; return 1; }
  for skin in 0 1 2; do
    echo "demo: popup skin $((skin + 1))"
    run --tour 'C:\NuntioTour\shots' --skin $skin --exit-after 20
  done
  for bmp in "$tour_root"/shots/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "$out/$(basename "${bmp%.bmp}").png"
  done
}
tour "$shots" || exit 1
# The same at 144 DPI, in a Wine prefix of its own (the demo host is
# per-monitor aware, so Nuntio's windows lay out for that scale).
nuntio_wine_stop
if nuntio_wine_prefix_at 144; then
  nuntio_wine_start
  echo "demo: at 144 DPI"
  tour "$shots/144" || exit 1
fi
cp "$shots/center-alerts.png" "$D/demo.png" 2>/dev/null
n=$(ls "$shots"/*.png 2>/dev/null | wc -l)
n144=$(ls "$shots"/144/*.png 2>/dev/null | wc -l)
echo "demo: $n pictures in $shots and $n144 at 144 DPI in $shots/144; the demo's own picture is $D/demo.png"
[ "$n" -gt 0 ] || exit 1
echo "demo: to try it yourself on a display: DISPLAY=:0 make demo"
