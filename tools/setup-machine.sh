#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine: compilers
# (mingw-w64; clang-cl, lld-link and llvm-dlltool for Visual C++'s formats),
# Wine (64- and 32-bit), Xvfb, fonts, the zh_CN.UTF-8 locale. Idempotent: a
# machine that already has everything costs one dpkg query.
set -euo pipefail

PKGS=(wine wine64 libwine fonts-wine libxrender1 libxrandr2 libxi6 libxcursor1 libxfixes3 libxinerama1
      libxcomposite1 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
      cmake make g++ clang libclang-rt-14-dev clang-tools-14 lld-14 llvm-14 googletest libgtest-dev libbenchmark-dev
      clang-format xvfb xauth x11-utils imagemagick xdotool locales fonts-wqy-microhei)
PKGS32=(wine32:i386 libwine:i386 libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386
        libxfixes3:i386 libxinerama1:i386 libxcomposite1:i386)

need_root() { if [ "$(id -u)" != 0 ]; then echo "setup-machine: run as root (apt-get)" >&2; exit 1; fi; }

missing() {
  local p out=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || out+=("$p")
  done
  echo "${out[@]:-}"
}

apt_updated=0
apt_update() {
  [ $apt_updated = 1 ] && return 0
  apt-get update -qq || echo "setup-machine: apt-get update reported errors; going on with the lists it has" >&2
  apt_updated=1
}

# Installs the named packages. When the plain install fails — an out-of-step
# security index can leave a Multi-Arch: same library at another version on
# amd64 than i386 sees — it takes the release's versions (-t bookworm), names
# every wanted package at once so that none is removed on the way, and adds
# the dependencies the resolver gives up on.
install_all() {
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq --no-install-recommends "$@" >/dev/null 2>&1 && return 0
  local extra=() out more round
  for round in 1 2 3 4 5 6; do
    out=$(apt-get install -y --no-install-recommends -t bookworm --allow-downgrades "$@" "${extra[@]}" 2>&1) && return 0
    more=$(echo "$out" | sed -n 's/.*Depends: \([^ ]*\) .*not going to be installed.*/\1/p' | sort -u)
    [ -n "$more" ] || { echo "$out" | tail -5 >&2; return 1; }
    extra+=($more)
  done
  return 1
}

want=("${PKGS[@]}")
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_root; dpkg --add-architecture i386; apt_updated=0
fi
want+=("${PKGS32[@]}")

m=$(missing "${want[@]}")
if [ -n "$m" ]; then
  need_root
  echo "setup-machine: installing $m"
  apt_update
  # Everything wanted is named, installed or not, so the resolver keeps it all.
  install_all "${want[@]}" || true
fi

if [ -n "$(missing "${PKGS[@]}")" ]; then
  echo "setup-machine: could not install: $(missing "${PKGS[@]}")" >&2
  exit 1
fi
if [ -n "$(missing "${PKGS32[@]}")" ]; then
  # Without 32-bit Wine the x86 tests are reported as skipped, never as passed.
  echo "setup-machine: WARNING: 32-bit Wine could not be installed; the x86 tests will be SKIPPED" >&2
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  need_root
  echo "setup-machine: generating zh_CN.UTF-8"
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
exit 0
