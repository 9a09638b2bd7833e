#!/bin/sh
# Makes the headless test prefix once; later calls return at once. Safe to run concurrently.
set -eu
prefix="$1"
mkdir -p "$prefix"
exec 9>"$prefix.lock"
flock 9
if [ -f "$prefix/.vtx-ready" ]; then exit 0; fi
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1 || true
# Without this wait the first program in a new prefix can fail at random.
wineserver -w
# The null graphics driver: dialogs, list views and message boxes work without any display.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -w
touch "$prefix/.vtx-ready"
