#!/usr/bin/env bash
# Prints the non-blank lines of the tests (tests/, .cpp and .h), of the product (src/) and
# their ratio; exits 1 when the ratio is above the limit given (default 0.34).
#   scripts/test-ratio.sh [LIMIT]
set -euo pipefail
cd "$(dirname "$0")/.."
limit=${1:-0.34}
lines() { find "$1" \( -name '*.cpp' -o -name '*.h' \) -type f -print0 | xargs -0 cat | grep -cv '^\s*$'; }
tests=$(lines tests)
product=$(lines src)
ratio=$(awk -v t="$tests" -v p="$product" 'BEGIN { printf "%.3f", p ? t / p : 0 }')
echo "tests: $tests lines, src: $product lines, ratio $ratio (limit $limit)"
awk -v r="$ratio" -v l="$limit" 'BEGIN { exit !(r <= l) }'
