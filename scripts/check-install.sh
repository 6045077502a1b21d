#!/usr/bin/env bash
# Checks what a build folder (default build/) installs and packs: `cmake --install` into a
# scratch DESTDIR, the desktop entry, metainfo and manual page through their validators, the
# browsers' host manifests naming the installed executable (with the same text the executable
# writes itself), the extension in the browsers' system-wide folders, the installed command
# starting the installed application without loading Qt itself, then `cpack -G DEB` and the
# package's contents; lintian when installed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-install: $*" >&2; exit 1; }
cached() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }

stage=$scratch/stage
DESTDIR=$stage cmake --install "$build" >/dev/null
prefix=$(cached CMAKE_INSTALL_PREFIX)
executable=$prefix/$(cached CMAKE_INSTALL_BINDIR)/zerlith
share=$stage$prefix/share
# The extension, unpacked where Debian's Chromium and Firefox ESR load system-wide extensions.
extensions=(chromium/extensions/zerlith/manifest.json chromium/extensions/zerlith/background.js
  "mozilla/extensions/{ec8030f7-c20a-464f-9b0e-13a3a9e97384}/tabs@zerlith.dev/background.js"
  "mozilla/extensions/{ec8030f7-c20a-464f-9b0e-13a3a9e97384}/tabs@zerlith.dev/manifest.json")
[ -x "$stage$executable" ] || fail "no executable at $executable"
application=$stage$prefix/$(cached CMAKE_INSTALL_LIBEXECDIR)/zerlith/zerlith-app
[ -x "$application" ] || fail "no application at $application"
! ldd "$stage$executable" | grep -q libQt6 || fail "the command loads Qt: $(ldd "$stage$executable" | grep libQt6)"
! ldd "$application" | grep -q 'libQt6\(Quick\|Qml\)' || fail "the switcher loads Qt Quick: $(ldd "$application" | grep 'libQt6Q')"
! ldd "$application" | grep -q libQt6Network || fail "the switcher loads Qt Network before a feed is asked"
# Each module has its entry point and takes the core's code from the switcher: each name it
# needs must be exported there.
for entry in zerlith-settings.so:zerlith_make_settings_window zerlith-updates.so:zerlith_make_update_feed; do
  module=$(dirname "$application")/${entry%%:*}
  [ -f "$module" ] || fail "no module at $module"
  nm -D --defined-only "$module" | grep -qw "${entry#*:}" || fail "$module has no ${entry#*:}"
  missing=$(comm -23 <(nm -D --undefined-only "$module" | awk '/zerlith/ {print $2}' | sort -u) \
                     <(nm -D --defined-only "$application" | awk '{print $3}' | sort -u))
  [ -z "$missing" ] || fail "the switcher does not export what $module needs: $(c++filt <<<"$missing")"
done
for file in icons/hicolor/scalable/apps/dev.zerlith.Zerlith.svg icons/hicolor/symbolic/apps/dev.zerlith.Zerlith-symbolic.svg \
    "${extensions[@]}"; do
  [ -f "$share/$file" ] || fail "not installed: $file"
done
# Firefox takes a system-wide add-on only from a folder named by the add-on's id.
grep -qF "\"id\": \"$(basename "$(dirname "${extensions[3]}")")\"" "$share/${extensions[3]}" ||
  fail "the Firefox extension's folder is not named by its id"
desktop-file-validate "$share/applications/dev.zerlith.Zerlith.desktop"
appstreamcli validate --no-net "$share/metainfo/dev.zerlith.Zerlith.metainfo.xml" >/dev/null ||
  appstreamcli validate --no-net "$share/metainfo/dev.zerlith.Zerlith.metainfo.xml" >&2 || fail "metainfo refused"
manual=$share/man/man1/zerlith.1.gz
warnings=$(MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page renders with warnings: $warnings"

# What `zerlith --install-browser-hosts` writes for the installed executable, to compare with
# the system-wide manifests installed from the same template.
home=$scratch/home
mkdir -p "$home/.config/chromium" "$home/.mozilla"
HOME=$home XDG_CONFIG_HOME=$home/.config "$stage$executable" --install-browser-hosts >/dev/null
own() { sed "s|\"path\": \".*\"|\"path\": \"$executable\"|" "$1"; }
chrome=$(own "$home/.config/chromium/NativeMessagingHosts/dev.zerlith.tabs.json")
firefox=$(own "$home/.mozilla/native-messaging-hosts/dev.zerlith.tabs.json")
[[ $chrome == *"\"path\": \"$executable\""* ]] || fail "no path in the executable's own manifest"
if [ "$(cached ZERLITH_INSTALL_BROWSER_HOSTS)" != OFF ]; then
  for folder in /etc/chromium /etc/opt/chrome /etc/opt/brave.com/brave /etc/opt/edge /usr/lib/mozilla; do
    manifest=$stage$folder/native-messaging-hosts/dev.zerlith.tabs.json
    [ -f "$manifest" ] || fail "no host manifest in $folder"
    expected=$chrome
    [ "$folder" = /usr/lib/mozilla ] && expected=$firefox
    [ "$(cat "$manifest")" = "$expected" ] || fail "$manifest differs from the executable's own: $(cat "$manifest")"
  done
fi

# The installed command starts the installed application, which then takes requests.
runtime=$scratch/runtime
mkdir -m 700 "$runtime"
session=(env HOME="$home" XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen ZERLITH_DESKTOP="$PWD/examples/desktop.json")
"${session[@]}" "$stage$executable" 2>"$scratch/application.log" &
started=$!
trap 'kill "$started" 2>/dev/null || true; rm -rf "$scratch"' EXIT
for _ in $(seq 100); do [ -S "$runtime/zerlith/instance" ] && break; sleep 0.1; done
"${session[@]}" "$stage$executable" --settings || fail "the installed application took no request: $(cat "$scratch/application.log")"
kill "$started"
wait "$started" || fail "the installed application did not quit cleanly: $(cat "$scratch/application.log")"

# The package: under /usr whatever the build's prefix, so its manifests name /usr/bin/zerlith.
(cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null)
deb=$(echo "$scratch"/package/zerlith_*.deb)
[ -f "$deb" ] || fail "cpack made no zerlith_*.deb"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/bin/zerlith ./usr/libexec/zerlith/zerlith-app ./usr/libexec/zerlith/zerlith-settings.so \
    ./usr/libexec/zerlith/zerlith-updates.so \
    ./usr/share/applications/dev.zerlith.Zerlith.desktop \
    ./usr/share/icons/hicolor/scalable/apps/dev.zerlith.Zerlith.svg ./usr/share/metainfo/dev.zerlith.Zerlith.metainfo.xml \
    ./usr/share/man/man1/zerlith.1.gz ./etc/chromium/native-messaging-hosts/dev.zerlith.tabs.json \
    "${extensions[@]/#/./usr/share/}"; do
  grep -qxF "$file" <<<"$contents" || fail "$file is not in $(basename "$deb")"
done
if grep -E '_tests?$|_bench$|_fuzz$|/fuzz/|/tests?/' <<<"$contents"; then fail "tests, benchmarks or fuzz targets in the package"; fi
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/lib/mozilla/native-messaging-hosts/dev.zerlith.tabs.json |
  grep -qF '"path": "/usr/bin/zerlith"' || fail "the package's manifests do not name /usr/bin/zerlith"

if command -v lintian >/dev/null; then
  # Reported, not enforced: a CPack package is not a Debian source package's.
  lintian --tag-display-limit 0 "$deb" || true
fi
echo "check-install: $(basename "$deb") and the $prefix install are complete"
