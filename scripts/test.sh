#!/usr/bin/env bash
# Installs what is missing, builds Tavrin with warnings as errors and runs the whole
# test suite. With --sanitize the suite is built and run under AddressSanitizer and
# UndefinedBehaviorSanitizer in a build directory of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

dir=build-test
options=(-DTAVRIN_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [[ "${1:-}" == "--sanitize" ]]; then
    dir=build-sanitize
    options+=(-DTAVRIN_SANITIZE=ON -DTAVRIN_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
    export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
[[ "$(uname -s)" == "Darwin" ]] && options+=(-DCMAKE_PREFIX_PATH="$(brew --prefix qt)")

cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
cmake --build "$dir"
ctest --test-dir "$dir" --output-on-failure -j2
