#!/usr/bin/env bash
# Packs a Windows build with a code-signing certificate made for the test:
# tolvane.exe and the installer must carry a signature osslsigncode
# verifies, dated the release; two signed packings must give the same
# bytes; the installer must hold exactly the archive's files. Runs in the
# Windows root (tools/make-windows-zip.sh --with-tests).
# Usage: tests/windows_packages_test.sh BUILD_DIR
set -euo pipefail
shopt -s inherit_errexit
build=$(realpath "$1")
cd "$(dirname "$0")/.."
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

echo throwaway >"$scratch/password"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Tolvane test" \
  -keyout "$scratch/key.pem" -out "$scratch/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$scratch/key.pem" -in "$scratch/cert.pem" \
  -out "$scratch/cert.p12" -passout "file:$scratch/password"
export TOLVANE_SIGNING_CERT=$scratch/cert.p12 TOLVANE_SIGNING_PASSWORD_FILE=$scratch/password
for round in 1 2; do
  tools/make-packages.sh "$build" >"$scratch/pack.log" 2>&1 || { cat "$scratch/pack.log" >&2; fail "packing failed"; }
  mkdir "$scratch/$round"
  cp "$build"/tolvane-*-win64.zip "$build"/tolvane-*-win64.msi "$scratch/$round/"
done
for package in "$scratch"/1/*; do
  cmp "$package" "$scratch/2/${package##*/}" || fail "signed twice, ${package##*/} differs"
done
echo "   signed twice: the same bytes"

mkdir "$scratch/zip" "$scratch/msi"
(cd "$scratch/zip" && cmake -E tar xf "$scratch"/1/*.zip)
msiextract -C "$scratch/msi" "$scratch"/1/*.msi >/dev/null
diff -r "$scratch/zip" "$scratch/msi/Programs/Tolvane" || fail "the installer's files are not the archive's"
echo "   the installer holds the archive's files"

date=$(date -u -d "@$(tools/release-date.sh)" '+%b %e %H:%M:%S %Y')
for signed in "$scratch/zip/tolvane.exe" "$scratch"/1/*.msi; do
  osslsigncode verify -CAfile "$scratch/cert.pem" -in "$signed" >"$scratch/verify.log" 2>&1 ||
    fail "${signed##*/} carries no signature of the certificate: $(tail -n 3 "$scratch/verify.log")"
  grep -q "Signing time: $date" "$scratch/verify.log" ||
    fail "${signed##*/} is not signed at the release's time: $(grep 'Signing time' "$scratch/verify.log")"
done
echo "Signed, the same each time, and the installer holds the archive's files"
