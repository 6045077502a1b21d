#include "ranking/usage_store.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/clock.hpp"
#include "platform/thread_dispatch.hpp"
#include "support/scoped_environment.hpp"
#include "support/temp_folder.hpp"
#include "support/sim_fixture.hpp"

namespace zerlith {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using testing::readText;
using testing::SimDesktopFixture;
using testing::TempFolder;
using testing::writeText;

using Stats = UsageStore::Stats;

void expectStats(const Stats& actual, const Stats& expected) {
    EXPECT_DOUBLE_EQ(actual.lastUsed, expected.lastUsed);
    EXPECT_EQ(actual.count, expected.count);
    EXPECT_EQ(actual.contextCount, expected.contextCount);
    EXPECT_EQ(actual.affinityTotal, expected.affinityTotal);
}

std::vector<std::string> filesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class UsageStoreTest : public ::testing::Test {
protected:
    SimDesktopFixture fixture{json::object()};
    TempFolder temp;
    fs::path folder = temp.path() / "data" / "Zerlith";
    fs::path file = folder / "usage.json";
    double now = fixture.clock.now();
};

TEST_F(UsageStoreTest, CountsUsesPerContext) {
    UsageStore store(std::nullopt, fixture.clock, fixture.dispatch, {});
    expectStats(store.stats("a", "K1"), {0, 0, 0, 0});

    store.record("a", std::nullopt);
    expectStats(store.stats("a", "K1"), {now, 1, 0, 0});

    fixture.clock.advance(60);
    store.record("a", "K1");
    store.record("a", "K1");
    store.record("a", "K2");
    expectStats(store.stats("a", "K1"), {now + 60, 4, 2, 3});
    expectStats(store.stats("a", "K2"), {now + 60, 4, 1, 3});
    expectStats(store.stats("a", std::nullopt), {now + 60, 4, 0, 3});
    expectStats(store.stats("a", "K3"), {now + 60, 4, 0, 3});
    expectStats(store.stats("b", "K1"), {0, 0, 0, 0});
}

TEST_F(UsageStoreTest, HistoryRoundTripsThroughTheFileWrittenCompactly) {
    {
        UsageStore store(file, fixture.clock, fixture.dispatch, {});
        store.record("win:com.example.app:Inbox", "com.example.app|Inbox — Archive");
        store.record("tab:chrome:7:https://example.com/?q=1", std::nullopt);
        EXPECT_FALSE(fs::exists(file)) << "writes wait for the queue";
        fixture.dispatch.runUntilIdle();
    }
    const std::string text = readText(file);
    EXPECT_EQ(text.find('\n'), std::string::npos);
    const json expected = {
        {"win:com.example.app:Inbox",
         {{"lastUsed", now}, {"count", 1}, {"affinity", {{"com.example.app|Inbox — Archive", 1}}}}},
        {"tab:chrome:7:https://example.com/?q=1",
         {{"lastUsed", now}, {"count", 1}, {"affinity", json::object()}}},
    };
    EXPECT_EQ(json::parse(text), expected);

    UsageStore reloaded(file, fixture.clock, fixture.dispatch, {});
    const Stats inbox = reloaded.stats("win:com.example.app:Inbox", "com.example.app|Inbox — Archive");
    expectStats(inbox, {now, 1, 1, 1});
    expectStats(reloaded.stats("tab:chrome:7:https://example.com/?q=1", std::nullopt), {now, 1, 0, 0});
}

TEST_F(UsageStoreTest, FolderAndFileAreForTheOwnerOnly) {
    UsageStore store(file, fixture.clock, fixture.dispatch, {});
    store.record("a", std::nullopt);
    fixture.dispatch.runUntilIdle();
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
    const auto fileMode = fs::status(file).permissions() & fs::perms::all;
    EXPECT_EQ(fileMode, fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(UsageStoreTest, MalformedFilesStartEmptyAndAreKeptAsideBeforeTheNextWrite) {
    const std::string valid = R"({"lastUsed": 1.5, "count": 2, "affinity": {"K": 1}})";
    const std::string cases[] = {
        "",
        "not json",
        "[]",
        R"("text")",
        R"({"a": )" + valid + ", ",  // cut short
        R"({"a": 3})",
        R"({"a": {"count": 2, "affinity": {}}})",
        R"({"a": {"lastUsed": 1, "affinity": {}}})",
        R"({"a": {"lastUsed": 1, "count": 2}})",
        R"({"a": {"lastUsed": "1", "count": 2, "affinity": {}}})",
        R"({"a": {"lastUsed": 1, "count": -2, "affinity": {}}})",
        R"({"a": {"lastUsed": 1, "count": 2.0, "affinity": {}}})",
        R"({"a": {"lastUsed": 1, "count": 9223372036854775808, "affinity": {}}})",
        R"({"a": {"lastUsed": 1, "count": 2, "affinity": []}})",
        R"({"a": {"lastUsed": 1, "count": 2, "affinity": {"K": "1"}}})",
        R"({"a": {"lastUsed": 1, "count": 2, "affinity": {"K": -1}}})",
        R"({"good": )" + valid + R"(, "bad": {"lastUsed": 1, "count": 2}})",
        "{\"a\xff\": " + valid + "}",  // invalid UTF-8
    };
    fixture.clock.setNow(1'700'000'000.0);
    const std::string aside = "usage.json.corrupt-20231114T221320";  // that time in UTC
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        fs::remove_all(folder);
        writeText(file, text);
        UsageStore store(file, fixture.clock, fixture.dispatch, {});
        expectStats(store.stats("a", "K"), {0, 0, 0, 0});
        expectStats(store.stats("good", "K"), {0, 0, 0, 0});
        EXPECT_EQ(readText(file), text) << "loading leaves the file alone";

        store.record("new", std::nullopt);
        fixture.dispatch.runUntilIdle();
        EXPECT_EQ(filesIn(folder), (std::vector<std::string>{"usage.json", aside}));
        EXPECT_EQ(readText(folder / aside), text);
        UsageStore reloaded(file, fixture.clock, fixture.dispatch, {});
        expectStats(reloaded.stats("new", std::nullopt), {1'700'000'000.0, 1, 0, 0});

        store.record("new", std::nullopt);
        fixture.dispatch.runUntilIdle();
        EXPECT_EQ(filesIn(folder).size(), 2u) << "only the file that failed to load is kept aside";
    }
}

TEST_F(UsageStoreTest, KeepingAsideNeverReplacesAnEarlierCorruptFile) {
    fixture.clock.setNow(1'700'000'000.0);
    const std::string aside = "usage.json.corrupt-20231114T221320";
    writeText(folder / aside, "older");
    writeText(file, "newer");
    UsageStore store(file, fixture.clock, fixture.dispatch, {});
    store.record("a", std::nullopt);
    fixture.dispatch.runUntilIdle();
    EXPECT_EQ(readText(folder / aside), "older");
    EXPECT_EQ(readText(folder / (aside + "-2")), "newer");
}

TEST_F(UsageStoreTest, AcceptsWhatAnotherWriterMayProduce) {
    // Integer times, unknown members, zero counts and duplicate keys (the last one wins).
    writeText(file, R"({"a": {"lastUsed": 12, "count": 0, "affinity": {"K": 0}, "pinned": true},
                        "b": {"lastUsed": 1, "count": 1, "affinity": {}},
                        "b": {"lastUsed": 2, "count": 5, "affinity": {"K": 4, "L": 1}}})");
    UsageStore store(file, fixture.clock, fixture.dispatch, {});
    expectStats(store.stats("a", "K"), {12, 0, 0, 0});
    expectStats(store.stats("b", "K"), {2, 5, 4, 5});
}

TEST_F(UsageStoreTest, HugeCountsSaturateInsteadOfWrapping) {
    writeText(file, R"({"a": {"lastUsed": 1, "count": 9223372036854775807,
                              "affinity": {"K": 9223372036854775807, "L": 9223372036854775807}}})");
    UsageStore store(file, fixture.clock, fixture.dispatch, {});
    store.record("a", "K");
    fixture.dispatch.runUntilIdle();
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    expectStats(store.stats("a", "K"), {now, kMax, kMax, kMax});
}

TEST_F(UsageStoreTest, InvalidUtf8InAContextDoesNotStopWrites) {
    UsageStore store(file, fixture.clock, fixture.dispatch, {});
    store.record("a", "com.example.app|caf\xc3");
    fixture.dispatch.runUntilIdle();
    UsageStore reloaded(file, fixture.clock, fixture.dispatch, {});
    EXPECT_EQ(reloaded.stats("a", std::nullopt).count, 1);
    EXPECT_EQ(reloaded.stats("a", std::nullopt).affinityTotal, 1);
}

TEST_F(UsageStoreTest, FlushWaitsForQueuedWritesWithinItsLimit) {
    UsageStore store(file, fixture.clock, fixture.dispatch, {});
    EXPECT_TRUE(store.flush(0));
    store.record("a", std::nullopt);
    const auto before = fixture.clock.monotonicNanos();
    EXPECT_FALSE(store.flush(0.5)) << "a manual dispatch runs nothing by itself";
    EXPECT_NEAR(static_cast<double>(fixture.clock.monotonicNanos() - before) / 1e9, 0.5, 0.02);
    fixture.dispatch.runUntilIdle();
    EXPECT_TRUE(store.flush(0));
    EXPECT_TRUE(UsageStore(std::nullopt, fixture.clock, fixture.dispatch, {}).flush(0))
        << "a store without a file has nothing to wait for";
}

TEST_F(UsageStoreTest, RecordsAndReadsFromManyThreadsWhileWriting) {
    platform::SystemClock clock;
    platform::ThreadDispatch dispatch;
    constexpr int kThreads = 4;
    constexpr int kUses = 30;  // even: half of them carry the context
    {
        UsageStore store(file, clock, dispatch, {});
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&store, t] {
                for (int i = 0; i < kUses; ++i) {
                    store.record("shared", i % 2 == 0 ? std::optional<std::string_view>("K") : std::nullopt);
                    store.record("own" + std::to_string(t), "K");
                    const Stats stats = store.stats("shared", "K");
                    EXPECT_LE(stats.contextCount, stats.count);
                    EXPECT_EQ(stats.contextCount, stats.affinityTotal);
                }
            });
        }
        for (auto& thread : threads) thread.join();
        EXPECT_TRUE(store.flush(30));
        const Stats shared = store.stats("shared", "K");
        EXPECT_EQ(shared.count, kThreads * kUses);
        EXPECT_EQ(shared.contextCount, kThreads * kUses / 2);
    }
    UsageStore reloaded(file, fixture.clock, fixture.dispatch, {});
    EXPECT_EQ(reloaded.stats("shared", std::nullopt).count, kThreads * kUses);
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(reloaded.stats("own" + std::to_string(t), "K").contextCount, kUses);
    }
}

