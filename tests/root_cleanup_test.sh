#!/usr/bin/env bash
# Checks that what is meant for the inside of a Debian root refuses on the
# host, and that every root command refuses a user without sudo before it
# deletes or writes anything; then kills root commands (tools/in-debian-root.sh) while mmdebstrap
# makes their root and while their work runs, each way a command ends:
# SIGTERM, Ctrl+C (SIGINT to its process group) and SIGKILL (as the
# out-of-memory killer ends one). Whatever the stage and the signal:
# - at once, no mount of the root and no process in it on the host, while
#   a root command beside goes on and finishes green;
# - nothing in the host's memory (/dev/shm) or /tmp, where the work
#   writes, and nothing in /var/tmp but the killed root's own folder, which
#   SIGTERM and Ctrl+C remove too;
# - the next root command removes the killed ones' folders and says so,
#   and leaves alone the live root beside, a host process whose arguments
#   name a path in a root, and a folder in /var/tmp that merely looks like
#   a root's.
# Also checks that what a root command writes into the checkout belongs to
# the user who ran it with sudo, that it binds folders given by relative
# paths, and that the command in the root reads the caller's input. Run as root; makes nine roots, up to seven
# at once (a few minutes). Logs in build-roots-test/.
# Usage: tests/root_cleanup_test.sh
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
logs=$PWD/build-roots-test
rm -rf "$logs"
mkdir -p "$logs"
# What the work in a root writes into its /dev/shm and /tmp.
marker=tolvane-root-test.$$
work="echo work >/dev/shm/$marker && echo work >/tmp/$marker && { sleep 600 & sleep 600; }"
commands=()

# However this test ends, no root command of its own outlives it.
end_commands() {
  local pid
  for pid in "${commands[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  rm -rf "${lookalike:-}" "${user_checkout:-}"
}
trap end_commands EXIT
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

# start NAME [ARGUMENT...]: a root command in a process group of its own,
# with SIGINT as a terminal's Ctrl+C finds it; its work ($work unless
# ARGUMENTs are given) and log are NAME's. Sets pid[NAME] and root[NAME].
declare -A pid=() root=()
start() {
  local name=$1
  shift
  (($#)) || set -- sh -c "$work"
  : >"$logs/$name.log"
  setsid env --default-signal=INT tools/in-debian-root.sh "$@" >"$logs/$name.log" 2>&1 &
  pid[$name]=$!
  commands+=("$!")
}

# until_stage NAME STAGE: waits until NAME's root is being made (mmdebstrap)
# or its work runs (work).
until_stage() {
  local name=$1 stage=$2 waited
  for ((waited = 0; waited < 6000; waited++)); do
    root[$name]=$(sed -n 's/^== Debian trixie root in //p' "$logs/$name.log")
    if [ -n "${root[$name]}" ]; then
      if [ "$stage" = mmdebstrap ]; then
        # Halfway: files unpacked, mmdebstrap still at work.
        if [ -d "${root[$name]}/usr/bin" ] && pgrep -f "mmdebstrap.*${root[$name]}" >/dev/null; then return 0; fi
        ! grep -q ' in a clean clone$' "$logs/$name.log" || fail "$name's mmdebstrap ended before it was caught"
      elif grep -q ' in a clean clone$' "$logs/$name.log" && (($(processes_in "${root[$name]}" | wc -l) >= 2)); then
        return 0
      fi
    fi
    kill -0 "${pid[$name]}" 2>/dev/null || fail "$name ended before its $stage began: $logs/$name.log"
    sleep 0.1
  done
  fail "$name's $stage did not begin within ten minutes: $logs/$name.log"
}

# end NAME SIGNAL: kills it as SIGNAL would and waits for its end.
end() {
  local name=$1 signal=$2 status=0 expected
  case $signal in
    TERM) kill -TERM "${pid[$name]}"; expected=143 ;;
    INT) kill -INT -- "-${pid[$name]}"; expected=130 ;;
    KILL) kill -KILL "${pid[$name]}"; expected=137 ;;
  esac
  wait "${pid[$name]}" 2>/dev/null || status=$?
  ((status == expected)) || fail "after SIG$signal $name ended with $status, not $expected: $logs/$name.log"
}

# nothing_runs_or_is_mounted NAME WHEN: within two seconds, as the kernel
# ends a namespace's processes.
nothing_runs_or_is_mounted() {
  local dir=${root[$1]} tries
  for ((tries = 0; tries < 20; tries++)); do
    [ -n "$(processes_in "$dir")" ] || break
    sleep 0.1
  done
  ! grep -q " $(dirname "$dir")" /proc/mounts || fail "$2, /proc/mounts shows $dir: $(grep " $dir" /proc/mounts)"
  [ -z "$(processes_in "$dir")" ] || fail "$2, processes still run in $dir: $(processes_in "$dir" | tr '\n' ' ')"
  [ -c /dev/null ] || fail "$2, the host's /dev/null is no longer a character device"
}

# host_is_clean NAME WHEN: nothing of NAME's root mounted, running or on disk.
host_is_clean() {
  nothing_runs_or_is_mounted "$1" "$2"
  [ ! -e "$(dirname "${root[$1]}")" ] || fail "$2, $(dirname "${root[$1]}") is still there"
}

