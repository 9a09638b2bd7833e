#!/bin/sh
# Makes a Wine prefix for Veltrix once; later calls return at once. Safe to run concurrently.
#   cmake/wine-prefix.sh <prefix> [null|x11]
# null (the default) draws with the null graphics driver: dialogs, list views and message boxes
# work without any display. x11 draws on a real or virtual display.
# The test prefix, the end-to-end and demo prefixes and the screenshot prefix are all made here.
set -eu
prefix=$1
graphics=${2:-null}
. "$(dirname "$0")/wine.sh"
mkdir -p "$prefix"
exec 9>"$prefix.lock"
flock 9
if [ -f "$prefix/.vtx-ready" ]; then exit 0; fi
echo "making the Wine prefix $prefix (once)" >&2
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
touch "$prefix/.vtx-ready"
