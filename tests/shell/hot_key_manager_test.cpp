#include <gtest/gtest.h>

#include "shell/hot_key_manager.hpp"
#include "support/sim_fixture.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;
using Role = HotKeyManager::Role;

constexpr Shortcut kOptionSpace{49, Shortcut::kOption};
constexpr Shortcut kControlSpace{49, Shortcut::kControl};
constexpr Shortcut kOptionTab{48, Shortcut::kOption};

class HotKeyManagerTest : public ::testing::Test {
protected:
    HotKeyManager::Handler recordAs(std::string name) {
        return [this, name](std::uint32_t time, platform::KeyboardCapture) {
            presses.push_back(name + "@" + std::to_string(time));
        };
    }
    /// Presses the key and runs the main queue.
    std::vector<std::string> press(Shortcut key, std::uint32_t time = 7) {
        presses.clear();
        sim.desktop().pressHotKey({key.keyCode, key.carbonModifiers}, time);
        sim.dispatch.runUntilIdle();
        return presses;
    }

    SimDesktopFixture sim{json{{"heldShortcuts", {{{"keyCode", 49}, {"carbonModifiers", 2048}}}}}};
    HotKeyManager manager{*sim.desktop().hotKeys(), sim.dispatch};
    std::vector<std::string> presses;
};

using Lines = std::vector<std::string>;

TEST_F(HotKeyManagerTest, RunsTheRoleHandlerLaterFromTheMainQueue) {
    ASSERT_TRUE(manager.registerShortcut(Role::palette, kControlSpace, recordAs("palette")));
    ASSERT_TRUE(manager.registerShortcut(Role::instant, kOptionTab, recordAs("instant")));

    sim.desktop().pressHotKey({49, Shortcut::kControl}, 42);
    EXPECT_TRUE(presses.empty()) << "ran inside the desktop's callback";
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(presses, Lines{"palette@42"});
    EXPECT_EQ(press(kOptionTab), Lines{"instant@7"});
    EXPECT_EQ(press({49, Shortcut::kControl | Shortcut::kShift}), Lines{});
}

TEST_F(HotKeyManagerTest, ARoleHoldsOnlyItsLatestRegistration) {
    ASSERT_TRUE(manager.registerShortcut(Role::palette, kOptionTab, recordAs("first")));
    ASSERT_TRUE(manager.registerShortcut(Role::palette, kControlSpace, recordAs("second")));
    EXPECT_EQ(press(kOptionTab), Lines{});
    EXPECT_EQ(press(kControlSpace), Lines{"second@7"});

    manager.unregister(Role::palette);
    manager.unregister(Role::palette);  // nothing held: nothing happens
    EXPECT_EQ(press(kControlSpace), Lines{});
}

TEST_F(HotKeyManagerTest, AFailedRegistrationLeavesTheRoleWithNone) {
    ASSERT_TRUE(manager.registerShortcut(Role::palette, kControlSpace, recordAs("palette")));
    EXPECT_FALSE(manager.registerShortcut(Role::palette, kOptionSpace, recordAs("taken")));
    EXPECT_EQ(press(kControlSpace), Lines{});
    EXPECT_EQ(press(kOptionSpace), Lines{});
}

/// Global keys that report whatever id a test makes up.
class LooseHotKeys final : public platform::HotKeys {
public:
    void setPressHandler(PressHandler handler) override { handler_ = std::move(handler); }
    void setLossHandler(LossHandler handler) override { lossHandler_ = std::move(handler); }
    bool registerKey(std::uint32_t, std::uint32_t, std::uint32_t) override { return true; }
    void unregisterKey(std::uint32_t) override {}
    std::optional<std::string> layoutKeyName(std::uint32_t) override { return std::nullopt; }
    platform::KeyNotation notation() const override { return platform::KeyNotation::words; }

    PressHandler handler_;
    LossHandler lossHandler_;
};

TEST_F(HotKeyManagerTest, IgnoresUnknownIdsAndPressesThatOutliveTheManager) {
    LooseHotKeys keys;
    auto loose = std::make_unique<HotKeyManager>(keys, sim.dispatch);
    ASSERT_TRUE(loose->registerShortcut(Role::palette, kOptionSpace, recordAs("palette")));
    keys.handler_(99, 1, {});
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(presses, Lines{});

    const auto handler = keys.handler_;
    handler(1, 1, {});
    loose.reset();
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(presses, Lines{});
}

