#!/usr/bin/env bash
# Renders the palette over the bundled example desktop, as the README shows it:
#   scripts/palette-screenshot.sh [BUILD-DIR] [OUTPUT.png] [QUERY]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
output=${2:-docs/palette.png}
cmake --build "$build" --target palette_screenshot >/dev/null
# A private home, so no history or theme of the machine's colours the picture.
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config \
  "$build/tests/ui/palette_screenshot" examples/desktop.json "$output" "${3:-}"
echo "wrote $output"
