#!/usr/bin/env bash
# Renders the palette, or the settings window, over the bundled example desktop, as the README
# shows them:
#   scripts/palette-screenshot.sh [BUILD-DIR] [OUTPUT.png] [QUERY]
#   scripts/palette-screenshot.sh --settings [BUILD-DIR] [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
mode=()
default=docs/palette.png
if [ "${1:-}" = --settings ]; then
  mode=(--settings)
  default=docs/settings.png
  shift
fi
build=${1:-build}
output=${2:-$default}
cmake --build "$build" --target palette_screenshot >/dev/null
# A private home, so no history or theme of the machine's colours the picture.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
if [ ${#mode[@]} -gt 0 ]; then
  HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config \
    "$build/tests/ui/palette_screenshot" "${mode[@]}" examples/desktop.json "$output"
else
  HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config \
    "$build/tests/ui/palette_screenshot" examples/desktop.json "$output" "${3:-}"
fi
echo "wrote $output"
