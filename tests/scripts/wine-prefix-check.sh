#!/bin/sh
# cmake/wine-prefix.sh with stand-in Wine loaders: a prefix is made once and kept while the Wine
# stays; one made with another Wine (another version, other loaders, or none recorded) is made
# again, with one line saying why and what goes with it.
make=$(cd "$(dirname "$0")/../.." && pwd)/cmake/wine-prefix.sh
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

# The loaders answer --version with $VERSION (the 32-bit one only where $RUNS32 is set); wineboot
# makes a prefix's registry.
cat >"$dir/wine64" <<'STUB'
#!/bin/sh
case "$1" in
  --version) echo "$VERSION" ;;
  wineboot) mkdir -p "$WINEPREFIX/drive_c" && : >"$WINEPREFIX/system.reg" ;;
esac
STUB
printf '#!/bin/sh\n[ -n "$RUNS32" ] || exit 126\nexec "${0%%32}64" "$@"\n' >"$dir/wine32"
printf '#!/bin/sh\necho "wineserver $* in $WINEPREFIX" >>"$LOG"\n' >"$dir/wineserver"
chmod +x "$dir"/wine32 "$dir"/wine64 "$dir"/wineserver
prefix=$dir/prefix

# make VAR=value...: the prefix made (or not) as the loaders stand; sets out.
make() {
  : >"$dir/log"
  out=$(env -u VTX_WINE -u VTX_WIN32 -u WINELOADER -u VTX_NO_WIN32 -u VTX_PREFIX_HOLDS PATH="$dir:$PATH" \
        LOG="$dir/log" VTX_WINE32_LOADER="$dir/wine32" VTX_WINE64_LOADER="$dir/wine64" VERSION=wine-8.0 \
        RUNS32= "$@" "$make" "$prefix" 2>&1) || fail "wine-prefix.sh failed: $out"
  echo "$out"
}

make
[ "$out" = "making the Wine prefix $prefix with wine-8.0, 64-bit loader only" ] || fail "a new prefix: $out"
[ "$(cat "$prefix/.vtx-ready")" = "wine-8.0, 64-bit loader only" ] ||
  fail "the prefix does not record its Wine: $(cat "$prefix/.vtx-ready")"
: >"$prefix/kept"

make
[ -z "$out" ] && [ -f "$prefix/kept" ] || fail "the same Wine made the prefix again: $out"

make RUNS32=1 VTX_PREFIX_HOLDS="the demo's lists"
[ "$out" = "making the Wine prefix $prefix again: made with wine-8.0, 64-bit loader only, now wine-8.0, 32-bit and 64-bit loaders; the demo's lists go with it" ] ||
  fail "the 32-bit loader came: $out"
[ ! -f "$prefix/kept" ] || fail "the prefix made under the 64-bit loader only was kept"
grep -qx "wineserver -k in $prefix" "$dir/log" || fail "the old prefix's wineserver was not ended"

make RUNS32=1 VERSION=wine-9.0
case $out in *"again: made with wine-8.0, 32-bit and 64-bit loaders, now wine-9.0, 32-bit and 64-bit loaders") ;;
  *) fail "another Wine version: $out" ;; esac

# As the rig left its prefixes before they recorded anything.
: >"$prefix/.vtx-ready"
make
case $out in *"again: made with an unrecorded Wine, now wine-8.0, 64-bit loader only") ;;
  *) fail "a prefix without a record: $out" ;; esac
exit $status
