#!/usr/bin/env bash
# Builds the fuzz targets in fuzz/ with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz and runs each one for the given number of
# seconds (default 5) over its seed corpus. New inputs that reach new code are kept in
# build-fuzz/corpus/<target>; an input that breaks a property or trips a sanitizer is
# saved as build-fuzz/findings/<target>/crash-<hash> and the script fails.
#   scripts/fuzz.sh [seconds] [target...]     e.g. scripts/fuzz.sh 60 fuzz_config_patch
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-5}"
shift || true
scripts/bootstrap.sh fuzz

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

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$PWD/fuzz/ubsan.supp"
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
