#!/bin/sh
# Runs a cross-built Windows program under Wine, as ctest does for each
# test: Qt's and the compiler's DLLs on the path, and the QT_* settings of
# the test passed on (Wine hands WINEQT_* to the program as QT_*), with
# the offscreen platform's fonts from Debian's DejaVu.
# Usage: tools/windows/wine-run.sh PROGRAM.exe [argument ...]
set -eu
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${WINEPREFIX:-/var/tmp/tolvane-wine}"
WINEPATH="$(windows_path /opt/qt6-windows/bin);$(windows_path "$runtime")"
WINEPATH="$WINEPATH;$(windows_path /usr/x86_64-w64-mingw32/lib)"
export WINEPATH
WINEQT_QPA_FONTDIR=$(windows_path /usr/share/fonts/truetype/dejavu)
export WINEQT_QPA_FONTDIR
for setting in $(env | sed -n 's/^\(QT_[A-Z_]*\)=.*/\1/p'); do
  eval "export WINE$setting=\"\$$setting\""
done
exec wine "$@"
