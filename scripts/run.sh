#!/usr/bin/env bash
# Installs what is missing, builds the tool and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
if [ -x build/bin/tarnel-config ]; then
    exec build/bin/tarnel-config "$@"
fi
echo "Everything is built; the tool's main window does not exist yet, so there is nothing to start."
