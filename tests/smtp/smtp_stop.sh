#!/bin/sh
# Stops the test SMTP server that smtp_start.sh recorded in the state file
# given as the only argument, and removes its folder and the state file.
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
    [ -n "$PID" ] && [ -n "$DIR" ] && [ -r "/proc/$PID/cmdline" ] &&
        tr '\0' ' ' <"/proc/$PID/cmdline" | grep -qF -- "smtp_server.py --dir $DIR "
}

if ours; then
    kill -TERM "$PID" 2>/dev/null || true
    tries=0
    while [ $tries -lt 100 ] && ours; do
        tries=$((tries + 1))
        sleep 0.05
    done
    if ours; then
        echo "smtp_server.py $PID did not stop in time; killing it" >&2
        kill -KILL "$PID" 2>/dev/null || true
    fi
    # Give the reaper (here PID 1, which takes up to 2 s) a moment so that
    # no defunct entry outlives the run.
    tries=0
    while [ $tries -lt 50 ] && [ -e "/proc/$PID" ]; do
        tries=$((tries + 1))
        sleep 0.05
    done
fi

case "$DIR" in
*/zestrel-smtp.*) rm -rf "$DIR" ;;
esac
rm -f "$state_file"
