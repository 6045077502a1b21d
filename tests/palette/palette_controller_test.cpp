#include <gtest/gtest.h>

#include "support/desktop_builders.hpp"
#include "support/forwarding_platform.hpp"
#include "cache/snapshot_store.hpp"
#include "desktop/activation_log.hpp"
#include "palette/palette_controller.hpp"
#include "ranking/usage_store.hpp"
#include "support/sim_fixture.hpp"
#include "system/usage_context.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;

constexpr Pid kEditor = 501;
constexpr Pid kMail = 600;

/// Records what the controller asks of its window.
class FakeWindow final : public PaletteWindow {
public:
    bool isVisible() const override { return visible; }
    void setFrame(const Rect& placed) override { frame = placed; }
    void showAndFocus() override { visible = true; }
    void hide() override { visible = false; }

    bool visible = false;
    Rect frame;
};

json desktop(bool twoScreens, bool trusted = true) {
    json screens = builtInAndExternal();
    if (!twoScreens) screens.erase(1);
    return {{"screens", screens},
            {"pointer", {{"x", 100}, {"y", 100}}},
            {"permissions", {{"accessibility", trusted}}},
            {"apps", {app(kEditor, "Editor", "com.example.editor"), app(kMail, "Mail", "com.example.mail")}},
            {"windows",
             {window(1, kMail, "Inbox", rect(100, 100, 600, 400)), window(2, kEditor, "Draft", rect(200, 100, 600, 400)),
              window(3, kEditor, "Spec", rect(300, 100, 600, 400))}},
            {"frontmost", kMail}};
}

class PaletteControllerTest : public ::testing::Test {
protected:
    explicit PaletteControllerTest(json spec = desktop(true)) : sim(spec) { snapshots.refreshAllBlocking(); }

    /// Opens the palette and types `query`.
    void open(const std::string& query = "") {
        controller.show();
        controller.model().setQuery(query);
    }

    std::int64_t frontWindow() { return sim.desktop().state().windows.front().number; }

    ActivationLog log;
    SimDesktopFixture sim;
    SnapshotStore snapshots;
    UsageStore usage{std::nullopt, sim.clock, sim.dispatch, UsageContext::currentKey};
    FakeWindow* window = nullptr;
    PaletteController controller{snapshots, usage, log, [this](PaletteController&) {
                                     auto made = std::make_unique<FakeWindow>();
                                     window = made.get();
                                     return made;
                                 }};
};

TEST_F(PaletteControllerTest, OpensNearTheTopOfTheActiveScreenWithItsNeighbours) {
    open();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->visible);
    EXPECT_EQ(window->frame, (Rect{720 - 360, 900 - 460 - 0.18 * 900, 720, 460}));
    EXPECT_EQ(controller.model().neighbors(), (PaletteModel::Neighbors{std::nullopt, "External"}));
    EXPECT_EQ(controller.model().results().back()->title, "Inbox") << "the window the user came from sinks";
}

TEST_F(PaletteControllerTest, KeysSwitchMoveOrStayAsTheyShould) {
    struct Case {
        const char* what;
        PaletteKeyPress press;
        std::string query;
        bool consumed;
        bool staysOpen;
        std::int64_t raised;  ///< the window brought to the front; 0: none
    };
    const Case cases[] = {
        {"Return raises in place", {PaletteKey::returnKey}, "spec", true, false, 3},
        {"keypad Enter too", {PaletteKey::keypadEnter}, "draft", true, false, 2},
        {"Return with nothing listed does nothing", {PaletteKey::returnKey}, "zzz", true, true, 0},
        {"Left with no screen there does nothing", {PaletteKey::left}, "spec", true, true, 0},
        {"Escape closes", {PaletteKey::escape}, "spec", true, false, 0},
        {"letters reach the search field", {PaletteKey::other}, "spec", false, true, 0},
    };
    for (const auto& c : cases) {
        open(c.query);
        const auto before = frontWindow();
        EXPECT_EQ(controller.handleKey(c.press), c.consumed) << c.what;
        sim.dispatch.runMainFor(1);
        EXPECT_EQ(controller.isVisible(), c.staysOpen) << c.what;
        EXPECT_TRUE(c.staysOpen || controller.model().query().empty()) << c.what;
        EXPECT_EQ(frontWindow(), c.raised != 0 ? c.raised : before) << c.what;
        controller.hide();
    }
}

TEST_F(PaletteControllerTest, ConfirmingRecordsTheUseInTheContextLeftBehind) {
    open("spec");
    const auto id = controller.model().selected()->id;
    controller.handleKey({PaletteKey::returnKey});
    EXPECT_EQ(usage.stats(id, "com.example.mail|Inbox").contextCount, 1);
}

TEST_F(PaletteControllerTest, ArrowsAndBringHereMoveTheWindowToTheirScreen) {
    struct Case {
        PaletteKeyPress press;
        std::string screen;
    };
    for (const auto& c : {Case{{PaletteKey::right}, "External"}, Case{{PaletteKey::returnKey, true}, "Built-in"}}) {
        open("spec");
        controller.handleKey(c.press);
        sim.dispatch.runMainFor(2);
        const auto frame = AX::frame(axWindow(kEditor, "Spec"));
        ASSERT_TRUE(frame);
        EXPECT_EQ(Screens::screenForAXRect(*frame)->name, c.screen);
    }
}

/// A desktop that cannot send windows to another screen, as a wlroots compositor without sway's IPC.
class PlatformWithoutMoves final : public ForwardingPlatform {
public:
    using ForwardingPlatform::ForwardingPlatform;
    desktop::ProviderInfo provider() const override {
        auto info = inner_.provider();
        info.capabilities.moveToScreen = false;
        return info;
    }
};

TEST_F(PaletteControllerTest, WhereWindowsCannotMoveNoNeighbourIsOfferedOrUsed) {
    PlatformWithoutMoves withoutMoves(platform::current());
    platform::ScopedPlatform installed(withoutMoves);
    open("spec");
    EXPECT_EQ(controller.model().neighbors(), (PaletteModel::Neighbors{std::nullopt, std::nullopt}));
    const auto before = frontWindow();
    EXPECT_TRUE(controller.handleKey({PaletteKey::right}));
    sim.dispatch.runMainFor(1);
    EXPECT_TRUE(controller.isVisible());
    EXPECT_EQ(frontWindow(), before);
}

TEST_F(PaletteControllerTest, ARefreshArrivingAfterClosingIsDropped) {
    snapshots.markAllDirty();
    open();
    controller.hide();
    sim.desktop().update([](sim::DesktopModel& model) { model.windows.pop_back(); });
    sim.dispatch.runUntilIdle();
    EXPECT_TRUE(controller.model().results().size() == 3 || controller.model().results().empty());
    EXPECT_EQ(controller.model().all().size(), 3u) << "the model keeps the list ranked at opening";
}

class UntrustedPaletteTest : public PaletteControllerTest {
protected:
    UntrustedPaletteTest() : PaletteControllerTest(desktop(false, false)) {}
};

TEST_F(UntrustedPaletteTest, AsksForThePermissionInsteadOfOpening) {
    controller.show();
    EXPECT_EQ(window, nullptr);
    EXPECT_FALSE(controller.isVisible());
}

}  // namespace
}  // namespace zerlith::testing
