#include "settings/tab_browsers.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "support/temp_folder.hpp"

namespace zerlith {
namespace {

using testing::TempFolder;
using Rows = std::vector<TabBrowser>;

/// Puts executables (or, with a trailing "-", plain files) called `names` into `folder`.
void install(const std::filesystem::path& folder, const std::vector<std::string>& names) {
    for (auto name : names) {
        const bool executable = !name.ends_with('-');
        if (!executable) name.pop_back();
        testing::writeText(folder / name, "#!/bin/sh\n");
        ::chmod((folder / name).c_str(), executable ? 0755 : 0644);
    }
}

TEST(TabBrowsers, InstalledOnThePathAndConnectedByName) {
    struct Case {
        const char* what;
        std::vector<std::string> inFirst, inSecond;  // two folders of PATH
        std::vector<platform::ConnectedBrowser> connected;
        Rows rows;
    };
    const auto connected = [](const char* kind, const char* name) {
        return platform::ConnectedBrowser{kind, 900, {}, name};
    };
    const TabBrowser chromium{"chromium", "Chromium", "chrome", false};
    const TabBrowser chrome{"google-chrome", "Google Chrome", "chrome", false};
    const TabBrowser brave{"brave-browser", "Brave", "chrome", false};
    const TabBrowser edge{"microsoft-edge", "Microsoft Edge", "chrome", false};
    const TabBrowser firefox{"firefox", "Firefox", "firefox", false};
    const auto on = [](TabBrowser row) {
        row.connected = true;
        return row;
    };
    const Case cases[] = {
        {"nothing installed", {}, {}, {}, {}},
        {"not installed: no row", {"chromium-", "vim"}, {}, {}, {}},
        {"every one, table order, any of their names, over both folders",
         {"firefox-esr", "microsoft-edge-stable", "brave-browser"}, {"google-chrome-stable", "chromium"}, {},
         {chromium, chrome, brave, edge, firefox}},
        {"connected by its own name", {"chromium", "brave-browser", "firefox"}, {},
         {connected("chrome", "Brave"), connected("firefox", "Firefox")}, {chromium, on(brave), on(firefox)}},
        {"connected but not found installed", {"chromium"}, {}, {connected("chrome", "Microsoft Edge")},
         {chromium, on(edge)}},
        {"a host that names no browser: its whole family", {"chromium", "google-chrome", "firefox"}, {},
         {connected("chrome", "")}, {on(chromium), on(chrome), firefox}},
        {"an unknown name connects nothing", {"chromium"}, {}, {connected("chrome", "Vivaldi")}, {chromium}},
    };
    for (const auto& each : cases) {
        TempFolder first, second;
        install(first.path(), each.inFirst);
        install(second.path(), each.inSecond);
        // An empty entry (the current folder) and a missing folder are passed over.
        const auto path = first.path().string() + "::/nonexistent:" + second.path().string();
        EXPECT_EQ(tabBrowsers(platform::installedBrowsers(path), each.connected, {}), each.rows) << each.what;
    }
}

TEST(TabBrowsers, InstalledWithThePackageWhereTheBrowserLoadsIt) {
    struct Case {
        const char* what;
        std::vector<std::string> files;  // below the system root
        std::vector<bool> installed;     // Chromium, Google Chrome, Firefox
    };
    const Case cases[] = {
        {"nothing installed", {}, {false, false, false}},
        {"Chromium's and Firefox's, Chromium loading its folder", {"chromium/zerlith/manifest.json",
         "chromium.d/extensions", "mozilla/tabs/manifest.json"}, {true, false, true}},
        {"Chromium's folder but no loader", {"chromium/zerlith/manifest.json"}, {false, false, false}},
        {"folders without a manifest", {"chromium/zerlith/background.js", "chromium.d/extensions",
         "mozilla/tabs/background.js"}, {false, false, false}},
    };
    for (const auto& each : cases) {
        TempFolder root, bin;
        install(bin.path(), {"chromium", "google-chrome", "firefox-esr"});
        for (const auto& file : each.files) testing::writeText(root.path() / file, "{}");
        const SystemExtensions system{root.path() / "chromium/zerlith", root.path() / "chromium.d/extensions",
                                      root.path() / "mozilla/tabs"};
        std::vector<bool> installed;
        for (const auto& row : tabBrowsers(platform::installedBrowsers(bin.path().string()), {}, system))
            installed.push_back(row.extensionInstalled);
        EXPECT_EQ(installed, each.installed) << each.what;
    }
}

}  // namespace
}  // namespace zerlith
