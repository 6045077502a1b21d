#include <gtest/gtest.h>

#include "settings/updater.hpp"
#include "support/sim_fixture.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;

/// Answers each fetch when the test says so, and remembers what was asked.
class ScriptedFeed final : public UpdateFeed {
public:
    void fetch(const std::string& url, std::function<void(Result)> done) override {
        urls.push_back(url);
        pending = std::move(done);
    }
    void answer(Result result) {
        auto done = std::move(pending);
        pending = nullptr;
        done(std::move(result));
    }

    std::vector<std::string> urls;
    std::function<void(Result)> pending;
};

TEST(VersionTest, ComparesLikePeopleRead) {
    EXPECT_LT(compareVersions("0.1.0", "0.2.0"), 0);
    EXPECT_GT(compareVersions("1.10", "1.9"), 0);
    EXPECT_EQ(compareVersions("1.0", "1.0.0"), 0);
    EXPECT_LT(compareVersions("1.0b2", "1.0"), 0);
    EXPECT_LT(compareVersions("1.0b2", "1.0b10"), 0);
    EXPECT_GT(compareVersions("1.0.1", "1.0b1"), 0);
    EXPECT_LT(compareVersions("1.0-rc1", "1.0"), 0);
    EXPECT_GT(compareVersions("2", "1.99.99"), 0);
    EXPECT_EQ(compareVersions("000012", "12"), 0);
    EXPECT_GT(compareVersions("99999999999999999999999", "9"), 0);
}

TEST(VersionTest, PicksTheNewestReleaseAboveTheRunningOne) {
    const std::vector<FeedRelease> releases{{"0.1.0", "a"}, {"0.3.0", "c"}, {"", "x"}, {"0.2.5", "b"}};
    EXPECT_EQ(newestAbove(releases, "0.1.0")->link, "c");
    EXPECT_FALSE(newestAbove(releases, "0.3.0"));
    EXPECT_FALSE(newestAbove(releases, "1.0"));
    EXPECT_TRUE(isWebLink("https://example.org/r"));
    EXPECT_TRUE(isWebLink("HTTP://example.org"));
    EXPECT_FALSE(isWebLink("file:///etc/passwd"));
    EXPECT_FALSE(isWebLink("javascript:alert(1)"));
}

class UpdaterTest : public ::testing::Test {
protected:
    UpdaterTest() {
        updater.setListener([this](const Updater::Status& status, bool newVersion) {
            said.push_back(status.text);
            if (newVersion) announced.push_back(status.link);
        });
    }

    SimDesktopFixture sim{json::object()};
    platform::Preferences& preferences = *sim.desktop().preferences();
    ScriptedFeed feed;
    Updater updater{preferences, sim.clock, sim.dispatch, feed, "0.1.0", "https://example.org/appcast.xml"};
    std::vector<std::string> said;
    std::vector<std::string> announced;
};

TEST_F(UpdaterTest, AnnouncesANewerVersionWithItsLink) {
    updater.checkForUpdates();
    ASSERT_EQ(feed.urls, (std::vector<std::string>{"https://example.org/appcast.xml"}));
    EXPECT_TRUE(updater.status().checking);
    updater.checkForUpdates();  // one at a time
    EXPECT_EQ(feed.urls.size(), 1u);
    feed.answer(std::vector<FeedRelease>{{"0.2.0", "https://example.org/0.2.0"}});
    EXPECT_EQ(said, (std::vector<std::string>{"Checking for updates…", "Zerlith 0.2.0 is available."}));
    EXPECT_EQ(announced, (std::vector<std::string>{"https://example.org/0.2.0"}));
    EXPECT_FALSE(updater.status().checking);
}

TEST_F(UpdaterTest, SaysWhenTheRunningVersionIsTheNewest) {
    updater.checkForUpdates();
    feed.answer(std::vector<FeedRelease>{{"0.1.0", "https://example.org/0.1.0"}, {"0.0.9", "https://example.org/old"}});
    EXPECT_EQ(updater.status().text, "Zerlith 0.1.0 is the newest version.");
    EXPECT_TRUE(announced.empty());
}

TEST_F(UpdaterTest, NeverHandsOnALinkThatIsNotAWebPage) {
    updater.checkForUpdates();
    feed.answer(std::vector<FeedRelease>{{"9.0", "file:///bin/sh"}});
    EXPECT_EQ(updater.status().text, "Zerlith 9.0 is available.");
    EXPECT_EQ(updater.status().link, "");
}

TEST_F(UpdaterTest, AFailureIsASentence) {
    updater.checkForUpdates();
    feed.answer(std::string("the server did not answer in time"));
    EXPECT_EQ(updater.status().text, "Could not check for updates: the server did not answer in time.");
}

TEST_F(UpdaterTest, WithoutAFeedTheUserIsToldAndAutomaticChecksStayQuiet) {
    preferences.setValue("updates.feedURL", "");
    updater.start();
    sim.dispatch.runMainFor(3 * Updater::kCheckInterval);
    EXPECT_TRUE(feed.urls.empty());
    EXPECT_TRUE(said.empty());
    updater.checkForUpdates();
    EXPECT_EQ(said, (std::vector<std::string>{"No update feed is configured."}));
}

TEST_F(UpdaterTest, ChecksOnItsOwnAtMostOnceADay) {
    updater.start();
    sim.dispatch.runMainFor(Updater::kFirstCheckDelay - 1);
    EXPECT_TRUE(feed.urls.empty());
    sim.dispatch.runMainFor(1);
    ASSERT_EQ(feed.urls.size(), 1u);
    feed.answer(std::vector<FeedRelease>{});
    EXPECT_EQ(preferences.value("updates.lastCheck"), json(sim.clock.now()));
    sim.dispatch.runMainFor(Updater::kCheckInterval - 1);
    EXPECT_EQ(feed.urls.size(), 1u);
    sim.dispatch.runMainFor(1);
    EXPECT_EQ(feed.urls.size(), 2u);
}

TEST_F(UpdaterTest, ALaunchSoonAfterALastCheckWaitsForTheRestOfTheDay) {
    preferences.setValue("updates.lastCheck", sim.clock.now() - 3600);
    updater.start();
    sim.dispatch.runMainFor(Updater::kCheckInterval - 3600 - 1);
    EXPECT_TRUE(feed.urls.empty());
    sim.dispatch.runMainFor(1);
    EXPECT_EQ(feed.urls.size(), 1u);
}

TEST_F(UpdaterTest, TurningAutomaticChecksOffStopsThem) {
    updater.start();
    updater.setAutomaticallyChecksForUpdates(false);
    EXPECT_FALSE(updater.automaticallyChecksForUpdates());
    sim.dispatch.runMainFor(2 * Updater::kCheckInterval);
    EXPECT_TRUE(feed.urls.empty());
    updater.setAutomaticallyChecksForUpdates(true);
    sim.dispatch.runMainFor(Updater::kFirstCheckDelay);
    EXPECT_EQ(feed.urls.size(), 1u);
}

}  // namespace
}  // namespace zerlith::testing
