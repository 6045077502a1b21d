#include "browser/host_manifests.hpp"

#include <filesystem>

#include <nlohmann/json.hpp>

#include "browser/browser_host.hpp"
#include "system/file_io.hpp"

namespace zerlith::browser {
namespace {

namespace fs = std::filesystem;

struct KnownBrowser {
    std::string_view name;
    std::string_view kind;
    bool underConfig;          ///< profile folder below $XDG_CONFIG_HOME, else below $HOME
    std::string_view profile;  ///< the browser's own folder, there when it has run
    std::string_view hosts;    ///< its host folder, below the profile folder
};

constexpr KnownBrowser kKnownBrowsers[] = {
    {"Chromium", "chrome", true, "chromium", "NativeMessagingHosts"},
    {"Google Chrome", "chrome", true, "google-chrome", "NativeMessagingHosts"},
    {"Brave", "chrome", true, "BraveSoftware/Brave-Browser", "NativeMessagingHosts"},
    {"Microsoft Edge", "chrome", true, "microsoft-edge", "NativeMessagingHosts"},
    {"Firefox", "firefox", false, ".mozilla", "native-messaging-hosts"},
};

}  // namespace

std::string hostManifest(std::string_view kind, const std::string& executable) {
    nlohmann::json manifest{{"name", kHostName},
                            {"description", "Zerlith's window and tab switcher"},
                            {"path", executable},
                            {"type", "stdio"}};
    if (kind == "firefox") {
        manifest["allowed_extensions"] = {kFirefoxExtensionID};
    } else {
        manifest["allowed_origins"] = {"chrome-extension://" + std::string(kChromiumExtensionID) + "/"};
    }
    return manifest.dump(2) + "\n";
}

int installHostManifests(const std::string& home, const std::string& configHome, const std::string& executable,
                         std::ostream& out) {
    int written = 0;
    for (const auto& browser : kKnownBrowsers) {
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

}  // namespace zerlith::browser
