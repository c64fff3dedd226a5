#!/usr/bin/env bash
# Writes the ZIP archive a built tree is configured for (Windows, the
# browser), and for Windows the installer: the same bytes for the same
# commit wherever and whenever made, every date the release's time
# (tools/release-date.sh). Given a certificate, tolvane.exe and the
# installer are signed, dated the release too.
# Usage: tools/make-packages.sh [BUILD_DIR]   (default build)
#   TOLVANE_SIGNING_CERT           the certificate and key, PKCS#12
#   TOLVANE_SIGNING_PASSWORD_FILE  the file that holds its password
set -euo pipefail
shopt -s inherit_errexit
build_dir=$(realpath "${1:-build}")
cd "$(dirname "$0")/.."
homepage=$(sed -n 's/^project(.*HOMEPAGE_URL \([^ ]*\).*/\1/p' CMakeLists.txt)
command -v zip >/dev/null || { echo "No zip here: install Debian's zip" >&2; exit 1; }

umask 022
export TZ=UTC LC_ALL=C.UTF-8
SOURCE_DATE_EPOCH=$(tools/release-date.sh)
export SOURCE_DATE_EPOCH
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# CPack packs in the file system's order, with the files' times: packed
# again, sorted by name, dated the release, with no extra fields.
repack_zip() {
  local tree=$scratch/zip
  mkdir "$tree"
  (cd "$tree" && cmake -E tar xf "$1")
  [ ! -f "$tree/tolvane.exe" ] || sign "$tree/tolvane.exe"
  find "$tree" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  rm "$1"
  (cd "$tree" && find . -type f -printf '%P\n' | LC_ALL=C sort | zip -X -D -9 -q "$1" -@)
  [ -f tolvane.wxs ] || return 0
  local version=${1##*/tolvane-} other
  make_msi "$tree" "${1%.zip}.msi" "${version%%-*}"
  # Installers of other versions, for the test of upgrades only.
  for other in ${TOLVANE_TEST_MSI_VERSIONS:-}; do
    mkdir -p test-msi
    make_msi "$tree" "test-msi/tolvane-$other-win64.msi" "$other"
  done
  sign "${1%.zip}.msi"
}

sign() {  # sign FILE: in place, when a certificate is given
  [ -n "${TOLVANE_SIGNING_CERT:-}" ] ||
    { echo "Not signed, as no certificate is given (TOLVANE_SIGNING_CERT): ${1##*/}"; return; }
  osslsigncode sign -pkcs12 "$TOLVANE_SIGNING_CERT" -readpass "$TOLVANE_SIGNING_PASSWORD_FILE" \
    -n Tolvane -i "$homepage" -time "$SOURCE_DATE_EPOCH" -in "$1" -out "$1.signed" >/dev/null
  mv "$1.signed" "$1"
  echo "Signed ${1##*/}"
}

# A GUID for each NAME and release: another commit of a version, another.
guid() {  # guid NAME
  sha256sum <<<"tolvane $1 $SOURCE_DATE_EPOCH" |
    sed -E 's/^(.{8})(.{4})(.{4})(.{4})(.{12}).*/{\1-\2-\3-\4-\5}/' | tr a-f A-F
}

# The installer (tolvane.wxs) of the archive's TREE. The build's time and
# the random package code that wixl writes into the summary give way to
# the release's.
make_msi() {  # make_msi TREE MSI VERSION
  local tool
  for tool in wixl msibuild; do
    command -v "$tool" >/dev/null || { echo "No $tool here: install Debian's wixl and msitools" >&2; exit 1; }
  done
  # wixl-heat names the folders at random: they are numbered in order.
  (cd "$1" && find . -type f -printf '%P\n' | LC_ALL=C sort) |
    wixl-heat --prefix "" --directory-ref INSTALLDIR --component-group Files --var var.Files --win64 |
    perl -pe 's/\b(dir[0-9A-F]{32})\b/$folder{$1} \/\/= "folder" . ++$n/ge' >"$scratch/files.wxs"
  wixl --arch x64 -D Win64=yes -D Files="$1" -D Version="$3" -D ProductCode="$(guid "product $3")" \
    -o "$2" tolvane.wxs "$scratch/files.wxs"
  msiinfo export "$2" _SummaryInformation | awk -F '\t' -v OFS='\t' -v code="$(guid "package $3")" \
    -v date="$(date -d "@$SOURCE_DATE_EPOCH" '+%Y/%m/%d %H:%M:%S')" \
    'NR > 3 && $1 == 9 {$2 = code} NR > 3 && ($1 == 12 || $1 == 13) {$2 = date} {print}' \
    >"$scratch/summary.idt"
  msibuild "$2" -i "$scratch/summary.idt"
  echo "Wrote $2"
}

cd "$build_dir"
cpack >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log" >&2; echo "cpack failed" >&2; exit 1; }
cat "$scratch/cpack.log"
mapfile -t packages < <(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$scratch/cpack.log")
((${#packages[@]})) || { echo "cpack wrote no package" >&2; exit 1; }
for package in "${packages[@]}"; do
  repack_zip "$package"
done
