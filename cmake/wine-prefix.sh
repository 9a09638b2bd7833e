#!/bin/sh
# Makes a Wine prefix for Veltrix once; later calls return at once. Safe to run concurrently.
#   cmake/wine-prefix.sh <prefix> [null|x11]
# null (the default) draws with the null graphics driver: dialogs, list views and message boxes
# work without any display. x11 draws on a real or virtual display.
# The test prefix, the end-to-end and demo prefixes and the screenshot prefix are all made here.
#
# A prefix records the Wine it was made with: its version and which loaders ran. A prefix made
# while only the 64-bit loader ran has no 32-bit system files, and every 32-bit program fails in
# it ("could not load kernel32.dll"); so a prefix made under another Wine is made again, with one
# line saying why. VTX_PREFIX_HOLDS names what goes with the old one (the demo's lists).
set -eu
prefix=$1
graphics=${2:-null}
. "$(dirname "$0")/wine.sh"
if [ "$VTX_WIN32" = 1 ]; then loaders="32-bit and 64-bit loaders"; else loaders="64-bit loader only"; fi
made_with="$("$VTX_WINE" --version 2>/dev/null || echo 'unknown Wine'), $loaders"
mkdir -p "$prefix"
exec 9>"$prefix.lock"
flock 9
stamp=$prefix/.vtx-ready
if [ -f "$stamp" ]; then
  old=$(cat "$stamp")
  [ "$old" != "$made_with" ] || exit 0
  echo "making the Wine prefix $prefix again: made with ${old:-an unrecorded Wine}, now $made_with${VTX_PREFIX_HOLDS:+; $VTX_PREFIX_HOLDS go with it}" >&2
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
  mkdir -p "$prefix"
else
  echo "making the Wine prefix $prefix with $made_with" >&2
fi
export WINEPREFIX="$prefix"
# wineboot itself would take Debian's wine, hence through the chosen loader.
vtx_wine wineboot -i >/dev/null 2>&1 || true
# Without this wait the first program in a new prefix can fail at random.
wineserver -w
if [ "$graphics" = null ]; then
  vtx_wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
else
  # The caption buttons are glyphs of Marlett, which this Wine does not find in its own folder.
  for font in /usr/share/wine/fonts/marlett.ttf /usr/share/fonts/truetype/wine/marlett.ttf; do
    if [ -f "$font" ]; then cp "$font" "$prefix/drive_c/windows/Fonts/"; break; fi
  done
fi
wineserver -w
# A prefix that did not boot is not marked ready: the next call tries again, and this one fails.
[ -f "$prefix/system.reg" ] || { echo "wineboot did not make $prefix" >&2; exit 1; }
echo "$made_with" >"$stamp"
