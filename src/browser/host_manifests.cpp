#include "browser/host_manifests.hpp"

#include <cstdlib>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "base/file_io.hpp"
#include "browser/browser_host.hpp"
#include "browser/host_manifest_template.hpp"
#include "platform/known_browsers.hpp"

namespace zerlith::browser {
namespace {

namespace fs = std::filesystem;

/// Puts `value`, as a JSON string, in place of the template's @name@.
void fillIn(std::string& text, std::string_view name, const std::string& value) {
    const auto placeholder = "@" + std::string(name) + "@";
    const auto at = text.find(placeholder);
    if (at == std::string::npos) return;
    // A path that is not UTF-8 cannot be said in JSON: it gets U+FFFD rather than a throw.
    const auto json = nlohmann::json(value).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    text.replace(at, placeholder.size(), json);
}

}  // namespace

std::string hostManifest(std::string_view kind, const std::string& executable) {
    const bool firefox = kind == "firefox";
    std::string text(kHostManifestTemplate);
    fillIn(text, "HOST_NAME", std::string(kHostName));
    fillIn(text, "HOST_ALLOWED_KEY", firefox ? "allowed_extensions" : "allowed_origins");
    fillIn(text, "HOST_ALLOWED", firefox ? std::string(kFirefoxExtensionID)
                                         : "chrome-extension://" + std::string(kChromiumExtensionID) + "/");
    fillIn(text, "HOST_PATH", executable);  // last: a path may hold anything, "@HOST_NAME@" too
    return text;
}

int installHostManifests(const std::string& home, const std::string& configHome, const std::string& executable,
                         std::ostream& out) {
    int written = 0;
    for (const auto& browser : platform::kKnownBrowsers) {
        const fs::path profile = fs::path(browser.underConfig ? configHome : home) / browser.profile;
        std::error_code error;
        if (!fs::is_directory(profile, error)) continue;
        const auto folder = profile / browser.hosts;
        fs::create_directories(folder, error);
        const auto file = folder / (std::string(kHostName) + ".json");
        if (!error && writeFileAtomically(file.string(), hostManifest(browser.kind, executable))) {
            out << browser.name << ": wrote " << file.string() << '\n';
            ++written;
        } else {
            out << browser.name << ": cannot write " << file.string() << '\n';
        }
    }
    if (written == 0) out << "No browser profile found (Chromium, Chrome, Brave, Edge, Firefox): run a browser once first.\n";
    return written;
}

int installHostManifestsForUser(const std::string& executable, std::ostream& out) {
    const char* home = std::getenv("HOME");
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (home == nullptr || home[0] != '/') {
        out << "HOME is not set\n";
        return -1;
    }
    if (executable.empty() || executable[0] != '/') {
        out << "the host's executable is not known\n";
        return -1;
    }
    const std::string configHome = config != nullptr && config[0] == '/' ? config : std::string(home) + "/.config";
    return installHostManifests(home, configHome, executable, out);
}

}  // namespace zerlith::browser
