#!/bin/sh
# Starts the test SMTP server, runs safe_upload_bench against it and stops the
# server again, also when the benchmark fails.
#   bench/safe_upload_bench.sh <build dir> [posts]
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
build="$1"
shift
state="$(mktemp "${TMPDIR:-/tmp}/zestrel-upload-bench.XXXXXX")"
trap '"$here/../tests/smtp/smtp_stop.sh" "$state"; rm -f "$state"' EXIT
"$here/../tests/smtp/smtp_start.sh" "$state" >/dev/null
"$build/bench/safe_upload_bench" "$state" "$@"
