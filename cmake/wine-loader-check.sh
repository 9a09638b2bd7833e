#!/bin/sh
# Fails when cmake/wine.sh picks a loader that cannot run, or a path that does not fit the
# machine: as the machine is, forced to the 64-bit path, and with a 32-bit loader that cannot
# start (as on a kernel that runs no 32-bit programs).
here=$(cd "$(dirname "$0")" && pwd)
status=0
fail() { echo "FAIL: $*"; status=1; }

# pick [VAR=value ...]: the choice in a fresh shell, as "VTX_WIN32|VTX_WINE|WINELOADER|why".
pick() {
  env -u VTX_WINE -u WINELOADER -u VTX_NO_WIN32 "$@" \
    sh -c '. "$1/wine.sh" && echo "$VTX_WIN32|$VTX_WINE|${WINELOADER:-}|$VTX_WIN32_WHY"' sh "$here"
}

# check LABEL CHOICE: the chosen loader starts, and the 64-bit path names it as WINELOADER.
check() {
  label=$1
  IFS='|' read -r win32 loader wineloader why <<END
$2
END
  echo "$label: VTX_WIN32=$win32 loader=$loader WINELOADER=$wineloader ${why:+($why)}"
  "$loader" --version >/dev/null 2>&1 || fail "$label: the chosen loader $loader does not run"
  if [ "$win32" = 0 ] && [ "$wineloader" != "$loader" ]; then
    fail "$label: WINELOADER is '$wineloader', not the chosen loader"
  fi
}

machine=$(pick)
check "this machine" "$machine"
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  [ "${machine%%|*}" = 1 ] || fail "the 32-bit loader runs here, yet the 32-bit path was not taken"
  # Nor does a forced choice outlive unsetting the variable.
  unforced=$(env VTX_NO_WIN32=1 sh -c '. "$1/wine.sh" && env -u VTX_NO_WIN32 sh -c ". \"$1/wine.sh\" && echo \$VTX_WIN32\|\$VTX_WINE\|\${WINELOADER:-}\|"' sh "$here")
  check "forced, then not" "$unforced"
  [ "$unforced" = "1|/usr/lib/wine/wine||" ] || fail "a forced choice outlived VTX_NO_WIN32: $unforced"
fi

forced=$(pick VTX_NO_WIN32=1)
check "VTX_NO_WIN32=1" "$forced"
case $forced in 0\|*VTX_NO_WIN32*) ;; *) fail "VTX_NO_WIN32=1 did not take the 64-bit path" ;; esac

# A choice made without the variable and inherited does not outlive setting it.
inherited=$(env -u VTX_NO_WIN32 sh -c '. "$1/wine.sh" && VTX_NO_WIN32=1 sh -c ". \"$1/wine.sh\" && echo \$VTX_WIN32"' sh "$here")
[ "$inherited" = 0 ] || fail "an inherited choice ignored VTX_NO_WIN32=1"

# A 32-bit loader that cannot start, as on a kernel without 32-bit support.
broken=$(mktemp)
printf '#!/bin/sh\necho "Exec format error" >&2\nexit 126\n' >"$broken"
chmod +x "$broken"
no32=$(pick VTX_WINE32_LOADER="$broken")
rm -f "$broken"
check "32-bit loader fails" "$no32"
[ "${no32%%|*}" = 0 ] || fail "a failing 32-bit loader was chosen"
case $no32 in *"cannot run on this kernel"*) ;; *) fail "a loader that fails was not named as such: $no32" ;; esac

# No 32-bit loader at all, as where the setup could not install wine32:i386.
absent=$(pick VTX_WINE32_LOADER=/nonexistent/wine)
check "32-bit loader absent" "$absent"
case $absent in 0\|*"not installed"*) ;; *) fail "an absent 32-bit loader was not named as such: $absent" ;; esac

# The test wrapper's guard: a skip with the reason, never a pass.
out=$(env -u VTX_WINE VTX_NO_WIN32=1 sh -c '. "$1/wine.sh"; vtx_wine_require 32; echo ran' sh "$here")
code=$?
case "$code:$out" in
  "77:SKIPPED: 32-bit Windows programs cannot run here: VTX_NO_WIN32=1 is set") ;;
  *) fail "vtx_wine_require 32 on the 64-bit path gave $code: $out" ;;
esac
exit $status
