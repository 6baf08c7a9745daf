#!/usr/bin/env bash
# Checks that every C++ source under src/, tests/, bench/ and fuzz/ follows .clang-format
# and names each file that does not. Fix one with: clang-format -i FILE
set -euo pipefail
cd "$(dirname "$0")/.."
format="${CLANG_FORMAT:-clang-format}"
command -v "$format" >/dev/null || { echo "clang-format is needed (Debian: clang-format)" >&2; exit 1; }

# Tracked files and new ones not yet added (build directories are ignored).
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- \
    'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
    'fuzz/*.cpp' 'fuzz/*.h' | sort -u)
if ! report="$("$format" --dry-run --Werror "${files[@]}" 2>&1)"; then
    echo "Not formatted with clang-format (clang-format -i FILE):" >&2
    names="$(grep -o '^[^:]*:[0-9]*:[0-9]*: error' <<<"$report" | cut -d: -f1 | sort -u || true)"
    sed 's/^/  /' <<<"${names:-$report}" >&2
    exit 1
fi
echo "Formatting checked: ${#files[@]} files"
