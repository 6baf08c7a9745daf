#!/usr/bin/env bash
# Builds the screenshot program and renders the main window (both targets, both tabs,
# light and dark, a failed switch, a long name with its remaining credit) and the
# settings window to PNG files under Xvfb.
#   scripts/screenshots.sh [--lang zh_CN|ja|pseudo] [--scale 2] [output directory]
# The output directory is docs/screenshots by default.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TAVRIN_BUILD_DIR:-$root/build-screenshots}"
out="$root/docs/screenshots"
language=en
scale=1
while (($#)); do
    case "$1" in
    --lang) language="$2"; shift 2 ;;
    --scale) scale="$2"; shift 2 ;;
    -*) echo "Usage: scripts/screenshots.sh [--lang zh_CN|ja|pseudo] [--scale N] [directory]" >&2; exit 2 ;;
    *) out="$1"; shift ;;
    esac
done

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DTAVRIN_BUILD_TESTS=OFF -DTAVRIN_BUILD_BENCH=OFF >/dev/null
fi
ninja -C "$build" tavrin_screenshots
mkdir -p "$out"
unset QT_QPA_PLATFORM
# A screen large enough for the settings window at the scale asked for.
QT_SCALE_FACTOR="$scale" xvfb-run -a -s "-screen 0 $((1280 * scale))x$((1024 * scale))x24" \
    "$build/src/tavrin_screenshots" --lang "$language" "$out"
echo "Screenshots in $out"
