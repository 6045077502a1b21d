#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and benchmarking Zerlith needs.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail

packages=(
  # toolchain
  g++ cmake ninja-build pkg-config
  # libraries
  libicu-dev nlohmann-json3-dev liburiparser-dev libmimalloc-dev
  libxcb1-dev libxcb-ewmh-dev libxcb-icccm4-dev libxcb-randr0-dev libxcb-res0-dev
  libxcb-xkb-dev libxkbcommon-dev libxkbcommon-x11-dev
  libwayland-dev wayland-protocols
  # the user interface: Qt 6 Quick and its QML modules, SVG, the X11 platform plugin
  qt6-base-dev qt6-declarative-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins qt6-wayland
  qml6-module-qtquick qml6-module-qtquick-window qml6-module-qtqml-workerscript
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb openbox x11-xserver-utils xdotool x11-utils x11-xkb-utils libxcb-xtest0-dev libxcb-damage0-dev
  chromium firefox-esr
  sway foot wtype
  # installing and packaging: the validators, the manual page renderer, CPack's Debian tools
  desktop-file-utils appstream man-db dpkg-dev file lintian
  # fuzzing (libFuzzer comes with clang's runtime libraries)
  clang libclang-rt-14-dev
)

if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
