// The zerlith executable on headless sway: the dump and the scripted raise over the
// foreign-toplevel protocol, with sway's IPC and without it.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "providers/wlroots/support/sway_session.hpp"
#include "support/child_process.hpp"

namespace zerlith::wlroots::testing {
namespace {

using nlohmann::json;

/// Two windows on the outputs' shown workspaces 1 and 2, one on workspace 3 behind workspace
/// 1, and the focus on the second.
class WlrootsCommandLineTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (!SwaySession::available()) GTEST_SKIP() << "sway is not installed";
        session_ = std::make_unique<SwaySession>();
        session_->focusWorkspace("1");
        windows_.push_back(session_->openWindow("Alpha Notes"));
        session_->focusWorkspace("3");
        windows_.push_back(session_->openWindow("Hidden Draft"));
        session_->focusWorkspace("2");
        windows_.push_back(session_->openWindow("Beta Mail"));
        session_->focusWorkspace("1");
        session_->swaymsg({"[title=\"^Beta Mail$\"]", "focus"});
    }

    bool withIpc() const { return GetParam(); }

    json run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), ZERLITH_EXECUTABLE);
        // Without sway's IPC only the protocol is left.
        ScopedEnvironment environment;
        if (!withIpc()) environment.set("SWAYSOCK", std::nullopt);
        const auto finished = ChildProcess::runToEnd(arguments);
        EXPECT_EQ(finished.status, 0);
        return json::parse(finished.output, nullptr, false);
    }

    /// The window that has the focus, as sway tells it.
    std::string focused() {
        for (const char* title : {"Alpha Notes", "Hidden Draft", "Beta Mail"}) {
            if (auto view = session_->findView(title); view && view->container.value("focused", false)) return title;
        }
        return "";
    }

    std::unique_ptr<SwaySession> session_;
    std::vector<SwaySession::Window> windows_;
};

TEST_P(WlrootsCommandLineTest, DumpListsTheWindowsWithTheirOutputsAndWorkspaces) {
    const json dump = run({"--dump"});
    ASSERT_FALSE(dump.is_discarded());
    EXPECT_EQ(dump["provider"]["name"], "wlroots");
    EXPECT_EQ(dump["provider"]["capabilities"]["moveToScreen"], withIpc());
    EXPECT_EQ(dump["provider"]["capabilities"]["workspaces"], withIpc());
    EXPECT_EQ(dump["contextKey"], "foot|Beta Mail");
    ASSERT_EQ(dump["screens"].size(), 2u);
    EXPECT_EQ(dump["screens"][0]["name"], "HEADLESS-1");
    EXPECT_EQ(dump["screens"][0]["isPrimary"], true);
    EXPECT_EQ(dump["screens"][1]["frame"]["x"], 1920.0);

    struct Expected {
        const char* title;
        const char* screen;
        bool onCurrentSpace;  ///< with sway's IPC; without it every window counts as shown
    };
    ASSERT_EQ(dump["targetCount"], 3);
    EXPECT_EQ(dump["onOtherSpaces"], withIpc() ? 1 : 0);
    for (const Expected& expected : {Expected{"Alpha Notes", "HEADLESS-1", true}, Expected{"Hidden Draft", "HEADLESS-1", false},
                                     Expected{"Beta Mail", "HEADLESS-2", true}}) {
        SCOPED_TRACE(expected.title);
        const auto target = std::find_if(dump["targets"].begin(), dump["targets"].end(),
                                          [&](const json& t) { return t["title"] == expected.title; });
        ASSERT_NE(target, dump["targets"].end());
        EXPECT_EQ((*target)["app"], "foot");
        EXPECT_EQ((*target)["screen"], expected.screen);
        EXPECT_EQ((*target)["onCurrentSpace"], expected.onCurrentSpace || !withIpc());
    }
}

TEST_P(WlrootsCommandLineTest, RaiseFocusesAWindowOnAHiddenWorkspaceAndMoveSendsItToTheNextOutput) {
    json trace = run({"--raise=Hidden Draft"});
    EXPECT_EQ(trace["found"], true);
    EXPECT_TRUE(eventually([&] { return focused() == "Hidden Draft"; })) << focused();

    trace = run({"--raise=Alpha Notes", "--move=right"});
    EXPECT_EQ(trace["found"], true);
    EXPECT_TRUE(eventually([&] { return focused() == "Alpha Notes"; })) << focused();
    // Only sway's IPC moves a window to another output.
    EXPECT_EQ(session_->findView("Alpha Notes")->output, withIpc() ? "HEADLESS-2" : "HEADLESS-1");
    if (withIpc()) {
        EXPECT_EQ(trace["landedOnRequestedScreen"], true);
    }
}

INSTANTIATE_TEST_SUITE_P(IpcAndProtocolOnly, WlrootsCommandLineTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) { return param.param ? "WithSwayIpc" : "ProtocolOnly"; });

}  // namespace
}  // namespace zerlith::wlroots::testing
