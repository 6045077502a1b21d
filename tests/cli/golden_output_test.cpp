// The outputs scripts and outside checks read, on the bundled example desktop, byte for byte
// against the files in golden/ (timings aside): any change to the desktop seam must leave them
// alone. After an intended change of output, rewrite them with
//   ZERLITH_UPDATE_GOLDEN=1 build/tests/cli/end_to_end_tests --gtest_filter='Golden*'
// and review the difference.
#include <cstdlib>
#include <fstream>

#include <nlohmann/json.hpp>

#include "executable_test.hpp"

namespace {

using nlohmann::ordered_json;
using Golden = zerlith::testing::ExecutableTest;
namespace fs = std::filesystem;

/// Members that time the run rather than describe the desktop.
void maskTimings(ordered_json& output) {
    for (const char* timing : {"enumerationMsCold", "enumerationMsWarm"}) {
        if (output.contains(timing)) output[timing] = "(timing)";
    }
}

TEST_F(Golden, TheDumpAndTheRaiseTracesOnTheExampleDesktop) {
    // On virtual time, so the raises' waits take no real time.
    auto example = ordered_json::parse(zerlith::testing::readFile(fs::path(ZERLITH_SOURCE_DIR) / "examples/desktop.json"));
    example["virtualTime"] = true;
    const auto desktop = writeDesktop(example.dump());
    const bool update = std::getenv("ZERLITH_UPDATE_GOLDEN") != nullptr;
    struct Case {
        const char* name;
        const char* arguments;
    };
    for (const auto& [name, arguments] : {
             Case{"dump", "--dump"},
             Case{"raise-window", "--raise=Package"},
             Case{"raise-window-menu", "--raise=NSWorkspace"},
             Case{"raise-tab", "'--raise=Sprint review:tab'"},
             Case{"raise-untitled-window", "--raise=Spotify"},
             Case{"raise-other-space", "--raise=Huddle"},
             Case{"raise-missing", "--raise=nothing-here"},
             Case{"move-left", "--raise=Groceries --move=left"},
             Case{"move-right", "--raise=zsh --move=right"},
             Case{"move-named", "'--raise=Slack' '--move=DELL U2720Q'"},
         }) {
        const auto outcome = run(desktop, arguments);
        ASSERT_EQ(outcome.status, 0) << name << ": " << outcome.err;
        auto output = ordered_json::parse(outcome.out);
        maskTimings(output);
        const auto file = fs::path(ZERLITH_SOURCE_DIR) / "tests/cli/golden" / (std::string(name) + ".json");
        if (update) {
            std::ofstream(file) << output.dump(2) << '\n';
            continue;
        }
        EXPECT_EQ(output.dump(2) + '\n', zerlith::testing::readFile(file)) << name << " differs from " << file;
    }
}

}  // namespace
