#include "cli/dump.hpp"

#include <nlohmann/json.hpp>

#include "cache/snapshot_store.hpp"
#include "cli/stopwatch.hpp"
#include "desktop/screens.hpp"
#include "model/target.hpp"
#include "platform/platform.hpp"
#include "ranking/scorer.hpp"
#include "ranking/usage_store.hpp"
#include "sources/browser_source.hpp"
#include "system/permissions.hpp"

namespace zerlith::Dump {
namespace {

constexpr std::string_view kAccessibilityWarning =
    "⚠ Accessibility not granted — windows cannot be raised.\n"
    "  System Settings → Privacy & Security → Accessibility";

constexpr std::string_view kScreenRecordingWarning =
    "⚠ Screen Recording not granted — window titles come back empty, so only\n"
    "  windows on the current Space are usable. Nothing is ever captured; the\n"
    "  permission is purely what gates kCGWindowName.\n"
    "  System Settings → Privacy & Security → Screen Recording";

nlohmann::json screensJson() {
    auto screens = nlohmann::json::array();
    for (const auto& screen : platform::current().display().screens()) {
        screens.push_back({
            {"name", screen.name},
            {"frame", toJson(screen.frame)},
            {"isPrimary", screen.frame.x == 0 && screen.frame.y == 0},
        });
    }
    return screens;
}

nlohmann::json providerJson(const desktop::ProviderInfo& provider) {
    const auto& can = provider.capabilities;
    return {{"name", provider.name},
            {"capabilities",
             {{"moveToScreen", can.moveToScreen},
              {"workspaces", can.workspaces},
              {"globalKeys", can.globalKeys},
              {"typedAheadCapture", can.typedAheadCapture},
              {"tabs", can.tabs},
              {"permissions", can.permissions}}}};
}

}  // namespace

std::string dumpJSON(SnapshotStore& store, UsageStore& usage) {
    nlohmann::json dump;
    dump["accessibilityGranted"] = Permissions::granted(desktop::Grant::controlWindows);
    const double coldMs = CLI::timed([&] { return store.refreshAllBlocking(); }).first;
    auto [warmMs, targets] = CLI::timed([&] { return store.refreshAllBlocking(); });
    const auto context = usage.currentContextKey();
    const auto ranked = Scorer::rank(targets, context, Screens::activeName(), usage);
    dump["provider"] = providerJson(platform::current().provider());
    dump["screenRecordingGranted"] = Permissions::granted(desktop::Grant::readWindowTitles);
    dump["screens"] = screensJson();
    for (BrowserKind browser : kAllBrowsers) {
        const std::string key(rawValue(browser));
        dump["automation"][key] = desktop::rawValue(Permissions::tabConsent(browser));
        dump["browsersRunning"][key] = BrowserSource::runningApp(browser).has_value();
    }
    dump["refreshCount"] = store.refreshCount();

    auto targetsJson = nlohmann::json::array();
    int onOtherSpaces = 0;
    int axDirect = 0;
    for (const auto& target : ranked) {
        targetsJson.push_back(toJson(target));
        if (!target.window) continue;
        if (!target.window->isOnCurrentSpace) ++onOtherSpaces;
        if (target.window->raisesDirectly) ++axDirect;
    }
    dump["targetCount"] = ranked.size();
    dump["onOtherSpaces"] = onOtherSpaces;
    dump["axDirectCount"] = axDirect;
    dump["enumerationMsCold"] = coldMs;
    dump["enumerationMsWarm"] = warmMs;
    dump["targets"] = std::move(targetsJson);
    if (context) dump["contextKey"] = *context;

    // Text that is not valid UTF-8 gets U+FFFD where it breaks, rather than costing the whole dump.
    return dump.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}


void warnAboutMissingPermissions(std::ostream& err) {
    if (!platform::current().provider().capabilities.permissions) return;
    std::vector<std::string_view> warnings;
    if (!Permissions::granted(desktop::Grant::controlWindows)) warnings.push_back(kAccessibilityWarning);
    if (!Permissions::granted(desktop::Grant::readWindowTitles)) warnings.push_back(kScreenRecordingWarning);
    if (warnings.empty()) return;
    err << '\n';
    for (std::size_t i = 0; i < warnings.size(); ++i) err << (i > 0 ? "\n\n" : "") << warnings[i];
    err << "\n\n" << std::flush;
}

}  // namespace zerlith::Dump
