#!/usr/bin/env bash
# Fuzzes at random, for longer runs than CI's (scripts/test.sh --sanitize runs each target
# once over its seeds): builds the fuzz targets in fuzz/ with clang (libFuzzer,
# AddressSanitizer with leak detection, UndefinedBehaviorSanitizer), optimised, in
# build-fuzz and runs each one for the given number of seconds (default 5) from its seed
# corpus. New inputs that reach new code are kept in build-fuzz/corpus/<target>; an input
# that breaks a property or trips a sanitizer is saved as
# build-fuzz/findings/<target>/crash-<hash> and the script fails. Copy such an input into
# fuzz/<name>/seeds/ once it is fixed, so every CI run checks it again.
#   scripts/fuzz.sh [seconds] [target...]     e.g. scripts/fuzz.sh 60 fuzz_config_patch
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-5}"
shift || true
scripts/bootstrap.sh clang

dir=build-fuzz
compiler="${CXX_FUZZ:-clang++}"
if [[ "$(uname -s)" == "Darwin" ]]; then
    # Apple's clang has no libFuzzer; Homebrew's llvm has.
    compiler="${CXX_FUZZ:-$(brew --prefix llvm)/bin/clang++}"
    options=(-DCMAKE_PREFIX_PATH="$(brew --prefix qt)")
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAVRIN_BUILD_FUZZ=ON -DTAVRIN_BUILD_TESTS=OFF -DTAVRIN_BUILD_BENCH=OFF -DTAVRIN_WERROR=ON \
    "${options[@]+"${options[@]}"}" >/dev/null
cmake --build "$dir" --target tavrin_fuzzers

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$PWD/scripts/ubsan.supp"
targets=("$@")
if ((${#targets[@]} == 0)); then
    for source in fuzz/*/fuzz_*.cpp; do
        targets+=("$(basename "$source" .cpp)")
    done
fi
for target in "${targets[@]}"; do
    name="${target#fuzz_}"
    corpus="$dir/corpus/$name"
    findings="$dir/findings/$name"
    mkdir -p "$corpus" "$findings"
    echo "== $target: $seconds s"
    # -timeout: an input that takes over 10 s counts as a hang.
    "$dir/fuzz/$target" -max_total_time="$seconds" -timeout=10 -max_len=4096 \
        -artifact_prefix="$findings/" -print_final_stats=1 \
        "$corpus" "fuzz/$name/seeds" 2>"$dir/$name.log" || {
        tail -n 60 "$dir/$name.log" >&2
        echo "$target found a fault: $(ls "$findings")" >&2
        exit 1
    }
    grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$dir/$name.log" | tail -n 2 || true
done
echo "Fuzzed: ${targets[*]}"
