#!/bin/sh
# Runs a test program of the setup in a Wine prefix made afresh, and ends that prefix's
# processes (the driver's service among them) afterwards:
#   setup-run.sh <prefix> <32|64> [--on 64] <program> [arguments]
# The prefix is a Windows of the program's bitness, or of the one --on gives. Where programs of
# that bitness cannot run here, says why and exits as a skipped test.
set -eu
prefix=$1
bits=$2
windows=$2
shift 2
if [ "${1:-}" = --on ]; then
  windows=$2
  shift 2
fi
root=$(cd "$(dirname "$0")/../../.." && pwd)
. "$root/cmake/wine.sh"
vtx_wine_require "$bits"
export WINEPREFIX="$prefix"
if [ -d "$prefix" ]; then
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
fi
if [ "$windows" = 32 ]; then
  export WINEARCH=win32
fi
"$root/cmake/wine-prefix.sh" "$prefix"
status=0
"$VTX_WINE" "$@" || status=$?
wineserver -k 2>/dev/null || true
exit "$status"
