#!/usr/bin/env bash
# Installs what is missing, builds Tavrin and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
prefix=()
[[ "$(uname -s)" == "Darwin" ]] && prefix=(-DCMAKE_PREFIX_PATH="$(brew --prefix qt)")
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "${prefix[@]}" >/dev/null
cmake --build build --target tavrin
if [[ "$(uname -s)" == "Darwin" ]]; then
    exec open -W build/src/Tavrin.app
fi
exec build/src/tavrin
