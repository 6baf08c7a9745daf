#!/usr/bin/env bash
# Checks that every C++ source under src/, tests/, bench/ and fuzz/ follows .clang-format
# and names each file that does not. Fix one with: clang-format -i FILE
#
# Each major version of clang-format lays code out a little differently, so the check
# uses the project's one (that of Debian 12): $CLANG_FORMAT if set, else clang-format-14,
# else Homebrew's llvm@14, else clang-format. With any other version it fails and says
# what to install, except on macOS outside CI, where it says so and skips the check.
set -euo pipefail
cd "$(dirname "$0")/.."
wanted=14

install_hint="Debian/Ubuntu: sudo apt-get install clang-format-$wanted; macOS: brew install llvm@$wanted"
format="${CLANG_FORMAT:-}"
if [[ -z "$format" ]]; then
    candidates=("clang-format-$wanted")
    if command -v brew >/dev/null && prefix="$(brew --prefix "llvm@$wanted" 2>/dev/null)"; then
        candidates+=("$prefix/bin/clang-format")
    fi
    for candidate in "${candidates[@]}" clang-format; do
        if command -v "$candidate" >/dev/null; then
            format="$candidate"
            break
        fi
    done
fi
[[ -n "$format" ]] || { echo "clang-format $wanted is needed ($install_hint)" >&2; exit 1; }

version="$("$format" --version)"
major="$(sed -nE 's/.*clang-format version ([0-9]+)\..*/\1/p' <<<"$version")"
if [[ "$major" != "$wanted" ]]; then
    found="$format is version ${major:-unknown}, not $wanted"
    if [[ "$(uname -s)" == "Darwin" && "${CI:-}" != "true" ]]; then
        echo "Formatting not checked: $found, and versions disagree on layout." >&2
        echo "To check it here: brew install llvm@$wanted, then run" \
            "CLANG_FORMAT=\"\$(brew --prefix llvm@$wanted)/bin/clang-format\" $0" >&2
        exit 0
    fi
    echo "$found: the layout is checked with clang-format $wanted ($install_hint;" \
        "or set CLANG_FORMAT to its path)" >&2
    exit 1
fi

# Tracked files and new ones not yet added (build directories are ignored).
files=()
while IFS= read -r file; do
    files+=("$file")
done < <(git ls-files --cached --others --exclude-standard -- \
    'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
    'fuzz/*.cpp' 'fuzz/*.h' | sort -u)
if ! report="$("$format" --dry-run --Werror "${files[@]}" 2>&1)"; then
    echo "Not formatted with clang-format $wanted (clang-format -i FILE):" >&2
    names="$(grep -o '^[^:]*:[0-9]*:[0-9]*: error' <<<"$report" | cut -d: -f1 | sort -u || true)"
    sed 's/^/  /' <<<"${names:-$report}" >&2
    exit 1
fi
echo "Formatting checked with clang-format $major: ${#files[@]} files"
