# Sourced by everything that runs Wine: decides how Windows programs run on this machine.
#
# Debian's /usr/bin/wine always takes the 32-bit loader once wine32 is installed, and that loader
# is a 32-bit Linux program: on a kernel that runs 64-bit programs only it cannot start, and then
# not even 64-bit Windows programs run. So the 32-bit loader is tried once; where it cannot run,
# the 64-bit loader is used directly, with WINELOADER naming it so that Wine starts its own
# processes (wineboot, services, winedevice.exe) with it too. 32-bit Windows programs cannot run
# there at all.
#
# VTX_NO_WIN32=1 takes the 64-bit path on a machine that could run 32-bit code.
#
# Exports:
#   VTX_WINE        the loader to run Windows programs with
#   VTX_WIN32       1 when 32-bit Windows programs run here, else 0
#   VTX_WIN32_WHY   why they do not (empty when they do)
#   WINELOADER      on the 64-bit path
# The result travels to child processes, which then do not probe again.
vtx_wine32_loader=${VTX_WINE32_LOADER:-/usr/lib/wine/wine}
vtx_wine64_loader=${VTX_WINE64_LOADER:-/usr/lib/wine/wine64}

if [ -z "${VTX_WINE:-}" ] || [ "${VTX_WINE_FORCED:-}" != "${VTX_NO_WIN32:-}" ]; then
  if [ "${VTX_NO_WIN32:-}" = 1 ]; then
    VTX_WIN32=0
    VTX_WIN32_WHY="VTX_NO_WIN32=1 is set"
  elif "$vtx_wine32_loader" --version >/dev/null 2>&1; then
    VTX_WIN32=1
    VTX_WIN32_WHY=
  elif [ ! -e "$vtx_wine32_loader" ]; then
    VTX_WIN32=0
    VTX_WIN32_WHY="the 32-bit Wine loader is not installed ($vtx_wine32_loader: package wine32:i386)"
  else
    VTX_WIN32=0
    VTX_WIN32_WHY="the 32-bit Wine loader cannot run on this kernel ($vtx_wine32_loader --version fails)"
  fi
  if [ "$VTX_WIN32" = 1 ]; then
    VTX_WINE=$vtx_wine32_loader
    # Left by a caller that had forced the 64-bit path.
    if [ "${WINELOADER:-}" = "$vtx_wine64_loader" ]; then unset WINELOADER; fi
  else
    VTX_WINE=$vtx_wine64_loader
  fi
  VTX_WINE_FORCED=${VTX_NO_WIN32:-}
  export VTX_WINE VTX_WIN32 VTX_WIN32_WHY VTX_WINE_FORCED
fi
# Set again when the choice is inherited: a program may have passed on some variables only.
if [ "$VTX_WIN32" != 1 ]; then
  export WINELOADER="$VTX_WINE"
fi

# Nothing here needs Mono or Gecko, and their install prompts would hang a headless run.
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

vtx_wine() {
  "$VTX_WINE" "$@"
}

# vtx_wine_require BITS: returns only when Windows programs of that many bits run here; else
# says why and exits with the code that CTest reports as a skipped test.
vtx_wine_require() {
  if [ "$1" = 32 ] && [ "$VTX_WIN32" != 1 ]; then
    echo "SKIPPED: 32-bit Windows programs cannot run here: $VTX_WIN32_WHY"
    exit 77
  fi
}
