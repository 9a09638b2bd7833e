#!/bin/sh
# scripts/setup against a stand-in package manager: a broken i386 index and an uninstallable
# wine32 cost only the 32-bit packages, with apt's reason in one line; the second try with the
# point release preferred installs them where only that was wrong, says so and lists the versions
# it changed; a required package that does not install, or is lost to the 32-bit set, stops the
# setup.
setup=$(cd "$(dirname "$0")/../.." && pwd)/scripts/setup
bin=$(mktemp -d)
trap 'rm -rf "$bin"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

# Each stand-in logs its call. ABSENT is a pattern of the packages dpkg-query finds missing until
# apt-get installs them; UPDATE_FAILS and REFUSE (a pattern of package names apt-get will not
# install) steer the failures; PINNED_OK lets the second try (with a preferences file) install
# them, moving libssl3 to the point release's version, and PINNED_LOSES names a package it loses.
cat >"$bin/apt-get" <<'STUB'
#!/bin/sh
echo "apt-get $*" >>"$LOG"
case "$*" in
  *update*) [ -z "$UPDATE_FAILS" ] && exit 0
            echo "E: Failed to fetch .../binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
            echo "E: Some index files failed to download." >&2; exit 100 ;;
esac
prefs=$(echo "$*" | sed -n 's/.*Dir::Etc::Preferences=\([^ ]*\).*/\1/p')
if [ -n "$prefs" ] && [ -n "$PINNED_OK" ]; then
  cp "$prefs" "$LOG.prefs"
  sed -i 's/^libssl3 .*/libssl3 3.0.11-1~deb12u2/' "$LOG.versions"
  echo "$PINNED_LOSES" >>"$LOG.lost"
else
  for p in "$@"; do
    case "$p" in $REFUSE) echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100 ;; esac
  done
fi
for p in "$@"; do echo "$p" >>"$LOG.installed"; done
exit 0
STUB
cat >"$bin/dpkg-query" <<'STUB'
#!/bin/sh
[ $# = 2 ] && exec cat "$LOG.versions"
grep -qx "$3" "$LOG.lost" && exit 1
grep -qx "$3" "$LOG.installed" || case "$3" in $ABSENT) exit 1 ;; esac
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
  LOG="$bin/$name.log"; : >"$LOG"; : >"$LOG.installed"; : >"$LOG.lost"
  printf 'libssl3 3.0.15-1~deb12u1\nwine64 8.0~repack-4\n' >"$LOG.versions"
  out=$(env PATH="$bin:$PATH" LOG="$LOG" 'ABSENT=*' UPDATE_FAILS= REFUSE=__none__ PINNED_OK= PINNED_LOSES= \
        VTX_WINE32_LOADER=/bin/true \
        "$@" "$setup" 2>&1)
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
echo "$calls" | grep -q 'install .*--allow-downgrades.*wine32:i386' ||
  fail "broken i386 index: no second try"

# The second try, with the point release preferred for that one command.
run pinned UPDATE_FAILS=1 'REFUSE=*:i386' PINNED_OK=1
[ "$code" = 0 ] || fail "second try: exit $code"
[ "$(echo "$out" | grep -c '^setup: 32-bit Wine packages')" = 1 ] &&
  echo "$out" | grep -q '^setup: 32-bit Wine packages (wine32:i386) installed at the second try, preferring the point release (bookworm)' ||
  fail "second try: not one line saying how the packages came"
echo "$out" | grep -q '^setup: versions changed by it: libssl3 3.0.15-1~deb12u1 -> 3.0.11-1~deb12u2$' ||
  fail "second try: the changed version is not listed (or more is)"
printf 'Package: *\nPin: release n=bookworm\nPin-Priority: 1001\n' | cmp -s - "$bin/pinned.log.prefs" ||
  fail "second try: the preferences were not the point release's above all: $(cat "$bin/pinned.log.prefs")"
echo "$calls" | grep 'Dir::Etc::Preferences' | grep -q -- '--no-remove' ||
  fail "second try: it may remove packages"
case $(echo "$calls" | sed -n 's/.*Dir::Etc::Preferences=\([^ ]*\).*/\1/p') in
  /etc/apt*) fail "second try: the preferences file was put in /etc/apt" ;;
  '') fail "second try: no preferences file named" ;;
  *) [ ! -e "$(echo "$calls" | sed -n 's/.*Dir::Etc::Preferences=\([^ ]*\).*/\1/p')" ] ||
       fail "second try: the preferences file was left behind" ;;
esac

# Installed where the kernel runs no 32-bit programs: said in the same line.
run pinned-no-ia32 UPDATE_FAILS=1 'REFUSE=*:i386' PINNED_OK=1 VTX_WINE32_LOADER=/bin/false
echo "$out" | grep -q '^setup: 32-bit Wine packages (wine32:i386) installed at the second try.*, but /bin/false cannot run on this kernel' ||
  fail "a loader that cannot run after the install was not said"

run pinned-loses UPDATE_FAILS=1 'REFUSE=*:i386' PINNED_OK=1 PINNED_LOSES=wine64
[ "$code" != 0 ] && echo "$out" | grep -q 'required packages missing .*: wine64$' ||
  fail "a required package lost to the second try went unnoticed (exit $code)"

run required-refused UPDATE_FAILS=1 'REFUSE=wine64'
[ "$code" != 0 ] || fail "a required package that does not install gave exit 0"
echo "$out" | grep -q 'held broken packages' || fail "apt's message was not shown"

# Everything but the 32-bit set was installed by an earlier run: the mirror is tried again.
run again 'ABSENT=*:i386' 'REFUSE=*:i386'
[ "$code" = 0 ] || fail "a second run without the 32-bit set: exit $code"
echo "$calls" | grep -q 'install .*wine32:i386' || fail "a second run did not try wine32:i386 again"

run complete ABSENT=__none__
[ "$code" = 0 ] && [ -z "$calls" ] || fail "with everything installed the setup still called: $calls"
run 64-bit-path 'ABSENT=*:i386' VTX_NO_WIN32=1
[ "$code" = 0 ] && [ -z "$calls" ] || fail "on the 64-bit path asked for, the setup still called: $calls"

[ $status = 0 ] && echo "setup check passed"
exit $status