TEST(UsageStoreLocation, FollowsXdgDataHomeThenHome) {
    struct Case {
        const char* dataHome;
        const char* home;
        std::optional<fs::path> file;
    };
    const Case cases[] = {
        {"/data", "/home/u", fs::path("/data/Zerlith/usage.json")},
        {nullptr, "/home/u", fs::path("/home/u/.local/share/Zerlith/usage.json")},
        {"", "/home/u", fs::path("/home/u/.local/share/Zerlith/usage.json")},
        {"relative/data", "/home/u", fs::path("/home/u/.local/share/Zerlith/usage.json")},
        {nullptr, nullptr, std::nullopt},
        {"/data", nullptr, fs::path("/data/Zerlith/usage.json")},
    };
    zerlith::testing::ScopedEnvironment environment;
    auto optional = [](const char* value) { return value ? std::optional<std::string>(value) : std::nullopt; };
    for (const auto& c : cases) {
        environment.set("XDG_DATA_HOME", optional(c.dataHome));
        environment.set("HOME", optional(c.home));
        EXPECT_EQ(UsageStore::defaultHistoryFile(), c.file)
            << (c.dataHome ? c.dataHome : "(unset)") << " " << (c.home ? c.home : "(unset)");
    }
}

}  // namespace
}  // namespace zerlith
