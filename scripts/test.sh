#!/usr/bin/env bash
# Sets up the machine, builds Zerlith and runs every test (the plain build then checks its
# install and Debian package).
#   scripts/test.sh                              plain build in build/
#   scripts/test.sh --sanitize=address,undefined  build-address,undefined/ with those sanitizers
#   scripts/test.sh --sanitize=thread --label=threads  only the tests with that CTest label
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize=""
label=""
for argument in "$@"; do
  case "$argument" in
    --sanitize=*) sanitize="${argument#--sanitize=}" ;;
    --label=*) label="${argument#--label=}" ;;
    *) echo "usage: $0 [--sanitize=LIST] [--label=LABEL]" >&2; exit 2 ;;
  esac
done

scripts/setup-debian.sh

build=build${sanitize:+-$sanitize}
# Suites that start browsers or a compositor run once, in the plain build: what they drive is
# not built with the sanitizers, and they are the slowest.
exclude=""
if [ -n "$sanitize" ]; then exclude="chromium|wayland"; fi
# Benchmarks are built by the plain build only: they are never run under a sanitizer. A
# sanitizer build holds only the suites it runs and what they need.
cmake -S . -B "$build" -G Ninja -DZERLITH_WERROR=ON -DZERLITH_SANITIZE="$sanitize" \
  -DZERLITH_BENCHMARKS="$([ -z "$sanitize" ] && echo ON || echo OFF)" \
  -DZERLITH_TEST_LABELS="$label" -DZERLITH_TEST_LABELS_EXCLUDED="$exclude" >/dev/null
cmake --build "$build" ${sanitize:+--target tests}
# Children the tests start (the executable, under Qt) inherit this too.
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan-suppressions.txt${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# The X11 tests race a real window manager and X server: a test that fails is run again, up to
# three times in all, so that one lost race does not fail the run. Every failure is still printed.
ctest --test-dir "$build" --output-on-failure --repeat until-pass:3 ${label:+-L "$label"} ${exclude:+-LE "$exclude"}
# The plain build also proves what it installs and packs.
if [ -z "$sanitize" ]; then scripts/check-install.sh "$build"; fi
