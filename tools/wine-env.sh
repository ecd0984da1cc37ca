# Sourced by the test and demo scripts: the Wine environment of the project
# (its own prefix, code page 936, no Mono/Gecko, a virtual desktop) and an Xvfb.
# Functions: nuntio_wine_prefix, nuntio_xvfb_start, nuntio_wine_start, nuntio_wine_stop.

export WINEPREFIX=${NUNTIO_WINEPREFIX:-$HOME/.cache/nuntio/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8

nuntio_have_wine32() { [ -x /usr/lib/wine/wine ] || command -v wine32 >/dev/null 2>&1 || [ -e /usr/lib/i386-linux-gnu/wine ]; }

# Creates the prefix once. A prefix made before 32-bit Wine was installed cannot
# run x86 programs, so the stamp records which Wine made it.
nuntio_wine_prefix() {
  local stamp="$WINEPREFIX/.nuntio-stamp" want
  want="v3 $(wine --version 2>/dev/null) wine32=$(nuntio_have_wine32 && echo yes || echo no)"
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then return 0; fi
  echo "wine-env: preparing the Wine prefix $WINEPREFIX"
  wineserver -k >/dev/null 2>&1 || true
  # Wine must create the folder itself: an empty one reads as a 32-bit prefix.
  rm -rf "$WINEPREFIX"; mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i </dev/null >/dev/null 2>&1
  local reg; reg=$(mktemp --suffix=.reg)
  # CJK faces the dialogs ask for map to WenQuanYi Micro Hei; the virtual desktop
  # gives a taskbar with a tray and spares the 2 s per window close that Wine
  # costs without a window manager.
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for f in SimSun NSimSun "宋体" "新宋体" Tahoma "MS Shell Dlg" "MS Shell Dlg 2" Arial "Microsoft Sans Serif"; do
      printf '"%s"="WenQuanYi Micro Hei"\r\n' "$f"
    done
    printf '\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"FontSmoothing"="2"\r\n"FontSmoothingType"=dword:00000001\r\n'
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n'
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="1024x768"\r\n'
  } | iconv -f UTF-8 -t GBK >"$reg"
  wine regedit "$reg" </dev/null >/dev/null 2>&1
  # This Wine build does not look in its own font folder: without Marlett the
  # caption buttons show "0 1 r".
  cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  rm -f "$reg"
  wineserver -w
  [ -d "$WINEPREFIX/drive_c/windows/system32" ] || { echo "wine-env: wineboot failed" >&2; return 1; }
  echo "$want" >"$stamp"
}

# A prefix like the project's but at another DPI (LogPixels), for the tests
# of the windows at that scale: nuntio_wine_prefix_at 144 sets WINEPREFIX to it.
nuntio_wine_prefix_at() {
  local dpi=$1 base=$WINEPREFIX
  nuntio_wine_prefix || return 1
  export WINEPREFIX="$base-$dpi"
  local want; want="$(cat "$base/.nuntio-stamp") dpi=$dpi"
  if [ -f "$WINEPREFIX/.nuntio-stamp" ] && [ "$(cat "$WINEPREFIX/.nuntio-stamp")" = "$want" ]; then return 0; fi
  echo "wine-env: preparing the Wine prefix $WINEPREFIX at $dpi DPI"
  WINEPREFIX=$base wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX=$base wineserver -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  cp -a "$base" "$WINEPREFIX" || return 1
  rm -rf "$WINEPREFIX/drive_c/users/"*/Temp/* 2>/dev/null || true
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 &&
    wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 || return 1
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  echo "$want" >"$WINEPREFIX/.nuntio-stamp"
}

# An Xvfb of our own unless DISPLAY already points at a live server.
nuntio_xvfb_start() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n
  for n in $(seq 91 120); do
    [ -e "/tmp/.X$n-lock" ] && continue
    setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    echo $! >"/tmp/nuntio-xvfb-$n.pid"
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  done
  echo "wine-env: could not start Xvfb" >&2; return 1
}

nuntio_xvfb_stop() {
  local n=${DISPLAY#:}
  if [ -f "/tmp/nuntio-xvfb-$n.pid" ]; then kill "$(cat "/tmp/nuntio-xvfb-$n.pid")" 2>/dev/null || true; rm -f "/tmp/nuntio-xvfb-$n.pid"; fi
}

# One persistent wineserver for a whole run: each program then starts in a
# fraction of the time. Its services get stdio on /dev/null so that nothing
# holds CTest's pipes open.
nuntio_wine_start() {
  wineserver -p </dev/null >/dev/null 2>&1
  wine wineboot </dev/null >/dev/null 2>&1 || true
}

nuntio_wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}
