#!/bin/sh
# Starts a private MariaDB server, runs safe_display_bench against it and
# stops the server again, also when the benchmark fails.
#   bench/safe_display_bench.sh <build dir> [rows]
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"
shift
state="$(mktemp "${TMPDIR:-/tmp}/zestrel-bench.XXXXXX")"
trap '"$here/../tests/e2e/mariadb_stop.sh" "$state"' EXIT
"$here/../tests/e2e/mariadb_start.sh" "$state" >/dev/null
"$build/bench/safe_display_bench" "$state" "$@"
