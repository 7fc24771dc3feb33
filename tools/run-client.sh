#!/usr/bin/env bash
# Builds the client and starts it. Arguments are passed on to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
tavo_install_missing "${TAVO_BUILD_PACKAGES[@]}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target tavo
exec build/app/tavo "$@"
