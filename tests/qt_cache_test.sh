#!/usr/bin/env bash
# The rules of the Qt cache (tools/qt/cache.sh) on fake entries, in seconds,
# with no root, no network and no Qt: the qt6-base version built, what a
# prune removes and what it leaves to the runs that hold it, and two runs
# that need the same missing entry at once.
# Usage: tests/qt_cache_test.sh SOURCE_DIR
set -euo pipefail
shopt -s inherit_errexit
cd "$1"
source tools/qt/cache.sh
scratch=$(mktemp -d)
cache=$scratch/cache
mkdir -p "$cache/qt" "$cache/qt-source" "$scratch/options"
touch "$scratch/options/windows.options" "$scratch/options/android.options"
qt_options_dir=$scratch/options
# A run's command is this test: what a run hands on to hold ends with it.
holder=(tail --pid=$$ -f /dev/null)
end_holders() {
  local pids
  mapfile -t pids < <(cat "$scratch/holders" 2>/dev/null)
  ((${#pids[@]} == 0)) || kill "${pids[@]}" 2>/dev/null || true
  rm -f "$scratch/holders"
}
trap 'end_holders; rm -rf "$scratch"' EXIT
failures=()
fail() { failures+=("$*"); }

echo "== The qt6-base version built"
# pin | versions Debian's archive offers | version built | one line says
while IFS='|' read -r pin offered want says; do
  read -ra versions <<<"$offered"
  got=$(qt_choose_version "$pin" "${versions[@]}" 2>"$scratch/said") || got=none
  said=$(cat "$scratch/said")
  [ "$got" = "$want" ] || fail "pin '$pin', offered '$offered': built $got, not $want"
  if [ -z "$says" ]; then
    [ -z "$said" ] || fail "pin '$pin', offered '$offered': said '$said'"
  elif [[ $(wc -l <<<"$said") != 1 || $said != *"$says"* || ($pin && $said != *"$pin"*"$want"*) ]]; then
    fail "pin '$pin', offered '$offered': said '$said', not one line with '$says'"
  fi
done <<'EOF'
|6.8.2+dfsg-9+deb13u2|6.8.2+dfsg-9+deb13u2|
|6.8.2+dfsg-9+deb13u9 6.8.2+dfsg-9+deb13u10 6.8.2+dfsg-9|6.8.2+dfsg-9+deb13u10|
6.8.2+dfsg-9+deb13u2|6.8.2+dfsg-9+deb13u2 6.8.2+dfsg-9+deb13u3|6.8.2+dfsg-9+deb13u2|
6.8.2+dfsg-9+deb13u2|6.8.2+dfsg-9+deb13u3|6.8.2+dfsg-9+deb13u3|no longer offers it
||none|offers no qt6-base source
EOF

echo "== What a prune removes, while runs hold some, and once they have ended"
take() {  # take PATH HOW: a run takes PATH and ends (took), or its command lives on (holds)
  cache_hold "$1"
  [ "$2" = took ] || { cache_keep_held "${holder[@]}"; echo "$cache_holder" >>"$scratch/holders"; }
}
# path (.lock: only a lock) | date | a run: took it now, or took it at the
# date and holds it | after a prune | after the runs end
rows=$(
  cat <<'EOF'
qt/windows-1.0-aaaa|2 days ago|-|kept|kept
qt/windows-1.0-aaaa-build.log|2 days ago|-|kept|kept
qt/windows-0.9-bbbb|2 days ago|-|removed|removed
qt/windows-0.9-bbbb-build.log|2 days ago|-|removed|removed
qt/windows-0.9-cccc|2 days ago|holds|kept|removed
qt/windows-0.9-dddd|2 days ago|took|kept|kept
qt/windows-0.9-eeee|1 hour ago|-|kept|kept
qt/android-0.9-ffff|2 days ago|-|kept|kept
qt/gone-1.0-gggg|now|-|removed|removed
qt/gone-1.0-hhhh|now|holds|kept|removed
qt/windows-1.0-aaaa.partial.a1b2c3|now|-|removed|removed
qt/windows-1.0-aaaa.partial.d4e5f6|now|holds|kept|removed
qt/windows-0.8-iiii.lock|2 days ago|-|removed|removed
qt/windows-2.0-jjjj.lock|now|holds|kept|removed
qt-source/qt6-base_1.0|2 days ago|-|kept|kept
qt-source/qt6-base_0.9|2 days ago|-|removed|removed
qt-source/qt6-base_0.8|2 days ago|holds|kept|removed
EOF
)
while IFS='|' read -r path age run _; do
  case $path in
    *.lock | *.log) : >"$cache/$path" ;;
    *) mkdir "$cache/$path" && : >"$cache/$path/qt" ;;
  esac
  [ "$run" != took ] || touch -d "$age" "$cache/$path"
  [ "$run" = - ] || (take "$cache/${path%.lock}" "$run")
  [ "$run" = took ] || touch -d "$age" "$cache/$path"
done <<<"$rows"
check_prune() {  # check_prune COLUMN WHEN
  cache_prune "$cache" windows windows-1.0-aaaa qt6-base_1.0 >>"$scratch/prune.log"
  while IFS='|' read -r path _ _ after_prune after_end; do
    local want=$after_prune got=removed
    [ "$1" = after_prune ] || want=$after_end
    [ ! -e "$cache/$path" ] || got=kept
    [ "$got" = "$want" ] || fail "$2: $path $got, not $want"
  done <<<"$rows"
}
check_prune after_prune "a prune while runs hold some"
end_holders
for path in "$cache"/qt/*.lock "$cache"/qt-source/*.lock; do
  flock -w 5 "$path" true || fail "$path still held after its run's command ended"
done
check_prune after_end "a prune after the runs ended"

echo "== Two runs that need one missing entry at once"
slow_make() {  # slow_make PATH OUTCOME: a build that is whole only after a second
  cache_new_partial "$1"
  echo half >"$made_partial/qt"
  sleep 1
  [ "$2" = ok ] || exit 1
  echo whole >"$made_partial/qt"
  cache_publish "$made_partial" "$1"
  echo made >>"$scratch/made"
}
a_run() {  # a_run PATH OUTCOME
  trap cache_drop_partials EXIT
  take "$1" holds
  cache_make "$1" slow_make "$1" "$2"
}
# The first run's build ends well (the second uses it) or fails (the
# second then builds it): one build that counts, either way.
for first_ends in ok fails; do
  entry=$cache/qt/windows-3.0-$first_ends
  rm -f "$scratch/made"
  (a_run "$entry" "$first_ends") >"$scratch/first.log" 2>&1 &
  first=$!
  until compgen -G "$entry.partial.*" >/dev/null; do sleep 0.05; done
  (a_run "$entry" ok) >"$scratch/second.log" 2>&1 &
  second=$!
  sleep 0.3
  cache_prune "$cache" windows windows-9.9-zzzz qt6-base_9.9 >>"$scratch/prune.log"
  status=0
  wait "$first" || status=$?
  [[ $first_ends == ok && $status == 0 || $first_ends != ok && $status != 0 ]] ||
    fail "first run, whose build $first_ends, ended $status: $(cat "$scratch/first.log")"
  wait "$second" || fail "second run failed: $(cat "$scratch/second.log")"
  grep -q 'waiting' "$scratch/second.log" || fail "the second run did not say it waits"
  [ "$(wc -l <"$scratch/made")" = 1 ] || fail "$(wc -l <"$scratch/made") builds, not one"
  [ "$(cat "$entry/qt" 2>&1)" = whole ] || fail "$entry is not whole: $(cat "$entry/qt" 2>&1)"
  ! compgen -G "$entry.partial.*" >/dev/null || fail "a partial of $entry was left"
done

end_holders
if ((${#failures[@]})); then
  printf 'FAIL: %s\n' "${failures[@]}" >&2
  exit 1
fi
echo "The Qt cache keeps what runs hold, makes each entry once and builds the version it should"
