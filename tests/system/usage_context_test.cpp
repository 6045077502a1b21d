#include "system/usage_context.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "support/sim_fixture.hpp"

namespace zerlith {
namespace {

using nlohmann::json;

const json kFrame = {{"x", 0}, {"y", 0}, {"w", 800}, {"h", 600}};

json app(std::optional<std::string> bundleID, json extra = json::object()) {
    json a = {{"pid", 10}, {"name", "Example"}};
    if (bundleID) a["bundleID"] = *bundleID;
    a.update(extra);
    return a;
}

json window(json title, json extra = json::object()) {
    json w = {{"number", 1}, {"pid", 10}, {"title", std::move(title)}, {"frame", kFrame}};
    w.update(extra);
    return w;
}

json desktop(json theApp, std::optional<json> theWindow, std::optional<int> frontmost = 10) {
    json d = {{"apps", json::array({std::move(theApp)})}, {"windows", json::array()}};
    if (theWindow) d["windows"].push_back(std::move(*theWindow));
    if (frontmost) d["frontmost"] = *frontmost;
    return d;
}

TEST(UsageContext, NamesTheFrontmostApplicationAndItsFocusedWindow) {
    const std::string id = "com.example.app";
    struct Case {
        const char* what;
        json desktop;
        std::optional<std::string> key;
    };
    const Case cases[] = {
        {"focused window", desktop(app(id), window("Inbox")), id + "|Inbox"},
        {"title with bars", desktop(app(id), window("a|b||c|")), id + "|a|b||c|"},
        {"empty title", desktop(app(id), window("")), id},
        {"unreadable title", desktop(app(id), window("Inbox", {{"axTitle", nullptr}})), id},
        {"no windows", desktop(app(id), std::nullopt), id},
        {"only a minimized window", desktop(app(id), window("Inbox", {{"minimized", true}})), id},
        {"window not in the tree", desktop(app(id), window("Inbox", {{"ax", false}})), id},
        {"accessibility fails", desktop(app(id, {{"axError", true}}), window("Inbox")), id},
        {"no bundle id, no window", desktop(app(std::nullopt), std::nullopt), "?"},
        {"no bundle id", desktop(app(std::nullopt), window("Notes")), "?|Notes"},
        {"no frontmost application", desktop(app(id), window("Inbox"), std::nullopt), std::nullopt},
        {"frontmost pid of no app", desktop(app(id), window("Inbox"), 99), std::nullopt},
    };
    for (const auto& c : cases) {
        testing::SimDesktopFixture fixture(c.desktop);
        EXPECT_EQ(UsageContext::currentKey(), c.key) << c.what;
    }
}

TEST(UsageContext, AHungApplicationCostsOneShortTimeoutAndGivesTheBundleID) {
    testing::SimDesktopFixture fixture(desktop(app("com.example.app", {{"axHang", true}}), window("Inbox")));
    const auto before = fixture.clock.monotonicNanos();
    EXPECT_EQ(UsageContext::currentKey(), "com.example.app");
    EXPECT_NEAR(static_cast<double>(fixture.clock.monotonicNanos() - before) / 1e9, 0.15, 1e-6);
}

}  // namespace
}  // namespace zerlith
