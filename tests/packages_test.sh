#!/usr/bin/env bash
# Builds the ZIP archive and the Debian package and checks them as their
# users meet them: the archive opens with readme.txt and holds a program
# that shows a window titled "Tolvane"; the package names the libraries it
# needs, installs its files under /usr and passes lintian. Built a second
# time elsewhere, both come out the same to the byte.
# Usage: packages_test.sh SOURCE_DIR BUILD_DIR BUILD_TYPE VERSION
# Ends with 1 when a check fails, 2 when the second build elsewhere fails
# (tools/rebuild-elsewhere.sh's own failure, no difference found).
set -euo pipefail
shopt -s inherit_errexit
source=$1 build=$2 build_type=$3 version=$4
zip=tolvane-$version-Linux.zip deb=tolvane_${version}_amd64.deb
scratch=$(mktemp -d)
unpacked=$scratch/unpacked
trap 'kill "${app:-}" 2>/dev/null || true; rm -rf "$scratch"' EXIT
fail() { echo "$*" >&2; exit 1; }

"$source/tools/make-packages.sh" "$build" >/dev/null
mkdir "$unpacked"

# The ZIP archive.
(cd "$unpacked" && cmake -E tar xf "$build/$zip")
[ -s "$unpacked/readme.txt" ] || fail "no readme.txt at the top of the archive"
[ -x "$unpacked/bin/tolvane" ] || fail "no bin/tolvane in the archive"
awk 'length > 79 {exit 1}' "$unpacked/readme.txt" || fail "readme.txt has lines over 79 columns"
# Offscreen: the program starts and keeps running until it is ended.
QT_QPA_PLATFORM=offscreen "$unpacked/bin/tolvane" >/dev/null 2>&1 &
app=$!
sleep 1
kill -0 "$app" || fail "bin/tolvane did not stay up"
kill "$app"
# On an X display, its one window carries the title.
# shellcheck disable=SC2016 # the script is sh -c's own, with its own $1
QT_QPA_PLATFORM=xcb xvfb-run -a sh -c '
  "$1" >/dev/null 2>&1 &
  app=$!
  for _ in $(seq 50); do
    if xwininfo -root -tree | grep -q "\"Tolvane\": ("; then kill $app; exit 0; fi
    sleep 0.1
  done
  kill $app; echo "no window titled Tolvane"; exit 1' title-check "$unpacked/bin/tolvane"

# The Debian package.
field() { dpkg-deb --field "$build/$deb" "$1"; }
[ "$(field Package) $(field Version) $(field Section)" = "tolvane $version devel" ] ||
  fail "wrong package, version or section: $(field Package) $(field Version) $(field Section)"
for needed in libqt6widgets6 qt6-qpa-plugins; do
  field Depends | grep -qw "$needed" || fail "Depends lacks $needed: $(field Depends)"
done
expected="./usr/bin/tolvane
./usr/share/applications/org.tolvane.Tolvane.desktop
./usr/share/doc/tolvane/changelog.gz
./usr/share/doc/tolvane/copyright
./usr/share/doc/tolvane/readme.txt
./usr/share/icons/hicolor/scalable/apps/org.tolvane.Tolvane.svg
./usr/share/man/man1/tolvane.1.gz
./usr/share/metainfo/org.tolvane.Tolvane.metainfo.xml"
files=$(dpkg-deb --contents "$build/$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
[ "$files" = "$expected" ] || fail "the package holds:"$'\n'"$files"
lintian --fail-on error,warning "$build/$deb"

# The same sources again, elsewhere: nothing of where, when or by whom they
# are built may reach the packages. A failure of the second build's own
# proves nothing either way: it ends this with 2, saying so on a line that
# tools/mutants.sh reads as its checks' machinery failing.
status=0
"$source/tools/rebuild-elsewhere.sh" "$build" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" \
  -DTOLVANE_TESTS=OFF >"$scratch/elsewhere.log" 2>&1 || status=$?
case $status in
  0) ;;
  1) cat "$scratch/elsewhere.log" >&2; exit 1 ;;
  *)
    cat "$scratch/elsewhere.log" >&2
    echo "packages_test.sh: the second build elsewhere failed (status $status): reproducibility not judged" >&2
    exit 2 ;;
esac
echo "$zip and $deb are sound and reproducible"
