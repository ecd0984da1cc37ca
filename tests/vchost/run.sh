#!/usr/bin/env bash
# Runs the Visual C++-style host under Wine on a fresh root folder, then checks
# that the DLL saved the user's messages when the process exited.
#   run.sh <nuntio_vc_host.exe>
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(mktemp -d); trap 'rm -rf "$root"' EXIT
mkdir -p "$root/User/vc"
"$here/../../tools/wine-run.sh" "$1" "Z:${root//\//\\}"
rc=$?
[ $rc = 0 ] || { echo "vc host: exit code $rc"; exit 1; }
[ -s "$root/User/vc/Nuntio/AlertMsg.DAT" ] || { echo "vc host: no AlertMsg.DAT after exit"; ls -R "$root"; exit 1; }
