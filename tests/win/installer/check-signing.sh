#!/bin/sh
# The setup made as the build makes it, signed with a throwaway certificate made here, and its
# signature and that of the uninstaller it writes verified against that certificate:
#   check-signing.sh <work folder> <makensis> [makensis arguments...] <script>
set -eu
work=$1
shift
rm -rf "$work"
mkdir -p "$work"
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Veltrix test signing" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
script=$(eval echo "\${$#}")
sign="$(dirname "$script")/sign.sh $work/cert.pem $work/key.pem"
# Every argument but the script, then the output and the signing command, then the script.
n=$#
i=1
for arg in "$@"; do
  [ "$i" -lt "$n" ] && set -- "$@" "$arg"
  i=$((i + 1))
done
shift "$n"
"$@" "-DOUTFILE=$work/signed-setup.exe" "-DSIGN=$sign" "$script" >"$work/makensis.log"
7z e -y -o"$work" "$work/signed-setup.exe" unins000.exe >/dev/null
for file in signed-setup.exe unins000.exe; do
  osslsigncode verify -CAfile "$work/cert.pem" -in "$work/$file" >"$work/verify.log" 2>&1 ||
    { cat "$work/verify.log"; exit 1; }
  grep -q "Signature verification: ok" "$work/verify.log"
  echo "$file: $(grep -m 1 "Subject:" "$work/verify.log" | tr -d '\t'); $(grep "Signature verification" "$work/verify.log")"
done
