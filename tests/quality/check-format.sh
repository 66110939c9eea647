#!/usr/bin/env bash
# Fails when any C++ file of ours differs from what .clang-format makes of it.
set -euo pipefail
root="$1"
cd "$root"
find src tests bench -name '*.cpp' -o -name '*.h' | sort | xargs clang-format --dry-run --Werror
echo "All C++ files follow .clang-format."
