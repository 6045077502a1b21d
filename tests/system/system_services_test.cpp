#include <gtest/gtest.h>

#include <map>

#include "support/sim_fixture.hpp"
#include "support/forwarding_platform.hpp"
#include "system/icon_cache.hpp"
#include "system/permissions.hpp"
#include "system/running_apps.hpp"

namespace zerlith {
namespace {

using nlohmann::json;
using desktop::TabConsent;
using testing::SimDesktopFixture;

const json kBrowsers = {{{"pid", 601}, {"bundleID", "com.google.Chrome"}},
                        {{"pid", 602}, {"bundleID", "com.apple.Safari"}}};

TEST(PermissionReadings, GrantsAreReadAfreshOnEveryCall) {
    SimDesktopFixture sim(json{{"permissions", {{"accessibility", false}, {"screenRecording", true}}}});
    EXPECT_FALSE(Permissions::granted(desktop::Grant::controlWindows));
    EXPECT_TRUE(Permissions::granted(desktop::Grant::readWindowTitles));
    sim.desktop().update([](sim::DesktopModel& model) {
        model.permissions.accessibility = true;
        model.permissions.screenRecording = false;
    });
    EXPECT_TRUE(Permissions::granted(desktop::Grant::controlWindows));
    EXPECT_FALSE(Permissions::granted(desktop::Grant::readWindowTitles));
}

TEST(PermissionReadings, TabConsentOfEachBrowser) {
    const std::pair<const char*, TabConsent> cases[] = {
        {"allowed", TabConsent::allowed},
        {"denied", TabConsent::denied},
        {"notDetermined", TabConsent::notDetermined},
    };
    for (const auto& [setting, expected] : cases) {
        SimDesktopFixture sim(
            json{{"apps", kBrowsers}, {"permissions", {{"automation", {{"safari", setting}}}}}});
        EXPECT_EQ(Permissions::tabConsent(BrowserKind::safari), expected) << setting;
        EXPECT_EQ(desktop::rawValue(expected), setting);
    }
    SimDesktopFixture nothingRuns(json::object());
    EXPECT_EQ(Permissions::tabConsent(BrowserKind::chrome), TabConsent::denied)
        << "a browser that does not run cannot be asked";
}

TEST(PermissionSettings, OpenTheirPanes) {
    SimDesktopFixture sim(json::object());
    Permissions::openSettings(desktop::Grant::controlWindows);
    Permissions::openSettings(desktop::Grant::readWindowTitles);
    Permissions::openTabConsentSettings();
    EXPECT_EQ(sim.desktop().actionLog(),
              (std::vector<std::string>{
                  "openURL x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility",
                  "openURL x-apple.systempreferences:com.apple.preference.security?Privacy_ScreenCapture",
                  "openURL x-apple.systempreferences:com.apple.preference.security?Privacy_Automation"}));
}

TEST(RunningApplications, FoundByPidOrBundleIdentifier) {
    SimDesktopFixture sim(
        json{{"apps",
              {{{"pid", 10}, {"name", "First"}, {"bundleID", "com.example.twin"}},
               {{"pid", 11}, {"name", "Second"}, {"bundleID", "com.example.twin"}},
               {{"pid", 12}, {"bundleID", "com.example.agent"}, {"policy", "prohibited"}}}}});
    EXPECT_EQ(RunningApps::withPid(11)->localizedName, "Second");
    EXPECT_EQ(RunningApps::withBundleID("com.example.twin")->pid, 10) << "the first one listed";
    EXPECT_EQ(RunningApps::withBundleID("com.example.agent")->pid, 12) << "background processes count";
    EXPECT_FALSE(RunningApps::withBundleID(""));
    EXPECT_FALSE(RunningApps::withBundleID("com.example.none"));

    sim.desktop().update([](sim::DesktopModel& model) { model.apps.erase(model.apps.begin() + 1); });
    EXPECT_FALSE(RunningApps::withPid(11)) << "it has quit";
}

/// A workspace that knows where two applications are installed and counts the lookups.
class InstalledApplications final : public testing::ForwardingPlatform, public platform::Workspace {
public:
    InstalledApplications() : ForwardingPlatform(platform::current()), installed_(*this) {}

    platform::Workspace& workspace() override { return *this; }

    std::vector<platform::RunningApplication> runningApplications() override { return {}; }
    std::optional<platform::RunningApplication> frontmostApplication() override { return std::nullopt; }
    bool activate(Pid) override { return false; }
    Pid ownPid() override { return 0; }
    bool openURL(std::string_view) override { return false; }
    std::optional<std::string> applicationPath(std::string_view bundleID) override {
        ++lookups[std::string(bundleID)];
        if (bundleID == "com.example.editor") return "/apps/Editor";
        if (bundleID == "com.example.iconless") return "/apps/Iconless";
        return std::nullopt;
    }
    std::optional<platform::Icon> iconForFile(std::string_view path) override {
        if (path == "/apps/Iconless") return std::nullopt;
        return platform::Icon{std::string(path) + "/icon.png"};
    }

    std::map<std::string, int> lookups;

private:
    platform::ScopedPlatform installed_;
};

TEST(Icons, FoundIconsAreKeptAndMissingOnesAskedAgain) {
    SimDesktopFixture sim(json::object());
    InstalledApplications workspace;
    IconCache cache;

    EXPECT_EQ(cache.icon("com.example.editor")->path, "/apps/Editor/icon.png");
    EXPECT_EQ(cache.icon("com.example.editor")->path, "/apps/Editor/icon.png");
    EXPECT_EQ(workspace.lookups["com.example.editor"], 1);

    EXPECT_FALSE(cache.icon("com.example.unknown"));
    EXPECT_FALSE(cache.icon("com.example.unknown"));
    EXPECT_EQ(workspace.lookups["com.example.unknown"], 2);

    EXPECT_FALSE(cache.icon("com.example.iconless"));
    EXPECT_FALSE(cache.icon("com.example.iconless"));
    EXPECT_EQ(workspace.lookups["com.example.iconless"], 2);

    EXPECT_FALSE(cache.icon(""));
    EXPECT_EQ(workspace.lookups.count(""), 0u) << "an empty identifier is never looked up";
}

}  // namespace
}  // namespace zerlith
