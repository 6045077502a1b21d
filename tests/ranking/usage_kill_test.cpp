// SIGKILL at random moments while the recorder writes the history: after every kill the file
// loads and holds every use the recorder had seen flushed. ZERLITH_KILLS sets the number of
// kills (50 by default; scripts/kill-loop.sh runs 1,000).

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "ranking/usage_history.hpp"
#include "support/child_process.hpp"
#include "support/temp_folder.hpp"

namespace zerlith {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int killCount() {
    const char* kills = std::getenv("ZERLITH_KILLS");
    return kills != nullptr && std::atoi(kills) > 0 ? std::atoi(kills) : 50;
}

int leftoverTemporaries(const fs::path& folder) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) count += entry.path().filename().string().starts_with(".");
    return count;
}

TEST(UsageHistoryKillTest, EveryFlushedUseSurvivesAKillAtAnyMoment) {
    testing::TempFolder temp;
    const fs::path file = temp.path() / "Zerlith" / "usage.json";
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    // From before the history loads to a few writes later.
    std::uniform_int_distribution<int> killAfterMicros(0, 100'000);
    std::map<std::string, std::int64_t, std::less<>> flushed;

    auto countLine = [&](const std::string& line) {
        if (line.starts_with("flushed ")) ++flushed[line.substr(8)];
    };
    const int kills = killCount();
    for (int kill = 1; kill <= kills; ++kill) {
        testing::ChildProcess recorder({ZERLITH_USAGE_RECORDER, file.string()},
                                       {.pipeStdout = true, .quiet = false, .reportFd = std::nullopt});
        const auto killAt = Clock::now() + std::chrono::microseconds(killAfterMicros(random));
        while (Clock::now() < killAt) {
            const double left = std::chrono::duration<double>(killAt - Clock::now()).count();
            const auto line = recorder.readLine(left);
            if (!line) break;
            countLine(*line);
        }
        recorder.signal(SIGKILL);
        while (const auto line = recorder.readLine(10.0)) countLine(*line);  // flushed before the kill
        ASSERT_TRUE(recorder.wait(10.0)) << "kill " << kill;

        if (flushed.empty() && !fs::exists(file)) continue;
        const auto history = UsageHistory::decode(testing::readText(file));
        ASSERT_TRUE(history) << "kill " << kill << " left a history that does not load";
        for (const auto& [id, uses] : flushed) {
            const auto record = history->find(id);
            ASSERT_NE(record, history->end()) << "kill " << kill << " lost " << id;
            ASSERT_GE(record->second.count, uses) << "kill " << kill << " lost uses of " << id;
        }
        // The next start removes what an earlier kill left behind; at most this kill's is there.
        ASSERT_LE(leftoverTemporaries(file.parent_path()), 1) << "kill " << kill;
    }
    std::int64_t total = 0;
    for (const auto& [id, uses] : flushed) total += uses;
    std::cout << kills << " kills, " << total << " flushed uses, none lost\n";
}

}  // namespace
}  // namespace zerlith
