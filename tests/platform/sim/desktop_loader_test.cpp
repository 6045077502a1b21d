#include "platform/sim/desktop_loader.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <variant>

namespace zerlith::sim {
namespace {

using nlohmann::json;

json validDesktop() {
    return json::parse(R"({
        "screens": [{"name": "Built-in", "frame": {"x": 0, "y": 0, "w": 1512, "h": 982}}],
        "apps": [{"pid": 501, "name": "Notes", "bundleID": "com.apple.Notes"},
                 {"pid": 600, "name": "Google Chrome", "bundleID": "com.google.Chrome"}],
        "windows": [
            {"number": 12, "pid": 501, "title": "Groceries", "frame": {"x": 10, "y": 40, "w": 800, "h": 600}},
            {"number": 40, "pid": 600, "frame": {"x": 0, "y": 25, "w": 1200, "h": 900},
             "tabs": [{"title": "Inbox", "url": "https://mail.google.com/"},
                      {"title": "Docs", "url": "https://docs.python.org/3/"}]}
        ]
    })");
}

DesktopModel parsed(const json& desktop) {
    auto result = parseDesktop(desktop.dump(), "desktop.json");
    if (const auto* refusal = std::get_if<std::string>(&result)) ADD_FAILURE() << *refusal;
    return std::holds_alternative<DesktopModel>(result) ? std::get<DesktopModel>(result) : DesktopModel{};
}

std::string refusal(std::string_view text) {
    auto result = parseDesktop(text, "desktop.json");
    const auto* message = std::get_if<std::string>(&result);
    return message ? *message : "(accepted)";
}

TEST(DesktopLoader, AnEmptyObjectIsAnEmptyDesktopWithEverythingGranted) {
    const auto model = parsed(json::object());
    EXPECT_TRUE(model.permissions.accessibility);
    EXPECT_TRUE(model.permissions.screenRecording);
    for (const Browser browser : {Browser::chrome, Browser::safari}) {
        EXPECT_EQ(model.permissions.automation[browser], Automation::allowed);
        EXPECT_EQ(model.permissions.consent[browser], Consent::allow);
    }
    EXPECT_TRUE(model.screens.empty());
    EXPECT_TRUE(model.apps.empty());
    EXPECT_TRUE(model.windows.empty());
    EXPECT_EQ(model.mainScreen, 0);
    EXPECT_EQ(model.pointer, Point{});
    EXPECT_FALSE(model.frontmost);
    EXPECT_FALSE(model.selfPid);
    EXPECT_FALSE(model.now);
    EXPECT_FALSE(model.virtualTime);
}

TEST(DesktopLoader, WindowMembersTakeTheirDefaults) {
    const auto model = parsed(validDesktop());
    ASSERT_EQ(model.windows.size(), 2u);
    const Window& notes = model.windows[0];
    EXPECT_EQ(notes.title, "Groceries");
    EXPECT_EQ(notes.axTitle, "Groceries");
    EXPECT_EQ(notes.frame, (Rect{10, 40, 800, 600}));
    EXPECT_EQ(notes.axFrame, notes.frame);
    EXPECT_EQ(notes.layer, Layer{std::int64_t{0}});
    EXPECT_EQ(notes.alpha, 1.0);
    EXPECT_TRUE(notes.onscreen);
    EXPECT_TRUE(notes.ax);
    EXPECT_FALSE(notes.minimized);
    EXPECT_FALSE(notes.fullScreen);
    EXPECT_EQ(notes.scriptId, 12);
    EXPECT_EQ(notes.activeTab, 1);
    EXPECT_TRUE(notes.scriptVisible);

    const Window& chrome = model.windows[1];
    EXPECT_EQ(chrome.title, "Inbox") << "a window with tabs is titled by its active tab";
    EXPECT_TRUE(chrome.titleFollowsActiveTab);
    EXPECT_TRUE(chrome.axTitleFollowsTitle);
    ASSERT_EQ(chrome.tabs.size(), 2u);
    EXPECT_EQ(chrome.tabs[1].url, "https://docs.python.org/3/");

    ASSERT_EQ(model.screens.size(), 1u);
    EXPECT_EQ(model.screens[0].visibleFrame, model.screens[0].frame);
    EXPECT_EQ(model.apps[0].policy, platform::ActivationPolicy::regular);
    EXPECT_FALSE(model.apps[0].menus) << "no menus member: the derived Window menu";
    EXPECT_EQ(model.apps[0].script, ScriptBehaviour::ok);
}

TEST(DesktopLoader, NullsMeanMissingKeysAndDerivedMembersFollowWhatIsGiven) {
    auto desktop = validDesktop();
    desktop["windows"][0].update({{"title", nullptr}, {"alpha", nullptr}, {"onscreen", false}});
    desktop["windows"][1].update({{"activeTab", 2}, {"axTitle", nullptr}, {"scriptId", 7}});
    desktop["apps"][0]["menus"] = json::array();
    const auto model = parsed(desktop);
    EXPECT_FALSE(model.windows[0].title);
    EXPECT_FALSE(model.windows[0].axTitle);
    EXPECT_FALSE(model.windows[0].alpha);
    EXPECT_FALSE(model.windows[0].ax) << "ax follows onscreen";
    EXPECT_EQ(model.windows[1].title, "Docs");
    EXPECT_FALSE(model.windows[1].axTitle);
    EXPECT_FALSE(model.windows[1].axTitleFollowsTitle);
    EXPECT_EQ(model.windows[1].scriptId, 7);
    ASSERT_TRUE(model.apps[0].menus);
    EXPECT_TRUE(model.apps[0].menus->empty());
}

TEST(DesktopLoader, LayersKeepIntegerAndRealApart) {
    auto desktop = validDesktop();
    desktop["windows"][0]["layer"] = 3;
    desktop["windows"][1]["layer"] = 0.5;
    const auto model = parsed(desktop);
    EXPECT_EQ(model.windows[0].layer, Layer{std::int64_t{3}});
    EXPECT_EQ(model.windows[1].layer, Layer{0.5});
}

TEST(DesktopLoader, HostileStringsLoadUnchanged) {
    const std::string hostile = "a|b \"quoted\" \u00e9\u0301 \U0001F600 \x01\x1F\x1E\n\t end";
    auto desktop = validDesktop();
    desktop["windows"][0]["title"] = hostile;
    desktop["apps"][0]["name"] = hostile;
    desktop["windows"][1]["tabs"][0]["url"] = hostile;
    const auto model = parsed(desktop);
    EXPECT_EQ(model.windows[0].title, hostile);
    EXPECT_EQ(model.apps[0].name, hostile);
    EXPECT_EQ(model.windows[1].tabs[0].url, hostile);
}

TEST(DesktopLoader, UnknownMembersAreIgnored) {
    auto desktop = validDesktop();
    desktop["colour"] = "teal";
    desktop["windows"][0]["shadow"] = {1, 2};
    EXPECT_EQ(parsed(desktop).windows.size(), 2u);
}

struct BadMember {
    const char* name;
    json patch;  ///< a JSON patch applied to validDesktop()
    const char* expected;
};

void PrintTo(const BadMember& bad, std::ostream* out) { *out << bad.name; }

class DesktopLoaderRefuses : public ::testing::TestWithParam<BadMember> {};

TEST_P(DesktopLoaderRefuses, NamingTheFileAndTheMemberOnOneLine) {
    const auto desktop = validDesktop().patch(GetParam().patch);
    const auto message = refusal(desktop.dump());
    EXPECT_EQ(message, std::string("desktop.json: ") + GetParam().expected);
}

json replace(const char* path, json value) {
    return json::array({{{"op", "add"}, {"path", path}, {"value", value}}});
}
json remove(const char* path) { return json::array({{{"op", "remove"}, {"path", path}}}); }

INSTANTIATE_TEST_SUITE_P(
    BadMembers, DesktopLoaderRefuses,
    ::testing::Values(
        BadMember{"rectMember", replace("/windows/0/frame/w", "wide"),
                  "windows[0].frame.w: expected a number"},
        BadMember{"rectMissing", remove("/windows/1/frame/h"), "windows[1].frame.h: missing"},
        BadMember{"realNumber", replace("/windows/0/number", 1.5), "windows[0].number: expected an integer"},
        BadMember{"negativeNumber", replace("/windows/0/number", -1),
                  "windows[0].number: expected an integer from 0 to 4294967295"},
        BadMember{"pidText", replace("/apps/0/pid", "501"), "apps[0].pid: expected an integer"},
        BadMember{"pidRange", replace("/frontmost", 3000000000LL),
                  "frontmost: expected an integer from -2147483648 to 2147483647"},
        BadMember{"pidMissing", remove("/apps/1/pid"), "apps[1].pid: missing"},
        BadMember{"policy", replace("/apps/0/policy", "background"),
                  R"(apps[0].policy: expected "regular", "accessory" or "prohibited")"},
        BadMember{"script", replace("/apps/1/script", true),
                  R"(apps[1].script: expected "ok", "fail" or "hang")"},
        BadMember{"flag", replace("/permissions", {{"accessibility", "yes"}}),
                  "permissions.accessibility: expected true or false"},
        BadMember{"automation", replace("/permissions", {{"automation", {{"safari", "maybe"}}}}),
                  R"(permissions.automation.safari: expected "allowed", "denied" or "notDetermined")"},
        BadMember{"consent", replace("/permissions", {{"consent", "allow"}}),
                  "permissions.consent: expected an object"},
        BadMember{"screensObject", replace("/screens", json::object()), "screens: expected an array"},
        BadMember{"screenName", replace("/screens/0/name", 3), "screens[0].name: expected a string"},
        BadMember{"mainScreen", replace("/mainScreen", 1),
                  "mainScreen: no screen at this index (there are 1)"},
        BadMember{"pointer", replace("/pointer", {{"x", 1}}), "pointer.y: missing"},
        BadMember{"titleMissing", remove("/windows/0/title"), "windows[0].title: missing"},
        BadMember{"titleNumber", replace("/windows/0/title", 5),
                  "windows[0].title: expected a string or null"},
        BadMember{"axTitle", replace("/windows/0/axTitle", false),
                  "windows[0].axTitle: expected a string or null"},
        BadMember{"alpha", replace("/windows/0/alpha", "opaque"), "windows[0].alpha: expected a number"},
        BadMember{"layer", replace("/windows/0/layer", "top"), "windows[0].layer: expected a number"},
        BadMember{"tabUrl", remove("/windows/1/tabs/1/url"), "windows[1].tabs[1].url: missing"},
        BadMember{"activeTab", replace("/windows/1/activeTab", 3),
                  "windows[1].activeTab: no tab at this position (the window has 2)"},
        BadMember{"menuItem", replace("/apps/0/menus", {{{"title", "Window"}, {"items", {5}}}}),
                  "apps[0].menus[0].items[0]: expected a string or an object"},
        BadMember{"raises",
                  replace("/apps/0/menus",
                          {{{"title", "Window"}, {"items", {{{"title", "A"}, {"raises", "12"}}}}}}),
                  "apps[0].menus[0].items[0].raises: expected an integer"},
        BadMember{"now", replace("/now", "soon"), "now: expected a number"},
        BadMember{"virtualTime", replace("/virtualTime", 1), "virtualTime: expected true or false"},
        BadMember{"windowsEntry", replace("/windows/0", "window"), "windows[0]: expected an object"},
        BadMember{"duplicateNumber", replace("/windows/1/number", 12),
                  "windows[1].number: used by an earlier entry"},
        BadMember{"duplicatePid", replace("/apps/1/pid", 501), "apps[1].pid: used by an earlier entry"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(DesktopLoader, RefusesTextThatIsNotADesktopObject) {
    EXPECT_EQ(refusal("[1, 2]"), "desktop.json: expected a JSON object at the top level");
    const auto broken = refusal("{\"apps\": [\n{\"pid\": 5,}\n]}");
    EXPECT_EQ(broken.rfind("desktop.json: not valid JSON: parse error at line 2", 0), 0u) << broken;
    EXPECT_EQ(broken.find('\n'), std::string::npos);
    const auto badUtf8 = refusal("{\"screens\": [{\"name\": \"\xC3\x28\"}]}");
    EXPECT_EQ(badUtf8.rfind("desktop.json: not valid JSON:", 0), 0u) << badUtf8;
}

TEST(DesktopLoader, AnUnreadableFileIsRefusedByName) {
    EXPECT_EQ(std::get<std::string>(loadDesktopFile("/nonexistent/desktop.json")),
              "/nonexistent/desktop.json: cannot be read");
    EXPECT_EQ(std::get<std::string>(loadDesktopFile("/tmp")), "/tmp: cannot be read: it is a folder");
    EXPECT_EQ(std::get<std::string>(loadDesktopFile("/tmp/line\nbreak.json")),
              "/tmp/line break.json: cannot be read");
}

}  // namespace
}  // namespace zerlith::sim
