#!/bin/sh
# What a setup carries, read from the package itself without running it (so the 32-bit setup is
# checked where it cannot run): its architecture, the program files as released and the driver,
# byte for byte, and the uninstaller.
#   check-contents.sh <setup> <release folder> <driver> <objdump> <pei-i386|pei-x86-64> <work folder>
#                     <release file>...
set -eu
setup=$1 release=$2 driver=$3 objdump=$4 format=$5 work=$6
shift 6
"$objdump" -f "$setup" | grep -q "file format $format" ||
  { echo "$setup is not $format"; exit 1; }
rm -rf "$work"
mkdir -p "$work"
7z x -y -o"$work" "$setup" >/dev/null
for file in "$@"; do
  cmp "$release/$file" "$work/$file"
done
cmp "$driver" "$work/\$SYSDIR/drivers/veltrix.sys"
[ -f "$work/unins000.exe" ] || { echo "no unins000.exe in $setup"; exit 1; }
echo "$(basename "$setup"): $format; $(cd "$work" && find . -type f ! -path './$PLUGINSDIR/*' | sort | tr '\n' ' ')"
