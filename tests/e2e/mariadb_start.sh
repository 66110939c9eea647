#!/bin/sh
# Starts a private MariaDB server for the end-to-end tests and writes how to
# reach it into the state file given as the only argument.
#
# Everything lives in one fresh temporary folder: data directory, socket, pid
# file and logs. The server listens on its own socket and on a free loopback
# port, reads no option files of the system and never touches a system-wide
# server. mariadb_stop.sh stops it and removes the folder.
set -eu

state_file="$1"
here="$(cd "$(dirname "$0")" && pwd)"

# A server left behind by an interrupted run is stopped first.
"$here/mariadb_stop.sh" "$state_file"

dir="$(mktemp -d "${TMPDIR:-/tmp}/zestrel-e2e.XXXXXX")"
# Written at once so that the cleanup finds the folder even if start-up fails.
printf 'DIR=%s\n' "$dir" >"$state_file"

user_args=""
# mariadbd refuses to run as root unless told to.
[ "$(id -u)" -eq 0 ] && user_args="--user=root"

if ! mariadb-install-db --no-defaults --datadir="$dir/data" $user_args \
    --auth-root-authentication-method=normal --skip-test-db >"$dir/install.log" 2>&1; then
    cat "$dir/install.log" >&2
    exit 1
fi

socket="$dir/mariadbd.sock"
client() {
    mariadb --no-defaults --socket="$socket" --user=root "$@"
}

free_port() {
    php -n -r '$s = stream_socket_server("tcp://127.0.0.1:0");
        $n = stream_socket_get_name($s, false);
        echo substr($n, strrpos($n, ":") + 1);'
}

# Another process may take the chosen port before the server binds it; then
# the server exits and the next attempt picks another port.
started=""
for attempt in 1 2 3; do
    port="$(free_port)"
    # setsid and the redirections detach the server from CTest's pipes and
    # process group, so the set-up test ends while the server keeps running.
    # The server runs without strict mode, as many hosts do, where MySQL cuts
    # a value too long for its column instead of refusing it.
    setsid mariadbd --no-defaults --datadir="$dir/data" $user_args \
        --socket="$socket" --port="$port" --bind-address=127.0.0.1 --sql-mode=NO_ENGINE_SUBSTITUTION \
        --pid-file="$dir/mariadbd.pid" --log-error="$dir/error.log" \
        --tmpdir="$dir" --skip-name-resolve --innodb-buffer-pool-size=32M \
        </dev/null >"$dir/mariadbd.out" 2>&1 &
    pid=$!
    printf 'DIR=%s\nPID=%s\n' "$dir" "$pid" >"$state_file"
    tries=0
    while [ $tries -lt 150 ] && kill -0 "$pid" 2>/dev/null; do
        if client -e 'SELECT 1' >/dev/null 2>&1; then
            started=yes
            break
        fi
        tries=$((tries + 1))
        sleep 0.2
    done
    [ -n "$started" ] && break
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "mariadbd did not start on port $port (attempt $attempt)" >&2
done

if [ -z "$started" ]; then
    cat "$dir/error.log" >&2 || true
    exit 1
fi

user=zestrel
password="e2e-$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"
database=e2e
client <<SQL
CREATE DATABASE $database;
CREATE USER '$user'@'127.0.0.1' IDENTIFIED BY '$password';
CREATE USER '$user'@'localhost' IDENTIFIED BY '$password';
GRANT ALL PRIVILEGES ON $database.* TO '$user'@'127.0.0.1';
GRANT ALL PRIVILEGES ON $database.* TO '$user'@'localhost';
-- A database of its own for the tests whose browser posts from loopback, so
-- that its flood counts stay apart from the other tests' posts from there.
CREATE DATABASE ${database}_browser;
GRANT ALL PRIVILEGES ON ${database}_browser.* TO '$user'@'127.0.0.1';
GRANT ALL PRIVILEGES ON ${database}_browser.* TO '$user'@'localhost';
-- A user that may read and write rows but not make tables, as many hosts give.
CREATE USER '${user}_rows'@'127.0.0.1' IDENTIFIED BY '$password';
GRANT SELECT, INSERT, UPDATE, DELETE ON $database.* TO '${user}_rows'@'127.0.0.1';
SQL

cat >"$state_file" <<STATE
DIR=$dir
PID=$pid
SOCKET=$socket
PORT=$port
USER=$user
PASSWORD=$password
DATABASE=$database
STATE
echo "mariadbd $pid ready on 127.0.0.1:$port and $socket"
