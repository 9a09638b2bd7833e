#!/bin/sh
# Signs a Windows program in place with osslsigncode (Authenticode, SHA-256):
#   installer/sign.sh <certificate (PEM)> <private key (PEM)> <file>
# The build calls it for the setup and, through makensis, for the uninstaller inside it.
set -eu
cert=$1
key=$2
file=$3
osslsigncode sign -certs "$cert" -key "$key" -h sha256 -n "Veltrix" \
  -in "$file" -out "$file.signed" >/dev/null
mv -f "$file.signed" "$file"
