#!/usr/bin/env bash
# Checks that res/art/render.py still draws exactly the committed pictures:
# it runs the script on a copy and compares every .ico and .bmp byte for byte,
# at every scale, both ways (a committed file it no longer draws and a file it
# draws that is not committed both fail).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$here/res/art/render.py" "$tmp/"
python3 "$tmp/render.py"
status=0
for f in "$here"/res/art/*.ico "$here"/res/art/*.bmp; do
  if ! cmp -s "$f" "$tmp/$(basename "$f")"; then
    echo "check-art: $(basename "$f") differs from what render.py draws" >&2
    status=1
  fi
done
for f in "$tmp"/*.ico "$tmp"/*.bmp; do
  if [ ! -e "$here/res/art/$(basename "$f")" ]; then
    echo "check-art: render.py draws $(basename "$f"), which is not committed" >&2
    status=1
  fi
done
[ $status = 0 ] && echo "check-art: every picture is what render.py draws"
exit $status