# What is in /var/tmp, but for the folders of roots: this test's own are
# judged one by one. (Browsers and Wine beside it use the host's /dev/shm,
# so there only what the roots' work wrote is looked for.)
host_files() {
  find /var/tmp -mindepth 1 -maxdepth 1 ! \( -type d -name 'tolvane-*.??????' \) | LC_ALL=C sort
}
host_gained_nothing() {  # host_gained_nothing WHEN
  local gained place
  gained=$(comm -13 "$logs/host-before.txt" <(host_files))
  [ -z "$gained" ] || fail "$1, /var/tmp gained: $gained"
  for place in /dev/shm /tmp; do
    [ ! -e "$place/$marker" ] || fail "$1, the host's $place holds what the work in a root wrote there"
  done
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

echo "== Every root command refuses a user before it deletes or writes anything"
# A checkout of the user's own, with the last results in it.
user_checkout=$(mktemp -d)
git ls-files -z | xargs -0 cp --parents -t "$user_checkout"
results=(build-win64/tolvane.zip build-win64/tests/logs/log build-win64/mutants/logs/log build-web/tolvane.zip)
for result in "${results[@]}"; do mkdir -p "$user_checkout/${result%/*}"; touch "$user_checkout/$result"; done
chown -R 65534:65534 "$user_checkout"
for command in "tools/make-windows-zip.sh --with-tests" tools/make-web-zip.sh tools/test-windows.sh \
  "tools/mutants.sh --windows" "tools/in-debian-root.sh true" tools/clean-roots.sh; do
  read -ra words <<<"$command"
  status=0
  (cd "$user_checkout" && setpriv --reuid=65534 --regid=65534 --clear-groups "${words[@]}") \
    >"$logs/as-user.log" 2>&1 || status=$?
  if ((status != 1)) || ! grep -q 'run it with sudo' "$logs/as-user.log"; then
    fail "$command did not refuse a user plainly (status $status): $(cat "$logs/as-user.log")"
  fi
  for result in "${results[@]}"; do
    [ -e "$user_checkout/$result" ] || fail "$command, refused to a user, deleted $result first"
  done
done
rm -rf "$user_checkout"

tools/install-packages.sh mmdebstrap git  # before the snapshot
host_files >"$logs/host-before.txt"
echo "== A root command that works beside all others until the test lets it finish"
start beside --bind "$logs/beside:/out" sh -c 'sleep infinity & while [ ! -e /out/finish ]; do sleep 1; done; kill $!'
until_stage beside work

for stage in mmdebstrap work; do
  echo "== SIGTERM, Ctrl+C and SIGKILL while $([ $stage = work ] && echo "the work runs" || echo "mmdebstrap makes the root")"
  # mmdebstrap's few seconds are caught one command at a time; the work
  # lasts, so its three roots are made at once.
  [ "$stage" = mmdebstrap ] || for signal in TERM INT KILL; do start "$stage-$signal"; done
  for signal in TERM INT KILL; do
    [ "$stage" = work ] || start "$stage-$signal"
    until_stage "$stage-$signal" "$stage"
    end "$stage-$signal" "$signal"
    nothing_runs_or_is_mounted "$stage-$signal" "At once after SIG$signal while $stage"
    [ "$signal" = KILL ] || host_is_clean "$stage-$signal" "After SIG$signal while $stage"
  done
  [ -n "$(processes_in "${root[beside]}")" ] || fail "the root command beside the killed ones stopped working"
  host_gained_nothing "After the kills while $stage"
done

echo "== The next root command, run with sudo by a user, writing into the checkout"
# A host process that names a path in a root's folder, and a folder that
# looks like a root's: neither is a root's.
lookalike=$(mktemp -d /var/tmp/tolvane-trixie.XXXXXX)
touch -d '1 hour ago' "$lookalike/notes.txt" "$lookalike"
sh -c 'sleep 600' "${root[work-KILL]}/notes.txt" &
reader_pid=$!
# Started in another folder, given its folders relative to that one, and
# input on its standard input.
cache=$(realpath --relative-to="$logs" "${TOLVANE_CACHE:-/var/cache/tolvane}")
(cd "$logs" && echo "from the caller" | SUDO_UID=65534 SUDO_GID=65534 TOLVANE_CACHE=$cache \
  ../tools/in-debian-root.sh --bind out:/out sh -c 'mkdir /out/made && cat >/out/made/file') \
  >"$logs/next.log" 2>&1 || fail "the next root command failed: $logs/next.log"
root[next]=$(sed -n 's/^== Debian trixie root in //p' "$logs/next.log")
[ "$(cat "$logs/out/made/file" 2>/dev/null)" = "from the caller" ] ||
  fail "the command in the root did not read the caller's input into the folder bound by a relative path"
owners=$(stat -c '%u:%g %n' "$logs/out" "$logs/out/made" "$logs/out/made/file" | grep -v '^65534:65534 ' || true)
[ -z "$owners" ] || fail "what the command wrote into the checkout is not the user's: $owners"
# The root commands after a killed one: the next cleans it and says so.
for killed in mmdebstrap-KILL work-KILL; do
  grep -q "^== Cleaning $(dirname "${root[$killed]}"), left by a run that no longer lives" "$logs"/work-*.log "$logs/next.log" ||
    fail "no later root command said that it cleaned $killed's root: $logs"
  host_is_clean "$killed" "After the next root command"
done
kill -0 "$reader_pid" 2>/dev/null || fail "the next root command ended a host process that named a root's path"
kill "$reader_pid"
[ -f "$lookalike/notes.txt" ] || fail "the next root command removed $lookalike, which is no root"
rm -rf "$lookalike"
[ -d "${root[beside]}" ] || fail "the next root command removed the live root ${root[beside]}"

echo "== The root command beside the killed ones finishes green"
touch "$logs/beside/finish"
wait "${pid[beside]}" || fail "the root command beside the killed ones failed: $logs/beside.log"
for name in "${!root[@]}"; do host_is_clean "$name" "At the end"; done
host_gained_nothing "At the end"
echo "== Every kill left the host clean, and nothing of the host was touched"
