#!/usr/bin/env bash
# Fails, listing them, when a tracked C++ file is not as clang-format (.clang-format) lays it out;
# "clang-format -i FILE" lays it out.
set -euo pipefail
cd "$(dirname "$0")/.."

# One clang-format for all files: it names each file it would change in its messages
# ("FILE:LINE:COL: error: code should be clang-formatted").
status=0
messages=$(git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror 2>&1) || status=$?
unformatted=$(sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: code should be clang-formatted.*/\1/p' \
    <<<"$messages" | sort -u)

if [ -n "$unformatted" ]; then
    echo "Not formatted (run clang-format -i on them):" >&2
    sed 's/^/  /' <<<"$unformatted" >&2
    exit 1
fi
if [ "$status" -ne 0 ]; then
    # clang-format itself failed (a file it cannot read, a bad .clang-format).
    echo "$messages" >&2
    exit 1
fi
echo "=== every C++ file is formatted"
