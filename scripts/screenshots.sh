#!/usr/bin/env bash
# Builds the screenshot program and renders the main window (both targets, both tabs,
# light and dark, a failed switch, a long name with its remaining credit) and the
# settings window to docs/screenshots/*.png under Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TAVRIN_BUILD_DIR:-$root/build-screenshots}"
out="$root/docs/screenshots"

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DTAVRIN_BUILD_TESTS=OFF -DTAVRIN_BUILD_BENCH=OFF >/dev/null
fi
ninja -C "$build" tavrin_screenshots
mkdir -p "$out"
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/src/tavrin_screenshots" "$out"
echo "Screenshots in $out"
