#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over every C++ source of ours,
# using the compile commands of the build folder.
set -euo pipefail
root="$1"
build="$2"
cd "$root"
find src tests bench -name '*.cpp' | sort |
    xargs -P "$(nproc)" -n 4 clang-tidy --quiet -p "$build" 2> >(grep -v -E 'warnings generated|^Suppressed|header-filter|-system-headers' >&2)
echo "clang-tidy found nothing."
