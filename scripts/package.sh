#!/usr/bin/env bash
# Installs what is missing, builds Tavrin in Release in a build directory of its own
# (build-package, or $TAVRIN_PACKAGE_DIR) and makes the package: a .deb on Debian and
# Ubuntu, a drag-and-drop .dmg on macOS. Extra arguments go to CMake, for example
# -DTAVRIN_CLOUD_POLICY_URL=https://... With --from DIR it packages what an existing build
# directory has built instead (CI packages the tree its tests ran in). Standard output
# gets the package's path alone; everything else goes to standard error.
#   scripts/package.sh [--from DIR | CMAKE-ARGUMENT...]
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ "${1:-}" == "--from" ]]; then
    dir="${2:?--from needs a build directory}"
    [[ -f "$dir/CPackConfig.cmake" ]] || { echo "$dir is not a configured build directory" >&2; exit 1; }
else
    scripts/bootstrap.sh >&2
    dir="${TAVRIN_PACKAGE_DIR:-build-package}"
    options=(-DCMAKE_BUILD_TYPE=Release -DTAVRIN_BUILD_TESTS=OFF -DTAVRIN_BUILD_BENCH=OFF)
    [[ "$(uname -s)" == "Darwin" ]] && options+=(-DCMAKE_PREFIX_PATH="$(brew --prefix qt)")
    cmake -S . -B "$dir" -G Ninja "${options[@]}" "$@" >&2
fi
cmake --build "$dir" >&2
rm -rf "$dir/packages"
if ! log="$(cd "$dir" && cpack --config CPackConfig.cmake 2>&1)"; then
    echo "$log" >&2
    exit 1
fi
package="$(find "$dir/packages" -maxdepth 1 -type f \( -name '*.deb' -o -name '*.dmg' \) | head -n 1)"
[[ -n "$package" ]] || { echo "cpack made no package" >&2; exit 1; }
echo "$package"
