#include "cache/snapshot_store.hpp"

#include <gtest/gtest.h>

#include "support/sim_fixture.hpp"

namespace zerlith {
namespace {

using nlohmann::json;
using testing::SimDesktopFixture;

Target named(const std::string& id) {
    Target target;
    target.id = id;
    return target;
}

std::vector<std::string> ids(const std::vector<Target>& targets) {
    std::vector<std::string> result;
    for (const auto& target : targets) result.push_back(target.id);
    return result;
}

/// Sources that name each pass ("windows 1", "chrome 2" ...) and let a test look in while a
/// source is being enumerated; a source without an enumeration lists nothing.
class CountingSources {
public:
    SnapshotStore::Sources sources() {
        SnapshotStore::Sources sources;
        for (const std::string name : {"chrome", "safari", "windows"})
            sources.push_back({name, [this, name] { return pass(name); }});
        sources.push_back({"firefox", {}});
        return sources;
    }

    std::map<std::string, int> passes;
    std::vector<std::string> order;
    std::function<void(const std::string&)> during;

private:
    std::vector<Target> pass(const std::string& name) {
        const int count = ++passes[name];
        order.push_back(name);
        if (during) during(name);
        return {named(name + " " + std::to_string(count))};
    }
};

class SnapshotStoreTest : public ::testing::Test {
protected:
    SimDesktopFixture sim{json::object()};
    CountingSources sources;
    SnapshotStore store{sources.sources()};
};

TEST_F(SnapshotStoreTest, StartsEmptyAndListsSourcesInTheirOrder) {
    EXPECT_TRUE(store.current().empty());
    EXPECT_EQ(store.refreshCount(), 0);

    const auto refreshed = store.refreshAllBlocking();
    EXPECT_EQ(sources.order, (std::vector<std::string>{"chrome", "safari", "windows"}));
    EXPECT_EQ(ids(refreshed), (std::vector<std::string>{"chrome 1", "safari 1", "windows 1"}));
    EXPECT_EQ(ids(store.current()), ids(refreshed));

    store.refreshAllBlocking();
    EXPECT_EQ(store.refreshCount(), 8);
    EXPECT_EQ(ids(store.current()), (std::vector<std::string>{"chrome 2", "safari 2", "windows 2"}));
}

TEST_F(SnapshotStoreTest, BackgroundRefreshRunsOnTheQueueAndCallsBackOnMain) {
    std::vector<std::vector<std::string>> callbacks;
    store.refreshDirty([&](std::vector<Target> targets) { callbacks.push_back(ids(targets)); });
    EXPECT_TRUE(sources.order.empty()) << "nothing runs on the calling thread";
    EXPECT_EQ(sim.dispatch.pendingBackgroundTasks(), 1u);

    sim.dispatch.runUntilIdle();
    EXPECT_EQ(store.refreshCount(), 4);
    EXPECT_EQ(callbacks, (std::vector<std::vector<std::string>>{{"chrome 1", "safari 1", "windows 1"}}));

    store.refreshDirty([&](std::vector<Target> targets) { callbacks.push_back(ids(targets)); });
    EXPECT_EQ(sim.dispatch.pendingBackgroundTasks(), 0u) << "nothing is dirty";
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(callbacks.size(), 1u) << "and the callback is never called";
}

TEST_F(SnapshotStoreTest, OnlyDirtySourcesAreEnumeratedAgain) {
    store.refreshAllBlocking();
    store.markDirty("chrome");
    store.markDirty("no such source");
    std::vector<std::string> whole;
    store.refreshDirty([&](std::vector<Target> targets) { whole = ids(targets); });
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(sources.passes,
              (std::map<std::string, int>{{"windows", 1}, {"chrome", 2}, {"safari", 1}}));
    EXPECT_EQ(whole, (std::vector<std::string>{"chrome 2", "safari 1", "windows 1"}))
        << "the callback sees the whole store";
    EXPECT_EQ(store.refreshCount(), 5);

    store.markAllDirty();
    store.refreshDirty();
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(store.refreshCount(), 9);
    store.refreshDirty();
    EXPECT_EQ(sim.dispatch.pendingBackgroundTasks(), 0u) << "the refresh cleared every mark";
}

TEST_F(SnapshotStoreTest, ARefreshAskedForWhileOneWaitsJoinsIt) {
    int completions = 0;
    store.refreshDirty([&](std::vector<Target>) { ++completions; });
    store.refreshDirty([&](std::vector<Target>) { ++completions; });
    EXPECT_EQ(sim.dispatch.pendingBackgroundTasks(), 1u);
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(store.refreshCount(), 4) << "each source enumerated once";
    EXPECT_EQ(completions, 2);
    EXPECT_EQ(ids(store.current()), (std::vector<std::string>{"chrome 1", "safari 1", "windows 1"}));

    // Once the refresh runs, a new request queues a refresh of its own.
    store.markAllDirty();
    store.refreshDirty();
    EXPECT_EQ(sim.dispatch.pendingBackgroundTasks(), 1u);
}

TEST_F(SnapshotStoreTest, CurrentAnswersMidRefreshWithOldAndAlreadyStoredLists) {
    store.refreshAllBlocking();
    store.markAllDirty();
    std::map<std::string, std::vector<std::string>> seen;
    sources.during = [&](const std::string& source) { seen[source] = ids(store.current()); };
    store.refreshDirty();
    sim.dispatch.runUntilIdle();

    EXPECT_EQ(seen["chrome"], (std::vector<std::string>{"chrome 1", "safari 1", "windows 1"}))
        << "the previous tabs while they are enumerated";
    EXPECT_EQ(seen["windows"], (std::vector<std::string>{"chrome 2", "safari 2", "windows 1"}))
        << "sources already refreshed in this pass show their new lists";
}

TEST_F(SnapshotStoreTest, AMarkSetDuringItsEnumerationSurvivesForTheNextRefresh) {
    // A window that appears while the list is read may be missed by that read: clearing its mark
    // with that refresh would leave it out until some other change.
    sources.during = [&](const std::string& source) {
        if (source == "windows" && sources.passes["windows"] == 1) store.markDirty("windows");
    };
    store.refreshDirty();
    sim.dispatch.runUntilIdle();
    store.refreshDirty();
    EXPECT_EQ(sim.dispatch.pendingBackgroundTasks(), 1u);
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(sources.passes["windows"], 2);
    EXPECT_EQ(sources.passes["chrome"], 1);
    store.refreshDirty();
    EXPECT_EQ(sim.dispatch.pendingBackgroundTasks(), 0u);
}

TEST(SnapshotStoreSources, ABrowserThatQuitsLeavesAnEmptyList) {
    SimDesktopFixture sim(json{
        {"apps",
         {{{"pid", 501}, {"name", "Editor"}, {"bundleID", "com.example.app"}},
          {{"pid", 601}, {"name", "Google Chrome"}, {"bundleID", "com.google.Chrome"}}}},
        {"windows",
         {{{"number", 1},
           {"pid", 501},
           {"title", "Notes"},
           {"frame", {{"x", 0}, {"y", 0}, {"w", 800}, {"h", 600}}}},
          {{"number", 2},
           {"pid", 601},
           {"frame", {{"x", 0}, {"y", 0}, {"w", 800}, {"h", 600}}},
           {"tabs", {{{"title", "Docs"}, {"url", "https://docs.example.com/"}}}}}}},
    });
    SnapshotStore store;
    EXPECT_EQ(
        ids(store.refreshAllBlocking()),
        (std::vector<std::string>{"tab:chrome:2:https://docs.example.com/", "win:com.example.app:Notes"}));

    sim.desktop().update([](sim::DesktopModel& model) {
        model.apps.pop_back();
        model.windows.pop_back();
    });
    store.markDirty("chrome");
    store.refreshDirty();
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(ids(store.current()), (std::vector<std::string>{"win:com.example.app:Notes"}));
}

TEST(SnapshotStoreGoneWindows, AWindowReportedGoneLeavesTheCacheAndAnEnumerationThatRanMeanwhile) {
    SimDesktopFixture sim{json::object()};
    std::vector<std::uint32_t> alive{1, 2, 3};
    std::function<void()> during;
    auto enumerateWindows = [&] {
        std::vector<Target> listed;
        for (const auto number : alive) {
            listed.push_back(named("w" + std::to_string(number)));
            WindowRef window;
            window.windowID = number;
            listed.back().window = std::make_shared<const WindowRef>(window);
        }
        if (during) std::exchange(during, {})();  // the desktop changes after the list was read
        return listed;
    };
    SnapshotStore store({{std::string(SnapshotStore::kWindows), enumerateWindows}});
    store.refreshAllBlocking();

    std::erase(alive, 2u);
    store.forgetWindow(2);
    EXPECT_EQ(ids(store.current()), (std::vector<std::string>{"w1", "w3"})) << "gone before any enumeration";

    during = [&] {
        std::erase(alive, 3u);
        store.forgetWindow(3);
    };
    store.refreshDirty();
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(ids(store.current()), (std::vector<std::string>{"w1"})) << "listed by a read from before it went";
    store.refreshDirty();  // still dirty: the change came while it ran
    sim.dispatch.runUntilIdle();
    EXPECT_EQ(store.refreshCount(), 3);
    EXPECT_EQ(ids(store.current()), (std::vector<std::string>{"w1"}));
}

}  // namespace
}  // namespace zerlith
