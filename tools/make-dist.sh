#!/usr/bin/env bash
# Lays out dist/ from the builds: the header, both DLLs with their import
# libraries, the demo host and the native nuntio-dump.
set -euo pipefail
B=${1:-build}; D=${2:-dist}
mkdir -p "$D/include" "$D/x64" "$D/x86" "$D/bin"
cp include/nuntio.h "$D/include/"
for arch in x64 x86; do
  cp "$B/$arch/bin/Nuntio.dll" "$B/$arch/bin/Nuntio.dll.a" "$B/$arch/bin/Nuntio.lib" "$D/$arch/"
done
cp "$B/x64/bin/nuntio-demo.exe" "$D/x64/"
if [ -x "$B/native/tools/nuntio-dump/nuntio-dump" ]; then
  cp "$B/native/tools/nuntio-dump/nuntio-dump" "$D/bin/"
fi
echo "dist: $(cd "$D" && find . -type f | sort | tr '\n' ' ')"
