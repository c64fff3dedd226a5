#!/usr/bin/env bash
# Writes the Windows archive, build-win64/tolvane-VERSION-win64.zip, from
# this repository's HEAD: cross-compiled in a clean Debian 13 root with
# Debian's MinGW-w64 against Qt built from Debian 13's own source, and
# built again to prove it the same; beside it the exact source of its Qt
# and of Tolvane, and the logs (tools/platform-zip.sh). Run as root on
# Debian 12 or 13.
# Usage: tools/make-windows-zip.sh [--with-tests]   (TOLVANE_CACHE,
#   DEBIAN_MIRROR as for tools/root-tarball.sh; TOLVANE_SIGNING_CERT and
#   TOLVANE_SIGNING_PASSWORD_FILE as for tools/make-packages.sh)
#   --with-tests  then, in the same root, the test suite cross-built and
#                 run under Wine
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
lists=(--packages tools/windows/packages.txt)
case ${1:-} in
  '') ;;
  --with-tests) lists+=(--packages tools/windows/test-packages.txt) ;;
  *) echo "Usage: $0 [--with-tests]" >&2; exit 2 ;;
esac
signing=()
if [ -n "${TOLVANE_SIGNING_CERT:-}" ]; then
  # The certificate's and the password's folders, seen in the root.
  lists+=(--bind "$(dirname "$(realpath "$TOLVANE_SIGNING_CERT")"):/signing/cert"
    --bind "$(dirname "$(realpath "$TOLVANE_SIGNING_PASSWORD_FILE")"):/signing/password")
  signing=(TOLVANE_SIGNING_CERT="/signing/cert/${TOLVANE_SIGNING_CERT##*/}"
    TOLVANE_SIGNING_PASSWORD_FILE="/signing/password/${TOLVANE_SIGNING_PASSWORD_FILE##*/}")
fi
rm -rf build-win64
exec tools/in-root.sh "${lists[@]}" --bind "${TOLVANE_CACHE:-/var/cache/tolvane}:/var/cache/tolvane" \
  --bind build-win64:/out env "${signing[@]}" tools/platform-zip.sh windows "$@"
