#!/usr/bin/env bash
# A small mutation tester: puts each edit of scripts/mutations.txt into the source in turn,
# builds the test executables that should notice it (one job, in build-mutate, configured
# as scripts/test.sh's default build), runs them and puts the file back. A mutation the
# tests fail on is "killed"; one they pass with "survived"; one whose original text no
# longer occurs exactly once is "stale", and one that does not build "broken" (neither
# counts). Exits 1 when fewer than the threshold of the mutations that ran were killed.
#
#   scripts/mutate.sh [--threshold PERCENT] [--list FILE] [--dir BUILD] [--no-baseline]
#                     [SELECTION...]
#
# A selection is a mutation's number (3), a range (3-7) or a pattern its file matches
# (codex, 'src/app/Switch*'); without one every mutation runs. Before the first mutation
# the selected tests must pass on the source as it is (--no-baseline skips that). --dir
# builds in another folder (scripts/test.sh's build-test, say) to save a build; what it
# built last there holds the last mutant until the next build.
set -euo pipefail
cd "$(dirname "$0")/.."

list=scripts/mutations.txt
threshold=90
baseline=1
dir=build-mutate
selection=()
usage() { sed -n '/^#   scripts/,/^#  *\[SEL/p' "$0" | sed '1s/^#   /Usage: /; 2,$s/^#   /       /'; }
while (($#)); do
    case "$1" in
    --threshold) threshold=$2; shift 2 ;;
    --list) list=$2; shift 2 ;;
    --dir) dir=$2; shift 2 ;;
    --no-baseline) baseline=0; shift ;;
    -h | --help) usage; exit 0 ;;
    -*) usage >&2; exit 2 ;;
    *) selection+=("$1"); shift ;;
    esac
done

work=$(mktemp -d)
mutated=""
restore() {
    if [[ -n "$mutated" ]]; then
        cp "$work/original" "$mutated"
        mutated=""
    fi
}
trap 'restore; rm -rf "$work"' EXIT
trap 'restore; echo "Interrupted: the source is as it was." >&2; exit 130' INT TERM

# The list, one folder per mutation: name, file, tests, from and to (escapes undone).
python3 - "$list" "$work" <<'PY'
import os, sys
path, out = sys.argv[1], sys.argv[2]
blocks, block = [], {}
for number, line in enumerate(open(path, encoding="utf-8"), 1):
    line = line.rstrip("\n")
    if line.startswith("#"):
        continue
    if not line.strip():
        if block:
            blocks.append(block)
        block = {}
        continue
    key, _, value = line.partition(" ")
    if key not in ("name", "file", "tests", "from", "to") or key in block:
        sys.exit(f"{path}:{number}: unexpected line: {line}")
    block[key] = value.lstrip(" ")
if block:
    blocks.append(block)
undo = lambda text: text.replace("\\\\", "\0").replace("\\n", "\n").replace("\0", "\\")
for index, block in enumerate(blocks, 1):
    missing = {"name", "file", "tests", "from", "to"} - block.keys()
    if missing:
        sys.exit(f"{path}: mutation {index} lacks {', '.join(sorted(missing))}")
    folder = os.path.join(out, str(index))
    os.makedirs(folder)
    for key, value in block.items():
        with open(os.path.join(folder, key), "w", encoding="utf-8") as f:
            f.write(undo(value) if key in ("from", "to") else value + "\n")
PY
count=$(find "$work" -mindepth 1 -maxdepth 1 -type d | wc -l)

selected() { # number file
    ((${#selection[@]} == 0)) && return 0
    local item
    for item in "${selection[@]}"; do
        if [[ "$item" =~ ^[0-9]+$ ]]; then
            (($1 == item)) && return 0
        elif [[ "$item" =~ ^([0-9]+)-([0-9]+)$ ]]; then
            (($1 >= BASH_REMATCH[1] && $1 <= BASH_REMATCH[2])) && return 0
        elif [[ "$2" == *$item* ]]; then
            return 0
        fi
    done
    return 1
}

chosen=()
targets=()
for ((i = 1; i <= count; i++)); do
    selected "$i" "$(cat "$work/$i/file")" || continue
    chosen+=("$i")
    read -ra tests <"$work/$i/tests"
    targets+=("${tests[@]}")
done
((${#chosen[@]})) || { echo "No mutation selected." >&2; exit 2; }
read -ra targets <<<"$(printf '%s\n' "${targets[@]}" | sort -u | tr '\n' ' ')"

export CMAKE_CXX_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
cmake -S . -B "$dir" -G Ninja -DTAVRIN_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" >/dev/null
mkdir -p "$dir/mutate-logs"

# Builds and runs the named test executables; 0 when they all pass, 1 when one fails,
# 2 when they do not build.
check() { # log target...
    local log=$1
    shift
    cmake --build "$dir" -j1 --target "$@" >"$log" 2>&1 || return 2
    local names
    names=$(IFS='|'; echo "$*")
    ctest --test-dir "$dir" -R "^[a-z]+/($names)\$" --no-tests=error --timeout 300 \
        --output-on-failure >>"$log" 2>&1 || return 1
}

if ((baseline)); then
    echo "Baseline: ${targets[*]}"
    if ! check "$dir/mutate-logs/baseline.log" "${targets[@]}"; then
        echo "The tests fail without any mutation: see $dir/mutate-logs/baseline.log" >&2
        exit 2
    fi
fi

killed=0
survived=0
stale=0
broken=0
survivors=()
for i in "${chosen[@]}"; do
    file=$(cat "$work/$i/file")
    name=$(cat "$work/$i/name")
    read -ra tests <"$work/$i/tests"
    cp "$file" "$work/original"
    # Replaces the text only where it occurs exactly once.
    if ! python3 - "$file" "$work/$i/from" "$work/$i/to" <<'PY'; then
import sys
path, old, new = sys.argv[1], open(sys.argv[2]).read(), open(sys.argv[3]).read()
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(old, new))
PY
        printf '%3d stale     %s (%s)\n' "$i" "$name" "$file"
        stale=$((stale + 1))
        continue
    fi
    mutated=$file
    status=0
    check "$dir/mutate-logs/$i.log" "${tests[@]}" || status=$?
    restore
    case $status in
    0) verdict=survived; survived=$((survived + 1)); survivors+=("$i") ;;
    1) verdict=killed; killed=$((killed + 1)) ;;
    *) verdict=broken; broken=$((broken + 1)) ;;
    esac
    printf '%3d %-9s %s (%s)\n' "$i" "$verdict" "$name" "$file"
done

total=$((killed + survived))
percent=$((total ? killed * 100 / total : 100))
echo "$killed of $total mutations killed ($percent %)"
((stale + broken == 0)) || echo "Not counted: $stale stale, $broken broken (logs in $dir/mutate-logs)."
((survived == 0)) || echo "Survivors: ${survivors[*]}"
((percent >= threshold)) || exit 1
