#!/usr/bin/env bash
# Stops tools/in-root.sh by Ctrl+C, SIGTERM or SIGKILL while it makes a
# root and while a command works in one. Each time it must end at once with
# the signal's status, leaving no process, mount, file in /tmp or /dev/shm,
# mmdebstrap folder, or (after the next run) part of a root. Two commands
# side by side both end well. Needs root.
# Usage: tests/in_root_test.sh
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "$0 needs root" >&2; exit 1; }
marker=tolvane-in-root-test.$$
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
touch "$scratch/start"
# Each run in a process group of its own, as a terminal starts it, so that
# it takes Ctrl+C's SIGINT.
set -m
fail() { echo "FAIL: $*" >&2; exit 1; }
wait_for() {  # wait_for WHAT TEST ...: up to two minutes
  for _ in $(seq 600); do "${@:2}" && return; sleep 0.2; done
  fail "waited in vain for $1"
}

# No process of a run lives on: none works in a root or sees its mounts.
gone() { ! pgrep -f "$marker" >/dev/null && ! grep -qs "$scratch" /proc/[0-9]*/mounts; }
reached() {  # reached STAGE
  case $1 in
    making) grep -qs . "$scratch"/logs/root-*.log ;;
    *) [ -e "$scratch/out/working" ] ;;
  esac
}

# stop SIGNAL STAGE: starts a run, stops it with SIGNAL at STAGE and checks it.
stop() {
  local signal=$1 stage=$2 run=() expected left
  if [ "$stage" = making ]; then
    # A root never made before, in a cache of the test's own.
    echo hello >"$scratch/$marker.list"
    run=(env TOLVANE_CACHE="$scratch/cache" TOLVANE_LOGS="$scratch/logs" tools/in-root.sh
      --release 12 --packages "$scratch/$marker.list" true)
  else
    run=(tools/in-root.sh --release 12 --bind "$scratch/out:/out" sh -c
      "echo work >/tmp/$marker && echo work >/dev/shm/$marker && touch /out/working && sleep 600; : $marker")
  fi
  rm -rf "$scratch/out" "$scratch/logs"
  "${run[@]}" >"$scratch/run.log" 2>&1 &
  local pid=$!
  wait_for "the run to reach its $stage" reached "$stage"
  case $signal in
    TERM) kill -TERM "$pid"; expected=143 ;;
    INT) kill -INT -- "-$pid"; expected=130 ;;
    KILL) kill -KILL "$pid"; expected=137 ;;
  esac
  local status=0 start=$SECONDS
  wait "$pid" || status=$?
  ((status == expected)) || fail "$signal while $stage: ended with $status, not $expected"
  ((SECONDS - start < 5)) || fail "$signal while $stage took $((SECONDS - start)) s to end"
  wait_for "the processes to end after $signal while $stage" gone
  ! grep -q tolvane- /proc/self/mounts || fail "$signal while $stage left a mount on the host"
  left=$(find "/tmp/$marker" "/dev/shm/$marker" 2>/dev/null) || true
  [ -z "$left" ] || fail "$signal while $stage left $left"
  [ -z "$(find /tmp /var/tmp -maxdepth 1 -name 'mmdebstrap.*' -newer "$scratch/start")" ] ||
    fail "$signal while $stage left mmdebstrap's folder"
  echo "   $signal while $stage: ended at once with $status, nothing left"
}

echo "== Stopping a root command"
for stage in making working; do for signal in TERM INT KILL; do stop "$signal" "$stage"; done; done
# A part a killed run left (unlocked, a minute old) goes with the next run;
# one still written stays.
parts=$scratch/cache/roots/.partial
touch -d '2 minutes ago' "$parts-left.tar" "$parts-written.tar"
flock "$parts-written.tar" sleep 600 &
writer=$!
stop TERM making
[ ! -e "$parts-left.tar" ] || fail "the next run kept the part a killed run left"
[ -e "$parts-written.tar" ] || fail "a run removed the part another was writing"
kill -- "-$writer"
echo "   the next run removed the part a killed one left, and only that"

echo "== Two root commands side by side"
for side in 1 2; do
  tools/in-root.sh --release 12 --bind "$scratch/side$side:/out" sh -c 'sleep 3 && echo ended >/out/ended' \
    >"$scratch/side$side.log" 2>&1 &
done
{ wait -n && wait -n; } || fail "a command beside another failed: $(cat "$scratch"/side*.log)"
[ "$(cat "$scratch"/side{1,2}/ended)" = $'ended\nended' ] || fail "a command beside another wrote nothing"
echo "Each stop left the host as it was, and two commands side by side ended well"
