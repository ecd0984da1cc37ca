#!/usr/bin/env bash
# Compiles header_use.c against include/nuntio.h in each language mode a host
# may use, with one compiler family: gcc, clang or clang-cl (Visual C++'s
# command line, x86 and x64, also posing as Visual C++ 6.0 and 2008, which
# have no <stdint.h>). Each mode must compile cleanly, and must fail on its
# layout check once a record field is widened.
#   check-header.sh gcc|clang|clang-cl [clang-cl path]
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
inc=$here/../../include
src=$here/header_use.c
family=$1; clang_cl=${2:-clang-cl}
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
# For the old Visual C++ modes: any use of <stdint.h> is an error.
mkdir "$tmp/no-stdint"; echo '#error "this compiler has no <stdint.h>"' >"$tmp/no-stdint/stdint.h"

failed=0; n=0
check() { # label, then the compile command without the source file
  local label=$1; shift
  n=$((n + 1))
  if ! "$@" "$src" >"$tmp/out" 2>&1; then
    echo "FAIL $label: does not compile"; cat "$tmp/out"; failed=$((failed + 1)); return
  fi
  if "$1" -DNUNTIO_TEST_WIDE_FIELD "${@:2}" "$src" >"$tmp/out" 2>&1; then
    echo "FAIL $label: a widened field compiles"; failed=$((failed + 1)); return
  fi
  if ! grep -qE 'wrong.layout.{0,2}AlertRecord' "$tmp/out"; then
    echo "FAIL $label: a widened field fails, but not on the layout check"; cat "$tmp/out"; failed=$((failed + 1)); return
  fi
  echo "ok   $label"
}

native() { # cc c++
  local std
  for std in c89 c99 c11; do
    check "$1 -std=$std" "$1" -x c -std=$std -pedantic-errors -Wall -Wextra -Werror -I"$inc" -fsyntax-only
  done
  for std in c++98 c++11 c++20; do
    check "$2 -std=$std" "$2" -x c++ -std=$std -pedantic-errors -Wall -Wextra -Werror -I"$inc" -fsyntax-only
  done
}

case $family in
  gcc) native gcc g++ ;;
  clang) native clang clang++ ;;
  clang-cl)
    for target in i686-pc-windows-msvc x86_64-pc-windows-msvc; do
      cl=("$clang_cl" --target=$target /nologo /W4 /WX /Zs /I"$inc")
      old=(-fms-compatibility-version=12.00 /I"$tmp/no-stdint")
      check "$target C" "${cl[@]}" /TC --
      check "$target C++" "${cl[@]}" /TP --
      check "$target C++20" "${cl[@]}" /TP /std:c++20 --
      check "$target C89, VC 6.0" "${cl[@]}" "${old[@]}" /TC /clang:-std=c89 /clang:-pedantic-errors --
      check "$target C89, VC 6.0, host's own uint32_t" "${cl[@]}" "${old[@]}" /TC /clang:-std=c89 \
        /clang:-pedantic-errors -DNUNTIO_TEST_OWN_STDINT --
      check "$target C++98, VC 2008" "${cl[@]}" -fms-compatibility-version=15.00 /I"$tmp/no-stdint" /TP \
        /clang:-std=c++98 /clang:-pedantic-errors --
    done ;;
  *) echo "usage: check-header.sh gcc|clang|clang-cl [clang-cl path]" >&2; exit 2 ;;
esac
echo "$((n - failed)) of $n modes ok"
[ "$failed" = 0 ]
