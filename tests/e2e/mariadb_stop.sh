#!/bin/sh
# Stops the private MariaDB server that mariadb_start.sh recorded in the state
# file given as the only argument, and removes its folder and the state file.
# Does nothing when there is no state file.
set -eu

state_file="$1"
[ -f "$state_file" ] || exit 0

DIR=""
PID=""
while IFS='=' read -r key value; do
    case "$key" in
    DIR) DIR="$value" ;;
    PID) PID="$value" ;;
    esac
done <"$state_file"

# Only a process whose command line names our own folder is ours to stop.
ours() {
    [ -n "$1" ] && [ -n "$DIR" ] && [ -r "/proc/$1/cmdline" ] &&
        tr '\0' ' ' <"/proc/$1/cmdline" | grep -qF -- "--datadir=$DIR/data"
}

stop() {
    ours "$1" || return 0
    kill -TERM "$1" 2>/dev/null || return 0
    tries=0
    while [ $tries -lt 150 ] && ours "$1"; do
        tries=$((tries + 1))
        sleep 0.2
    done
    if ours "$1"; then
        echo "mariadbd $1 did not stop in time; killing it" >&2
        kill -KILL "$1" 2>/dev/null || true
    fi
    # Give the reaper a moment so that no defunct entry outlives the run.
    tries=0
    while [ $tries -lt 20 ] && [ -e "/proc/$1" ]; do
        tries=$((tries + 1))
        sleep 0.1
    done
}

stop "$PID"
if [ -n "$DIR" ] && [ -f "$DIR/mariadbd.pid" ]; then
    stop "$(cat "$DIR/mariadbd.pid")"
fi

case "$DIR" in
*/zestrel-e2e.*) rm -rf "$DIR" ;;
esac
rm -f "$state_file"
