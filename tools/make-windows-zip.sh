#!/usr/bin/env bash
# Writes build-win64/tolvane-VERSION-win64.zip and .msi from HEAD, built
# in a clean Debian 13 root with MinGW-w64 against Qt from Debian 13's own
# source (tools/platform-zip.sh). Run as root on Debian 12 or 13.
# Usage: tools/make-windows-zip.sh [--with-tests]
#   --with-tests  then the test suite cross-built and run under Wine
#   TOLVANE_SIGNING_CERT, TOLVANE_SIGNING_PASSWORD_FILE as for
#   tools/make-packages.sh; TOLVANE_CACHE, DEBIAN_MIRROR as for
#   tools/root-tarball.sh
set -euo pipefail
shopt -s inherit_errexit
signing=() binds=()
if [ -n "${TOLVANE_SIGNING_CERT:-}" ]; then
  # Both files, named from where the command started, seen in the root.
  cert=$(realpath -m "$TOLVANE_SIGNING_CERT") password=$(realpath -m "${TOLVANE_SIGNING_PASSWORD_FILE:-}")
  [[ -r $cert && -f $password && -r $password ]] ||
    { echo "The certificate or TOLVANE_SIGNING_PASSWORD_FILE cannot be read" >&2; exit 2; }
  binds=(--bind "${cert%/*}:/signing/cert" --bind "${password%/*}:/signing/password")
  signing=(TOLVANE_SIGNING_CERT="/signing/cert/${cert##*/}"
    TOLVANE_SIGNING_PASSWORD_FILE="/signing/password/${password##*/}")
fi
cd "$(dirname "$0")/.."
lists=(--packages tools/windows/packages.txt)
case ${1:-} in
  '') ;;
  --with-tests) lists+=(--packages tools/windows/test-packages.txt) ;;
  *) echo "Usage: $0 [--with-tests]" >&2; exit 2 ;;
esac
rm -rf build-win64
exec tools/in-root.sh "${lists[@]}" "${binds[@]}" --bind "${TOLVANE_CACHE:-/var/cache/tolvane}:/var/cache/tolvane" \
  --bind build-win64:/out env "${signing[@]}" tools/platform-zip.sh windows "$@"
