#include <gtest/gtest.h>

#include "activation/instant_switch.hpp"
#include "cache/snapshot_store.hpp"
#include "support/desktop_builders.hpp"
#include "providers/macos_model/window_menu.hpp"
#include "ranking/usage_store.hpp"
#include "support/sim_fixture.hpp"
#include "system/usage_context.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;
using Lines = std::vector<std::string>;

constexpr Pid kMail = 501;
constexpr Pid kNotes = 502;

json desktop() {
    return {{"apps", {app(kMail, "Mail", "com.example.mail"), app(kNotes, "Notes", "com.example.notes")}},
            {"windows", {window(1, kMail, "Inbox"), window(2, kNotes, "Groceries")}},
            {"frontmost", kMail}};
}

const Target kInbox = windowTarget(kMail, "com.example.mail", "Inbox");
const Target kArchive = windowTarget(kMail, "com.example.mail", "Inbox — Archive");
const Target kGroceries = windowTarget(kNotes, "com.example.notes", "Groceries");

class InstantSwitchTest : public ::testing::Test {
protected:
    ~InstantSwitchTest() override { sim.dispatch.runUntilIdle(); }

    /// A store whose windows source lists what `enumerate` returns and whose browsers list nothing,
    /// refreshed once.
    void listWindows(std::function<std::vector<Target>()> enumerate) {
        sim.dispatch.runUntilIdle();  // a refresh the last switch queued runs before its store goes
        store = std::make_unique<SnapshotStore>(
            SnapshotStore::Sources{{std::string(SnapshotStore::kWindows), std::move(enumerate)}});
        store->refreshAllBlocking();
    }
    void cache(std::vector<Target> targets) {
        listWindows([targets] { return targets; });
    }

    std::int64_t uses(const Target& target) { return usage.stats(target.id, std::nullopt).count; }

    ActivationLog log;
    SimDesktopFixture sim{desktop()};
    UsageStore usage{std::nullopt, sim.clock, sim.dispatch, UsageContext::currentKey};
    std::unique_ptr<SnapshotStore> store = std::make_unique<SnapshotStore>();
};

TEST_F(InstantSwitchTest, SkipsTheWindowTheUserIsInAndRecordsTheContext) {
    usage.record(kInbox.id, std::nullopt);  // the best-ranked target, were it not the current one
    cache({kInbox, kGroceries});

    InstantSwitch::toggle(*store, usage, log);

    EXPECT_EQ(uses(kInbox), 1);
    EXPECT_EQ(uses(kGroceries), 1);
    EXPECT_EQ(usage.stats(kGroceries.id, "com.example.mail|Inbox").contextCount, 1);
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(log.lastTrace(), (Lines{"kind=window tabRef=false windowRef=true", "menu.raise target='Groceries'",
                                              "candidates=1", "landed on candidate 0"}));
}

TEST_F(InstantSwitchTest, WithoutAFrontmostAppTheBestRankedTargetIsChosen) {
    sim.desktop().update([](sim::DesktopModel& model) { model.frontmost.reset(); });
    usage.record(kInbox.id, std::nullopt);
    cache({kInbox, kGroceries});

    InstantSwitch::toggle(*store, usage, log);

    EXPECT_EQ(uses(kInbox), 2);
    EXPECT_EQ(uses(kGroceries), 0);
    EXPECT_EQ(usage.stats(kInbox.id, std::nullopt).affinityTotal, 0);
}

TEST_F(InstantSwitchTest, AWindowThatCannotBeRaisedIsPassedOverWithoutAUse) {
    Target closed = windowTarget(kNotes, "com.example.notes", "Recipes");
    closed.window.reset();  // closed since the last listing: nothing left to raise
    usage.record(closed.id, "elsewhere");  // ranked first
    cache({kInbox, closed, kGroceries});

    EXPECT_TRUE(InstantSwitch::toggle(*store, usage, log));

    EXPECT_EQ(uses(closed), 1);
    EXPECT_EQ(uses(kGroceries), 1);
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(log.lastTrace().front(), "kind=window tabRef=false windowRef=true");

    cache({closed});
    EXPECT_FALSE(InstantSwitch::toggle(*store, usage, log)) << "nothing else to go to";
    EXPECT_EQ(uses(closed), 1);
}

TEST_F(InstantSwitchTest, DoesNothingWhenEveryCachedTargetIsCurrentOrTheCacheIsEmpty) {
    InstantSwitch::toggle(*store, usage, log);  // never refreshed: empty
    cache({kInbox, kArchive});
    InstantSwitch::toggle(*store, usage, log);

    EXPECT_EQ(uses(kInbox) + uses(kArchive), 0);
    EXPECT_TRUE(log.lastTrace().empty());
    EXPECT_TRUE(sim.desktop().actionLog().empty());
}

TEST_F(InstantSwitchTest, RefreshesTheDirtySourcesAfterwards) {
    cache({kInbox, kGroceries});
    store->markDirty(SnapshotStore::kWindows);
    const auto before = store->refreshCount();

    InstantSwitch::toggle(*store, usage, log);
    EXPECT_EQ(store->refreshCount(), before) << "the switch never waits for enumeration";
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(store->refreshCount(), before + 1);
}

TEST_F(InstantSwitchTest, APressThatFindsNowhereToGoListsTheWindowsForTheNext) {
    Target closed = windowTarget(kNotes, "com.example.notes", "Recipes");
    closed.window.reset();  // every window listed has closed since
    std::vector<Target> shown = {closed};
    listWindows([&shown] { return shown; });
    shown = {kInbox, kGroceries};  // opened since
    store->markDirty(SnapshotStore::kWindows);

    EXPECT_FALSE(InstantSwitch::toggle(*store, usage, log));
    sim.dispatch.runUntilIdle();
    EXPECT_TRUE(InstantSwitch::toggle(*store, usage, log));
    EXPECT_EQ(uses(kGroceries), 1);
}

}  // namespace
}  // namespace zerlith::testing
