#!/usr/bin/env bash
# Checks that what is meant for the inside of a Debian root refuses on the
# host, then kills commands that work in a root in the middle of their
# work and checks what the host keeps:
# - SIGTERM: the command cleans up; nothing of its root is left;
# - SIGKILL of the command's own process (as the out-of-memory killer ends
#   one): at once, no mount of its root and no process in it on the host,
#   while a second root command beside it goes on and finishes green;
# - the next root command removes the killed one's folder and says so, and
#   leaves alone the live root beside it, a host process whose arguments
#   name a path under /var/tmp/tolvane-*, and a folder in /var/tmp that
#   merely looks like a root's.
# Also checks that what a root command writes into the checkout belongs to
# the user who ran it with sudo. Run as root; makes four roots (a few
# minutes). Logs in build-roots-test/.
# Usage: tests/root_cleanup_test.sh
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
logs=$PWD/build-roots-test
rm -rf "$logs"
mkdir -p "$logs"

fail() {
  echo "FAIL: $*" >&2
  echo "The logs: $logs" >&2
  exit 1
}

# The processes whose root is DIR, even once DIR is deleted.
processes_in() {
  local proc
  for proc in /proc/[0-9]*; do
    case $(readlink "$proc/root" 2>/dev/null) in
      "$1" | "$1 (deleted)") echo "${proc#/proc/}" ;;
    esac
  done
}

# start_build LOG [ARGUMENT...]: a root command (tools/in-debian-root.sh
# with the ARGUMENTs, by default ten minutes of work) whose work inside
# has a child of its own, as a build has; sets build_pid and build_root
# once that work runs.
start_build() {
  local log=$1
  shift
  (($#)) || set -- sh -c 'sleep 600 & sleep 600'
  : >"$log"  # there before the command writes to it, for the first look
  tools/in-debian-root.sh "$@" >"$log" 2>&1 &
  build_pid=$!
  local waited
  for ((waited = 0; waited < 600; waited++)); do
    build_root=$(sed -n 's/^== Debian trixie root in //p' "$log")
    if grep -q ' in a clean clone$' "$log" && [ "$(processes_in "$build_root" | wc -l)" -ge 2 ]; then
      return 0
    fi
    kill -0 "$build_pid" 2>/dev/null || fail "the root command ended before its work began: $log"
    sleep 1
  done
  fail "the work in the root did not begin within ten minutes: $log"
}

# nothing_runs_or_is_mounted ROOT WHEN: within two seconds, as the kernel
# ends a namespace's processes.
nothing_runs_or_is_mounted() {
  local tries
  for ((tries = 0; tries < 20; tries++)); do
    [ -n "$(processes_in "$1")" ] || break
    sleep 0.1
  done
  ! grep -q " $1" /proc/mounts || fail "$2, /proc/mounts shows $1: $(grep " $1" /proc/mounts)"
  [ -z "$(processes_in "$1")" ] || fail "$2, processes still run in $1: $(processes_in "$1" | tr '\n' ' ')"
  [ -c /dev/null ] || fail "$2, the host's /dev/null is no longer a character device"
}

# host_is_clean ROOT WHEN: nothing of ROOT mounted, running or on disk.
host_is_clean() {
  nothing_runs_or_is_mounted "$1" "$2"
  [ ! -e "$1" ] || fail "$2, $1 is still there"
  [ ! -e "$1.lock" ] || fail "$2, $1.lock is still there"
}

echo "== What is meant for the inside of a root, on the host"
[ ! -f /etc/tolvane-root ] || fail "this test runs on the host, not in a Debian root"
apt_sources() {  # where apt fetches from, as one checksum
  find /etc/apt -maxdepth 2 \( -name sources.list -o -path '*/sources.list.d/*' \) -type f -exec cat {} + |
    sha256sum
}
sources_before=$(apt_sources)
for command in "tools/qt/build-qt.sh windows $logs/cache" \
  "tools/mutants.sh --in-windows-root tools/mutants.txt $logs/faults"; do
  status=0
  $command >"$logs/on-host.log" 2>&1 || status=$?
  if ((status != 2)) || ! grep -q 'host' "$logs/on-host.log"; then
    fail "$command did not refuse plainly on the host: $(cat "$logs/on-host.log")"
  fi
done
[ "$(apt_sources)" = "$sources_before" ] ||
  fail "a script meant for a root changed the host's apt sources"
if [ -e /opt/qt6-windows ] || [ -e "$logs/cache" ] || [ -e "$logs/faults" ]; then
  fail "a script meant for a root wrote on the host"
fi

echo "== SIGTERM in the middle of the work"
start_build "$logs/sigterm.log"
kill -TERM "$build_pid"
status=0
wait "$build_pid" || status=$?
((status == 143)) || fail "after SIGTERM the root command ended with $status, not 143"
host_is_clean "$build_root" "After SIGTERM"
sigterm_root=$build_root

echo "== SIGKILL of one of two root commands in the middle of their work"
# It works until the test lets it finish.
start_build "$logs/beside.log" --bind "$logs/beside:/out" \
  sh -c 'sleep 600 & while [ ! -e /out/finish ]; do sleep 1; done; kill $!'
beside_pid=$build_pid beside_root=$build_root
start_build "$logs/sigkill.log"
killed_root=$build_root
kill -KILL "$build_pid"
wait "$build_pid" 2>/dev/null || true
nothing_runs_or_is_mounted "$build_root" "At once after SIGKILL"
[ -n "$(processes_in "$beside_root")" ] || fail "the root command beside the killed one stopped working"

echo "== The next root command, run with sudo by a user, writing into the checkout"
# A host process that names a path in a root's folder, and a folder that
# looks like a root's: neither is a root's.
lookalike=/var/tmp/tolvane-trixie.LOOKAL
mkdir -p "$lookalike"
touch "$lookalike/notes.txt"
sh -c 'sleep 600' "$build_root/notes.txt" &
reader_pid=$!
SUDO_UID=65534 SUDO_GID=65534 tools/in-debian-root.sh --bind "$logs/out:/out" sh -c 'mkdir /out/made && touch /out/made/file' \
  >"$logs/next.log" 2>&1 || fail "the next root command failed: $logs/next.log"
owners=$(stat -c '%u:%g %n' "$logs/out" "$logs/out/made" "$logs/out/made/file" | grep -v '^65534:65534 ' || true)
[ -z "$owners" ] || fail "what the command wrote into the checkout is not the user's: $owners"
grep -q "^== Cleaning $build_root, left by a run that no longer lives" "$logs/next.log" ||
  fail "the next root command did not say that it cleaned $build_root: $logs/next.log"
host_is_clean "$build_root" "After the next root command"
kill -0 "$reader_pid" 2>/dev/null || fail "the next root command ended a host process that named $build_root"
kill "$reader_pid"
[ -f "$lookalike/notes.txt" ] || fail "the next root command removed $lookalike, which is no root"
rm -rf "$lookalike"
[ -d "$beside_root" ] || fail "the next root command removed the live root $beside_root"

echo "== The root command beside the killed one finishes green"
touch "$logs/beside/finish"
wait "$beside_pid" || fail "the root command beside the killed one failed: $logs/beside.log"
host_is_clean "$beside_root" "After it"
# Every root this test made, and its lock, gone; roots of other commands
# that run meanwhile are theirs.
next_root=$(sed -n 's/^== Debian trixie root in //p' "$logs/next.log")
for root in "$sigterm_root" "$killed_root" "$beside_root" "$next_root"; do
  host_is_clean "$root" "At the end"
done
echo "== Every kill left the host clean, and nothing of the host was touched"
