// The wlroots provider's protocol handling and its reading of sway's replies, fed recorded
// event sequences and replies: no compositor needed.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

#include "providers/wlroots/desktop_reading.hpp"
#include "providers/wlroots/sway_bindings.hpp"
#include "providers/wlroots/sway_process.hpp"
#include "providers/wlroots/sway_tree.hpp"
#include "providers/wlroots/toplevel_list.hpp"
#include "support/temp_folder.hpp"

namespace zerlith::wlroots {
namespace {

using Kind = platform::DesktopChange::Kind;
using State = ToplevelList::State;

/// What a list shows: "id:title:appId:states:outputs" front to back, states as the letters
/// a(ctivated), m(inimized), M(aximized), f(ull screen).
std::vector<std::string> shown(const ToplevelList& list) {
    std::vector<std::string> lines;
    for (const Toplevel& toplevel : list.list()) {
        std::string states;
        if (toplevel.activated) states += 'a';
        if (toplevel.minimized) states += 'm';
        if (toplevel.maximized) states += 'M';
        if (toplevel.fullScreen) states += 'f';
        std::string outputs;
        for (const auto output : toplevel.outputs) outputs += std::to_string(output);
        lines.push_back(std::to_string(toplevel.id) + ":" + toplevel.title + ":" + toplevel.appId + ":" + states + ":" + outputs);
    }
    return lines;
}

TEST(ToplevelListTest, RecordedEventSequencesShowOnlyCompletedUpdates) {
    struct Case {
        const char* name;
        std::function<void(ToplevelList&)> events;
        std::vector<std::string> expected;
        std::vector<platform::DesktopChange> changes;
    };
    const std::vector<std::uint32_t> activated{State::activated};
    const std::vector<Case> cases = {
        {"a toplevel is listed only once done",
         [](ToplevelList& list) {
             const auto id = list.created();
             list.title(id, "Notes");
             list.appId(id, "foot");
         },
         {},
         {}},
        {"the initial burst: two windows, the second focused, on two outputs",
         [&](ToplevelList& list) {
             const auto a = list.created();
             list.title(a, "Alpha");
             list.appId(a, "foot");
             list.outputEnter(a, 7);
             list.done(a);
             const auto b = list.created();
             list.title(b, "Beta");
             list.appId(b, "org.gnome.gedit");
             list.outputEnter(b, 8);
             list.state(b, activated);
             list.done(b);
         },
         {"2:Beta:org.gnome.gedit:a:8", "1:Alpha:foot::7"},
         {{Kind::windowList, 0}, {Kind::windowList, 0}, {Kind::activeWindow, 0}}},
        {"a retitle is seen at done, not before",
         [](ToplevelList& list) {
             const auto a = list.created();
             list.title(a, "Old");
             list.done(a);
             list.takeChanges();
             list.title(a, "New");
         },
         {"1:Old:::"},
         {}},
        {"focus moves the window to the front and takes it from the other",
         [&](ToplevelList& list) {
             const auto a = list.created();
             list.title(a, "A");
             list.state(a, activated);
             list.done(a);
             const auto b = list.created();
             list.title(b, "B");
             list.done(b);
             list.takeChanges();
             list.state(b, activated);
             list.done(b);
         },
         {"2:B::a:", "1:A:::"},
         {{Kind::activeWindow, 0}}},
        {"states, output moves and maximizing are state changes",
         [](ToplevelList& list) {
             const auto a = list.created();
             list.title(a, "A");
             list.outputEnter(a, 1);
             list.done(a);
             list.takeChanges();
             const std::vector<std::uint32_t> states{State::minimized, State::maximized, State::fullScreen, 99};
             list.state(a, states);
             list.outputEnter(a, 2);
             list.outputLeave(a, 1);
             list.done(a);
         },
         {"1:A::mMf:2"},
         {{Kind::windowState, 1}}},
        {"a closed window goes, and so do events for it afterwards",
         [](ToplevelList& list) {
             const auto a = list.created();
             list.title(a, "A");
             list.done(a);
             const auto b = list.created();
             list.title(b, "B");
             list.done(b);
             list.takeChanges();
             list.closed(a);
             list.title(a, "late");
             list.done(a);
         },
         {"2:B:::"},
         {{Kind::windowGone, 1}, {Kind::windowList, 0}}},
        {"an output that goes leaves its windows",
         [](ToplevelList& list) {
             const auto a = list.created();
             list.outputEnter(a, 1);
             list.outputEnter(a, 2);
             list.outputEnter(a, 2);
             list.done(a);
             list.takeChanges();
             list.outputRemoved(1);
         },
         {"1::::2"},
         {}},
        {"ids are never reused after a close",
         [](ToplevelList& list) {
             list.closed(list.created());
             list.done(list.created());
         },
         {"2::::"},
         {{Kind::windowList, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ToplevelList list;
        c.events(list);
        EXPECT_EQ(shown(list), c.expected);
        EXPECT_EQ(list.takeChanges(), c.changes);
    }
}

TEST(SwayTreeTest, ViewsCarryTheirWorkspaceAndOutputAndHostileMembersReadAsEmpty) {
    const auto tree = nlohmann::json::parse(R"({
      "id": 1, "type": "root", "nodes": [
        {"id": 2, "type": "output", "name": "__i3", "nodes": [
          {"id": 3, "type": "workspace", "name": "__i3_scratch", "nodes": [], "floating_nodes": [
            {"id": 40, "type": "floating_con", "pid": 400, "app_id": "foot", "name": "Hidden",
             "rect": {"x": 0, "y": 0, "width": 500, "height": 300}}]}]},
        {"id": 4, "type": "output", "name": "HEADLESS-1", "nodes": [
          {"id": 5, "type": "workspace", "name": "1", "nodes": [
            {"id": 6, "type": "con", "name": null, "layout": "splitv", "nodes": [
              {"id": 10, "type": "con", "pid": 100, "app_id": "foot", "name": "Alpha",
               "rect": {"x": 0, "y": 25, "width": 960, "height": 1055}},
              {"id": 11, "type": "con", "pid": 110, "app_id": null, "name": "Xterm",
               "window_properties": {"class": "XTerm"},
               "rect": {"x": 960, "y": 25, "width": 960, "height": 1055}}]}],
           "floating_nodes": [
            {"id": 12, "type": "floating_con", "pid": "not a number", "app_id": 5, "name": ["odd"],
             "rect": "none"}]}]},
        {"id": 7, "type": "output", "name": "HEADLESS-2", "nodes": [
          {"id": 8, "type": "workspace", "name": "2", "nodes": [
            {"id": 13, "type": "con", "pid": 130, "app_id": "foot", "name": "Beta",
             "rect": {"x": 1920, "y": 25, "width": 1920, "height": 1055}}]}]}]})");
    const std::vector<SwayView> expected = {
        {40, 400, "foot", "Hidden", {0, 0, 500, 300}, "__i3_scratch", "__i3"},
        {10, 100, "foot", "Alpha", {0, 25, 960, 1055}, "1", "HEADLESS-1"},
        {11, 110, "XTerm", "Xterm", {960, 25, 960, 1055}, "1", "HEADLESS-1"},
        {12, 0, "", "", {}, "1", "HEADLESS-1"},
        {13, 130, "foot", "Beta", {1920, 25, 1920, 1055}, "2", "HEADLESS-2"},
    };
    EXPECT_EQ(viewsOf(tree), expected);
    EXPECT_TRUE(viewsOf(nlohmann::json::parse(R"([1, "two", null])")).empty());

    const auto outputs = nlohmann::json::parse(R"([
      {"name": "HEADLESS-1", "active": true, "focused": false, "current_workspace": "1",
       "rect": {"x": 0, "y": 0, "width": 1920, "height": 1080}},
      {"name": "HEADLESS-2", "active": true, "focused": true, "current_workspace": "2",
       "rect": {"x": 1920, "y": 0, "width": 1920, "height": 1080}},
      {"name": "DP-9", "active": false, "focused": "yes"},
      {"name": "DP-8", "active": "true"}])");
    const std::vector<SwayOutput> expectedOutputs = {{"HEADLESS-1", {0, 0, 1920, 1080}, false, "1"},
                                                     {"HEADLESS-2", {1920, 0, 1920, 1080}, true, "2"}};
    EXPECT_EQ(outputsOf(outputs), expectedOutputs);
}

TEST(SwayTreeTest, ToplevelsAreMatchedToViewsByAppIdAndTitleEachViewOnce) {
    const auto toplevel = [](std::uint32_t id, const char* title, const char* appId) {
        Toplevel made;
        made.id = id;
        made.title = title;
        made.appId = appId;
        return made;
    };
    const std::vector<SwayView> views = {{10, 100, "foot", "Same", {}, "1", "A"}, {11, 110, "foot", "Same", {}, "1", "A"},
                                         {12, 120, "gedit", "Notes", {}, "1", "A"}};
    const auto matched = matchViews({toplevel(1, "Notes", "gedit"), toplevel(2, "Same", "foot"), toplevel(3, "Same", "foot"),
                                     toplevel(4, "Same", "foot"), toplevel(5, "Notes", "foot")},
                                    views);
    std::vector<std::int64_t> conIds;
    for (const auto& view : matched) conIds.push_back(view ? view->conId : -1);
    EXPECT_EQ(conIds, (std::vector<std::int64_t>{12, 10, 11, -1, -1}));
}

const KeyChord kAltSpace{swayModifiers(0x800), 65, "space"};

TEST(SwayBindingsTest, AChordTheConfigurationBindsIsTakenWhicheverWayItIsWritten) {
    EXPECT_EQ(bindsymCombo(kAltSpace), "Mod1+space");
    EXPECT_EQ(bindsymCombo({swayModifiers(0x100 | 0x200 | 0x1000), 23, "Tab"}), "Control+Mod4+Shift+Tab");
    struct Case {
        const char* config;
        bool taken;
    };
    const Case cases[] = {
        {"bindsym Mod1+space exec rofi", true},
        {"bindsym Alt+Space nop", true},
        {"  bindsym --no-repeat --to-code mod1+space exec x", true},
        {"BindSym Mod1+space exec x", true},
        {"bindcode Mod1+65 exec x", true},
        {"set $mod Mod1\nbindsym $mod+space focus mode_toggle", true},
        {"set $mod Mod4\nset $modifier Mod1\nbindsym $modifier+space exec x", true},
        {"set $mod $mod+$mod\nbindsym $mod+space exec x", false},
        {"set $alt Mod1\nset $mod $alt\nbindsym $mod+space exec x", true},
        {"set $mod Mod4\nbindsym $mod+space focus mode_toggle", false},
        {"set $mod Mod1\nbindsym \\$mod+space exec x", false},
        {"set $mod Mod1\nset $m \\$mod\nbindsym $m+space exec x", false},
        {"set $mod Mod1\nbindsym $$mod+space exec x", false},
        {"bindsym Mod1+Shift+space floating toggle", false},
        {"bindsym Mod1+s layout stacking", false},
        {"bindcode Mod1+66 exec x", false},
        {"# bindsym Mod1+space exec x", false},
        {"mode \"resize\" {\n    bindsym Mod1+space mode default\n}", false},
        {"mode \"resize\"\n\n{\n    bindsym Mod1+space mode default\n}", false},
        {"mode \"resize\" {\n}\nbindsym Mod1+space exec x", true},
        {"mode default bindsym Mod1+space exec x", true},
        {"bindsym {\n  Mod1+space exec x\n}", true},
        {"bar {\n  bindsym Mod1+space exec x\n}", false},
        {"bindsym \\\n  Mod1+space exec x", true},
        {"bindsym Hyper+space exec x\nbindsym", false},
        {"", false},
    };
    for (const Case& c : cases) {
        const BindingCheck check = configBinds(c.config, {}, kAltSpace);
        EXPECT_EQ(check.bound, c.taken) << c.config;
        EXPECT_EQ(check.problem, "") << c.config;
    }
}

TEST(SwayBindingsTest, VariablesThatGrowEachOtherAreKeptLiteralAsSwayDoesOrMakeTheConfigurationUnreadable) {
    // Eight lines, each sixteen of the one before: sway keeps the escaped ones literal.
    std::string escaped = "set $v0 Mod1\n";
    std::string unescaped = escaped;
    for (int n = 1; n <= 8; ++n) {
        escaped += "set $v" + std::to_string(n) + " ";
        unescaped += "set $v" + std::to_string(n) + " ";
        for (int copy = 0; copy < 16; ++copy) {
            escaped += "\\$v" + std::to_string(n - 1);
            unescaped += "$v" + std::to_string(n - 1);
        }
        escaped += "\n";
        unescaped += "\n";
    }
    const BindingCheck literal = configBinds(escaped + "bindsym $v0+space exec x", {}, kAltSpace);
    EXPECT_TRUE(literal.bound);
    EXPECT_EQ(literal.problem, "");
    const BindingCheck grown = configBinds(unescaped + "bindsym $v0+space exec x", {}, kAltSpace);
    EXPECT_FALSE(grown.bound);
    EXPECT_EQ(grown.problem, "its variables grow past 64 KiB");
}

TEST(SwayBindingsTest, IncludedFilesAreReadAsSwayReadsThemEachOnce) {
    zerlith::testing::TempFolder folder;
    const std::filesystem::path root = folder.path();
    const std::map<std::string, std::string> files = {
        {"extra.conf", "bindsym Mod1+space exec x"},
        {"free.conf", "bindsym Mod4+space exec x"},
        {"conf.d/50-keys", "bindsym Mod1+space exec x"},
        {"conf.d/10-vars", "set $mod Mod1"},
        {"vars.conf", "set $mod Mod1"},
        {"self.conf", "include self.conf\ninclude loop.conf"},
        {"loop.conf", "include self.conf"},
        {"sub/nested.conf", "include extra.conf"},
        {"sub/extra.conf", "bindsym Mod4+space exec x"},
        {"modes.conf", "mode \"resize\" {\n  bindsym Mod1+space exec x\n}"},
        {"my keys.conf", "bindsym Mod1+space exec x"},
        {"config", "include config\ninclude free.conf"},
    };
    for (const auto& [name, text] : files) zerlith::testing::writeText(root / name, text);
    struct Case {
        std::string config;
        bool taken;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"include extra.conf", true, ""},
        {"include " + (root / "extra.conf").string(), true, ""},
        {"include free.conf", false, ""},
        {"include conf.d/*", true, ""},
        {"include conf.d/10-*\nbindsym $mod+space exec x", true, ""},
        {"include vars.conf\nbindsym $mod+space exec x", true, ""},
        {"set $dir conf.d\ninclude $dir/50-keys", true, ""},
        {"include $HOME/extra.conf", true, ""},
        {"include ~/extra.conf", true, ""},
        {"include \"my keys.conf\"", false, ""},
        {"include 'my\\ keys.conf'", true, ""},
        {"include missing.conf\ninclude none/*", false, ""},
        {"include self.conf\ninclude config", false, ""},
        {"include sub/nested.conf", false, ""},
        {"include modes.conf", false, ""},
        {"include extra.conf;true", false, ""},
        {"include $(echo extra.conf)", false, "where \"include $(echo extra.conf)\" leads is unknown"},
        {"include `echo extra.conf`", false, "where \"include `echo extra.conf`\" leads is unknown"},
    };
    const SwayConfigPlace place{root / "config", [&](const std::string& name) -> std::optional<std::string> {
                                    return name == "HOME" ? std::optional(root.string()) : std::nullopt;
                                }};
    for (const Case& c : cases) {
        const BindingCheck check = configBinds(c.config, place, kAltSpace);
        EXPECT_EQ(check.bound, c.taken) << c.config;
        EXPECT_EQ(check.problem, c.problem) << c.config;
    }
    // Without the main file's place, relative includes are unknown.
    EXPECT_EQ(configBinds("include extra.conf", {}, kAltSpace).problem, "where \"include extra.conf\" leads is unknown");
}

TEST(SwayProcessTest, TheMainConfigurationIsTheOneGivenElseTheFirstDefaultThatExists) {
    zerlith::testing::TempFolder folder;
    const std::filesystem::path root = folder.path();
    zerlith::testing::writeText(root / "home/.config/sway/config", "");
    zerlith::testing::writeText(root / "xdg/i3/config", "");
    const std::map<std::string, std::string> home = {{"HOME", (root / "home").string()}};
    const std::map<std::string, std::string> xdg = {{"HOME", (root / "home").string()}, {"XDG_CONFIG_HOME", (root / "xdg").string()}};
    EXPECT_EQ(swayConfigFile({"-c", "my.conf"}, "/work", home), "/work/my.conf");
    EXPECT_EQ(swayConfigFile({"--config=/etc/x"}, "/work", home), "/etc/x");
    EXPECT_EQ(swayConfigFile({"-d", "--config", "a", "-cb"}, "/work", home), "/work/b");
    EXPECT_EQ(swayConfigFile({}, "/work", home), root / "home/.config/sway/config");
    EXPECT_EQ(swayConfigFile({}, "/work", xdg), root / "xdg/i3/config");
}

}  // namespace
}  // namespace zerlith::wlroots
