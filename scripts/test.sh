#!/usr/bin/env bash
# Installs what is missing, builds Tavrin with warnings as errors and runs the whole
# test suite (in build-test).
#   --sanitize  one clang build (build-sanitize) under AddressSanitizer, with leak
#               detection, and UndefinedBehaviorSanitizer: the whole suite, and every fuzz
#               target run once over each of its seeds (scripts/fuzz.sh fuzzes at random)
#   --thread    the tests that start threads (label "threads") under ThreadSanitizer, in
#               build-thread
# The sanitizer options and suppression files (scripts/*.supp) come with the tests, so
# ctest run by hand in these folders checks the same. (Written for the bash 3.2 of macOS
# too: an array that may be empty is expanded as ${a[@]+"${a[@]}"}.)
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build-test
groups=()
# Line tables are enough for a backtrace (and for the sanitizers' reports), and a build is
# a fifth faster than with full debug information.
options=(-DTAVRIN_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_CXX_FLAGS_DEBUG="-g1")
targets=()
selection=()
case "${1:-}" in
--sanitize)
    dir=build-sanitize
    groups=(clang)
    compiler=clang++
    # Apple's clang has no libFuzzer; Homebrew's llvm has.
    [[ "$(uname -s)" == "Darwin" ]] && compiler="$(brew --prefix llvm)/bin/clang++"
    options+=(-DCMAKE_CXX_COMPILER="${CXX_SANITIZE:-$compiler}" -DCMAKE_BUILD_TYPE=Debug
        -DTAVRIN_SANITIZE=ON -DTAVRIN_BUILD_FUZZ=ON -DTAVRIN_BUILD_BENCH=OFF)
    ;;
--thread)
    dir=build-thread
    options+=(-DTAVRIN_SANITIZE_THREAD=ON -DTAVRIN_BUILD_BENCH=OFF)
    targets=(--target tavrin_threaded_tests)
    selection=(-L '^threads$')
    ;;
"") ;;
*) echo "Usage: scripts/test.sh [--sanitize | --thread]" >&2; exit 2 ;;
esac
scripts/bootstrap.sh ${groups[@]+"${groups[@]}"}
[[ "$(uname -s)" == "Darwin" ]] && options+=(-DCMAKE_PREFIX_PATH="$(brew --prefix qt)")

cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
cmake --build "$dir" ${targets[@]+"${targets[@]}"}
# A selection that matches no test is an error, not a pass.
ctest --test-dir "$dir" --output-on-failure --no-tests=error -j2 ${selection[@]+"${selection[@]}"}
