#!/usr/bin/env bash
# Installs what is missing, builds Tavrin with warnings as errors and runs the whole
# test suite. With --sanitize the suite is built and run under AddressSanitizer and
# UndefinedBehaviorSanitizer in a build directory of its own; with --thread, the tests
# that need no GUI (all but tests/ui) under ThreadSanitizer, in another one.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh

dir=build-test
options=(-DTAVRIN_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo)
targets=()
exclude=()
case "${1:-}" in
--sanitize)
    dir=build-sanitize
    options+=(-DTAVRIN_SANITIZE=ON -DTAVRIN_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
    export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    ;;
--thread)
    dir=build-thread
    options+=(-DTAVRIN_SANITIZE_THREAD=ON -DTAVRIN_BUILD_BENCH=OFF)
    # die_after_fork=0: the tests start real processes (zsh, sqlite3) from threads.
    # ignore_noninstrumented_modules=1: what Qt and GLib (not built with the sanitizer) do
    # through the C library, such as destroying a QWaitCondition, is not checked as a race;
    # their locks still count. scripts/tsan.supp: the rest that is Qt's, explained there.
    export TSAN_OPTIONS="die_after_fork=0:halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1:suppressions=$PWD/scripts/tsan.supp"
    for source in tests/*/tst_*.cpp; do
        [[ "$source" == tests/ui/* ]] || targets+=(--target "$(basename "$source" .cpp)")
    done
    exclude=(-E '^ui/')
    ;;
"") ;;
*) echo "Usage: scripts/test.sh [--sanitize | --thread]" >&2; exit 2 ;;
esac
[[ "$(uname -s)" == "Darwin" ]] && options+=(-DCMAKE_PREFIX_PATH="$(brew --prefix qt)")

cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
cmake --build "$dir" "${targets[@]}"
ctest --test-dir "$dir" --output-on-failure -j2 "${exclude[@]}"
