#!/bin/sh
# scripts/setup against a stand-in package manager: a broken i386 index and an uninstallable
# wine32 cost only the 32-bit packages, with apt's reason in one line; a required package that
# does not install stops the setup.
setup=$(cd "$(dirname "$0")/../.." && pwd)/scripts/setup
bin=$(mktemp -d)
trap 'rm -rf "$bin"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

# Each stand-in logs its call. ABSENT is a pattern of the packages dpkg-query finds missing; UPDATE_FAILS and
# REFUSE (a pattern of package names apt-get will not install) steer the failures.
cat >"$bin/apt-get" <<'STUB'
#!/bin/sh
echo "apt-get $*" >>"$LOG"
case "$*" in
  *update*) [ -z "$UPDATE_FAILS" ] && exit 0
            echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
            echo "E: Some index files failed to download." >&2; exit 100 ;;
esac
for p in "$@"; do
  case "$p" in $REFUSE) echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100 ;; esac
done
exit 0
STUB
cat >"$bin/dpkg-query" <<'STUB'
#!/bin/sh
case "$3" in $ABSENT) exit 1 ;; esac
printf 'install ok installed'
STUB
cat >"$bin/dpkg" <<'STUB'
#!/bin/sh
echo "dpkg $*" >>"$LOG"
[ "$1" = --print-foreign-architectures ] && exit 0
exit 0
STUB
printf '#!/bin/sh\nexec "$@"\n' >"$bin/sudo"
chmod +x "$bin"/*

# run NAME VAR=value...: scripts/setup with the stand-ins first on PATH; sets out, code, calls.
run() {
  name=$1; shift
  LOG="$bin/$name.log"; : >"$LOG"
  out=$(env PATH="$bin:$PATH" LOG="$LOG" 'ABSENT=*' UPDATE_FAILS= REFUSE=__none__ "$@" "$setup" 2>&1)
  code=$?
  calls=$(cat "$LOG")
  echo "--- $name: exit $code"; echo "$out"
}

run broken-i386 UPDATE_FAILS=1 'REFUSE=*:i386'
[ "$code" = 0 ] || fail "broken i386 index: exit $code, not 0"
echo "$calls" | grep -q 'install .*wine64.*mingw-w64\|install .*mingw-w64.*wine64' ||
  fail "broken i386 index: the required packages were not asked for"
[ "$(echo "$out" | grep -c '32-bit Wine packages')" = 1 ] || fail "broken i386 index: no one-line reason"
echo "$out" | grep '32-bit Wine packages' | grep -q 'unexpected size' ||
  fail "broken i386 index: the reason is not apt's own"

run required-refused UPDATE_FAILS=1 'REFUSE=wine64'
[ "$code" != 0 ] || fail "a required package that does not install gave exit 0"
echo "$out" | grep -q 'held broken packages' || fail "apt's message was not shown"

# Everything but the 32-bit set was installed by an earlier run: the mirror is tried again.
run again 'ABSENT=*:i386' 'REFUSE=*:i386'
[ "$code" = 0 ] || fail "a second run without the 32-bit set: exit $code"
echo "$calls" | grep -q 'install .*wine32:i386' || fail "a second run did not try wine32:i386 again"

run complete ABSENT=__none__
[ "$code" = 0 ] && [ -z "$calls" ] || fail "with everything installed the setup still called: $calls"

[ $status = 0 ] && echo "setup check passed"
exit $status
