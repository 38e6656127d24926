#!/usr/bin/env bash
# Runs a Windows program of the given architecture under Wine, in the project's private
# prefix unless WINEPREFIX says otherwise. Used by ctest and by scripts/run.sh.
#   wine-run.sh i686|x86_64 program.exe [arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
arch=$1
shift
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No desktop menu entries on the host, no Mono or Gecko installer dialogs.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}
case $arch in
  x86_64) loader=/usr/lib/wine/wine64 ;;
  i686) loader=/usr/lib/wine/wine ;;
  *) echo "wine-run.sh: unknown architecture $arch" >&2; exit 2 ;;
esac
export WINELOADER=$loader
# Wine may start its own background processes (the desktop, services) from this program, and
# they inherit its output. Through a file, they cannot keep a caller's pipe open (ctest waits
# for the pipe to close, and would wait for ever).
out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
"$loader" "$@" >"$out" 2>&1 </dev/null || status=$?
cat "$out"
exit $status