TEST_F(HotKeyManagerTest, AKeyTheDesktopTakesBackLeavesItsRoleWithNoneAndIsTold) {
    LooseHotKeys keys;
    auto loose = std::make_unique<HotKeyManager>(keys, sim.dispatch);
    std::vector<std::string> lost;
    loose->onLoss([&](Role role, const Shortcut& shortcut) {
        lost.push_back(std::to_string(static_cast<int>(role)) + " " + std::to_string(shortcut.keyCode));
    });
    ASSERT_TRUE(loose->registerShortcut(Role::palette, kOptionSpace, recordAs("palette")));
    ASSERT_TRUE(loose->registerShortcut(Role::instant, kOptionTab, recordAs("instant")));
    keys.lossHandler_(1);
    keys.lossHandler_(1);   // told twice: the role has nothing left to lose
    keys.lossHandler_(99);  // none of ours
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(lost, (std::vector<std::string>{"1 49"}));
    keys.handler_(1, 1, {});
    keys.handler_(2, 2, {});
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(presses, Lines{"instant@2"});

    keys.lossHandler_(2);
    loose.reset();  // a loss that outlives the manager reaches nobody
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(lost.size(), 1u);
}

/// Counts how the keyboard of each capture was let go.
class CountingKeeper final : public platform::KeyboardCapture::Keeper {
public:
    std::string takeTyped(std::uint64_t) override { return "typed"; }
    void release(std::uint64_t capture, bool handOver) override {
        released.push_back(std::to_string(capture) + (handOver ? " handed over" : " released"));
    }
    std::vector<std::string> released;
};

TEST_F(HotKeyManagerTest, EveryPathLetsTheKeyboardGoOnce) {
    LooseHotKeys keys;
    auto keeper = std::make_shared<CountingKeeper>();
    auto loose = std::make_unique<HotKeyManager>(keys, sim.dispatch);
    std::optional<platform::KeyboardCapture> kept;
    ASSERT_TRUE(loose->registerShortcut(Role::palette, kOptionSpace, [&](std::uint32_t, platform::KeyboardCapture typing) {
        EXPECT_EQ(typing.takeTyped(), "typed");
        kept = std::move(typing);
    }));
    ASSERT_TRUE(loose->registerShortcut(Role::instant, kOptionTab, [](std::uint32_t, platform::KeyboardCapture typing) {
        typing.handOver();
    }));

    keys.handler_(1, 1, {keeper, 1});  // kept by the handler until it lets go
    keys.handler_(2, 1, {keeper, 2});  // handed over
    keys.handler_(99, 1, {keeper, 3});  // no role has it
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(keeper->released, (Lines{"2 handed over", "3 released"}));
    kept.reset();
    loose->suspend();
    keys.handler_(1, 1, {keeper, 4});  // suspended
    sim.dispatch.runUntilIdle();
    keys.handler_(1, 1, {keeper, 5});  // never runs: the manager goes first
    loose.reset();
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(keeper->released, (Lines{"2 handed over", "3 released", "1 released", "4 released", "5 released"}));
    platform::KeyboardCapture outlived(keeper, 6);
    keeper.reset();  // the desktop went first: nothing to let go
}

}  // namespace
}  // namespace zerlith::testing

namespace zerlith::testing {
namespace {

TEST_F(HotKeyManagerTest, ASuspensionGivesTheKeysBackUntilResumed) {
    ASSERT_TRUE(manager.registerShortcut(Role::palette, kControlSpace, recordAs("palette")));
    ASSERT_TRUE(manager.registerShortcut(Role::instant, kOptionTab, recordAs("instant")));
    manager.suspend();
    manager.suspend();
    EXPECT_TRUE(manager.isSuspended());
    EXPECT_EQ(press(kControlSpace), Lines{});
    EXPECT_EQ(press(kOptionTab), Lines{});

    // Another application takes one of the keys meanwhile: that role is left without one.
    sim.desktop().update([](sim::DesktopModel& desktop) { desktop.heldShortcuts.push_back({48, Shortcut::kOption}); });
    manager.resume();
    EXPECT_FALSE(manager.isSuspended());
    EXPECT_EQ(press(kControlSpace), Lines{"palette@7"});
    EXPECT_EQ(press(kOptionTab), Lines{});
}

TEST_F(HotKeyManagerTest, ARegistrationWhileSuspendedResumesFirst) {
    ASSERT_TRUE(manager.registerShortcut(Role::instant, kOptionTab, recordAs("instant")));
    manager.suspend();
    ASSERT_TRUE(manager.registerShortcut(Role::palette, kControlSpace, recordAs("palette")));
    EXPECT_FALSE(manager.isSuspended());
    EXPECT_EQ(press(kOptionTab), Lines{"instant@7"});
    EXPECT_EQ(press(kControlSpace), Lines{"palette@7"});
}

}  // namespace
}  // namespace zerlith::testing
