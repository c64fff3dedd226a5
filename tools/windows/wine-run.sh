#!/bin/sh
# Runs a cross-built Windows program under Wine for ctest: Qt's and the
# compiler's DLLs on the path, the test's QT_* settings passed on (Wine
# hands WINEQT_* on as QT_*), DejaVu fonts for the offscreen platform.
# What keeps it from running at all it says as "wine-run.sh: ...", with 127.
# Usage: tools/windows/wine-run.sh PROGRAM.exe [argument ...]
set -eu
cannot_run() { echo "wine-run.sh: cannot run $1: $2" >&2; exit 127; }
command -v wine >/dev/null || cannot_run "$1" "Wine is not installed"
windows_path() { printf 'Z:%s' "$1" | tr / '\134'; }  # \134: a backslash
# The compiler names the folder of its run-time DLLs; when it cannot, it
# answers with the bare file name.
runtime_dll=$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll 2>/dev/null) ||
  cannot_run "$1" "x86_64-w64-mingw32-g++-posix is not installed"
case $runtime_dll in
  /*) [ -f "$runtime_dll" ] || cannot_run "$1" "$runtime_dll is missing" ;;
  *) cannot_run "$1" "the compiler does not know where its libstdc++-6.dll is" ;;
esac
runtime=$(dirname "$runtime_dll")
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
