#!/bin/sh
# Starts a private MariaDB server, runs safe_flood_bench against it and stops
# the server again, also when the benchmark fails.
#   bench/safe_flood_bench.sh <build dir> [posts]
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"
shift
state="$(mktemp "${TMPDIR:-/tmp}/zestrel-bench.XXXXXX")"
trap '"$here/../tests/e2e/mariadb_stop.sh" "$state"' EXIT
"$here/../tests/e2e/mariadb_start.sh" "$state" >/dev/null
"$build/bench/safe_flood_bench" "$state" "$@"
