#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

/// The manifests that tell each browser where Zerlith's native-messaging host is and which
/// extension may start it.
namespace zerlith::browser {

/// The host's name, the manifest's file name without ".json".
inline constexpr std::string_view kHostName = "dev.zerlith.tabs";
/// The extension's id in the Chromium family, fixed by the key in its manifest.
inline constexpr std::string_view kChromiumExtensionID = "pimdlaanahgelpmhbcilejfakcpfdbho";

/// The manifest text for a browser family ("chrome" or "firefox") and the host executable.
std::string hostManifest(std::string_view kind, const std::string& executable);

/// Writes the manifest into the host folder of every browser whose profile folder exists under
/// `home` and `configHome` (Chromium, Chrome, Brave, Edge, Firefox), one line per file on `out`.
/// The number of manifests written.
int installHostManifests(const std::string& home, const std::string& configHome, const std::string& executable,
                         std::ostream& out);

/// The same for this user: below $HOME and $XDG_CONFIG_HOME (else ~/.config). -1, with a line
/// on `out`, when HOME is not set or `executable` is not an absolute path.
int installHostManifestsForUser(const std::string& executable, std::ostream& out);

}  // namespace zerlith::browser
