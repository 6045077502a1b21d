#!/usr/bin/env bash
# Takes the README's picture of the settings window on X11: Zerlith started for the first time
# on a private Xvfb with openbox, a private home and the browsers this machine has installed.
#   scripts/settings-screenshot.sh [BUILD-DIR] [OUTPUT.png]
# Needs xvfb, openbox and xdotool.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
output=${2:-docs/settings.png}
cmake --build "$build" --target zerlith window_grab >/dev/null
home=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
mkdir -m 700 "$home/run"
exec 3< <(Xvfb -displayfd 1 -screen 0 800x800x24 -nolisten tcp 2>/dev/null)
read -r number <&3
export DISPLAY=:$number
pids+=($!)
openbox --config-file tests/x11/openbox_rc.xml >/dev/null 2>&1 &
pids+=($!)
# The first start opens the settings by itself.
HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_CACHE_HOME=$home/cache \
  XDG_RUNTIME_DIR=$home/run "$build/src/app/zerlith" >/dev/null 2>&1 &
pids+=($!)
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Zerlith$' | head -n 1)
sleep 1  # let the browsers' rows come in and the window draw them
"$build/tests/ui/window_grab" "$window" "$output"
echo "wrote $output"
