#!/usr/bin/env bash
# Drives tools/deb-cache.sh with fake packages, in seconds: what a root
# keeps, what the next root gets, what a newer version or the size limit
# removes, and two roots that end at once beside a third being made.
# Usage: tests/deb_cache_test.sh
set -euo pipefail
shopt -s inherit_errexit nullglob
cache_tool=$(realpath "$(dirname "$0")/../tools/deb-cache.sh")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# fake_root NAME FILE...: an apt archives folder holding those packages.
fake_root() {
  local root=$work/$1 deb
  mkdir -p "$root"
  for deb in "${@:2}"; do head -c "${size:-2048}" /dev/urandom >"$root/$deb"; done
  echo "$root"
}
holds() { find "$work/cache" -name '*.deb' -printf '%f\n' | LC_ALL=C sort | paste -sd ' '; }

# Each case: the packages one root downloaded, the ones a second root
# downloaded after it, and what the cache holds then.
while IFS='|' read -r first second expected meaning; do
  rm -rf "$work/cache"
  # shellcheck disable=SC2086 # lists of files
  "$cache_tool" keep "$work/cache" "$(fake_root a $first)"
  # shellcheck disable=SC2086
  "$cache_tool" keep "$work/cache" "$(fake_root b $second)"
  [ "$(holds)" = "$expected" ] || fail "$meaning: the cache holds '$(holds)', not '$expected'"
  rm -rf "$work/a" "$work/b"
done <<'CASES'
gcc_12.2_amd64.deb zip_3.0_amd64.deb|git_2.39_amd64.deb|gcc_12.2_amd64.deb git_2.39_amd64.deb zip_3.0_amd64.deb|what either root downloaded is kept
gcc_12.2_amd64.deb|gcc_12.10_amd64.deb|gcc_12.10_amd64.deb|a newer version supersedes the older
gcc_12.10_amd64.deb|gcc_12.2_amd64.deb|gcc_12.10_amd64.deb|an older version never supersedes the newer
gcc_9.0_amd64.deb|gcc_1%3a1.0_amd64.deb|gcc_1%3a1.0_amd64.deb|an epoch outweighs the version
libc6_2.36_amd64.deb|libc6_2.36_i386.deb|libc6_2.36_amd64.deb libc6_2.36_i386.deb|another architecture is another package
python3_3.11_all.deb|python3-pil_9.4_all.deb|python3-pil_9.4_all.deb python3_3.11_all.deb|a name that begins another is another package
CASES

echo "== The next root gets every kept package, the same bytes"
rm -rf "$work/cache"
first=$(fake_root first zip_3.0_amd64.deb git_2.39_amd64.deb)
"$cache_tool" keep "$work/cache" "$first"
mkdir "$work/next"
"$cache_tool" fill "$work/cache" "$work/next"
for deb in "$first"/*.deb; do
  cmp -s "$deb" "$work/next/$(basename "$deb")" || fail "the next root did not get $(basename "$deb")"
done

echo "== Over the limit, the longest unused goes first: a root's use is what its dpkg installed"
rm -rf "$work/cache"
size=400000
"$cache_tool" keep "$work/cache" "$(fake_root kept unused_1_amd64.deb a-used_1%3a1_amd64.deb)"
touch -d '2 days ago' "$work/cache"/*.deb
mkdir -p "$work/handed/dpkg"
"$cache_tool" fill "$work/cache" "$work/handed"
printf '%s\n' "Package: a-used" "Status: install ok installed" "Maintainer: M" "Architecture: amd64" \
  "Version: 1:1" "Description: D" "" \
  >"$work/handed/dpkg/status"
"$cache_tool" keep "$work/cache" "$work/handed" "$work/handed/dpkg"
TOLVANE_DEB_CACHE_MB=1 "$cache_tool" keep "$work/cache" "$(fake_root later new_1_amd64.deb)"
[ "$(holds)" = "a-used_1%3a1_amd64.deb new_1_amd64.deb" ] ||
  fail "over the limit the cache holds $(holds), not the two used last"
unset size

echo "== Two roots end at once while a third is made"
rm -rf "$work/cache"
# A slow disk: a package named slow* is whole only a second after it is
# copied.
mkdir "$work/bin"
cat >"$work/bin/cp" <<'SLOW'
#!/bin/sh
/bin/cp "$@"
case $1 in */slow*) sleep 1 ;; esac
SLOW
chmod +x "$work/bin/cp"
one=$(fake_root one slow_1.0_amd64.deb shared_1.0_amd64.deb)
two=$(fake_root two fast_1.0_amd64.deb shared_1.0_amd64.deb)
mkdir "$work/third"
PATH=$work/bin:$PATH "$cache_tool" keep "$work/cache" "$one" &
for ((tries = 0; tries < 100; tries++)); do
  [ ! -e "$work/cache/slow_1.0_amd64.deb.partial" ] || break
  sleep 0.05
done
"$cache_tool" keep "$work/cache" "$two" &
"$cache_tool" fill "$work/cache" "$work/third" &
for job in 1 2 3; do wait "%$job" || fail "a run beside another failed"; done
[ "$(holds)" = "fast_1.0_amd64.deb shared_1.0_amd64.deb slow_1.0_amd64.deb" ] ||
  fail "the cache lost packages of runs side by side: $(holds)"
for deb in "$work/third"/*.deb; do
  cmp -s "$deb" "$one/$(basename "$deb")" || cmp -s "$deb" "$two/$(basename "$deb")" ||
    fail "the root being made got a part of $(basename "$deb")"
done
echo "== The package cache keeps, shares and prunes as it should"
