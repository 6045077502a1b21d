// A desktop at its worst, end to end: 10,000 windows whose titles include a megabyte, direction
// overrides, zero-width and combining floods and NUL bytes, an application that never answers
// accessibility, a browser whose scripts hang and one whose scripts fail. The dump lists every
// window with its title as given, as valid JSON, within the time limits of the hung parts.

#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "executable_test.hpp"

namespace {

using nlohmann::json;
using HostileDesktop = zerlith::testing::ExecutableTest;

constexpr int kApplications = 50;
constexpr int kWindows = 10'000;
constexpr int kHungPid = 100;

std::string repeated(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) result += text;
    return result;
}

const std::vector<std::string>& hostileTitles() {
    static const std::vector<std::string> titles = {
        std::string(1 << 20, 'M'),
        "\u202Egnp.exe\u202C \u2067isolated\u2069 \u200Fright-to-left mark",
        "zero" + repeated("\u200B\u200D\uFEFF", 30'000) + "width",
        "e" + repeated("\u0301\u0308", 50'000),
        std::string("before\0after", 12),
        "\u25CF \u2022 * \t\n\u3000",
    };
    return titles;
}

json hostileDesktop() {
    json apps = json::array();
    for (int app = 0; app < kApplications; ++app) {
        apps.push_back({{"pid", kHungPid + app}, {"name", "App " + std::to_string(app)},
                        {"bundleID", "org.example.app" + std::to_string(app)}, {"axHang", app == 0}});
    }
    apps.push_back({{"pid", 900}, {"bundleID", "com.google.Chrome"}, {"script", "hang"}});
    apps.push_back({{"pid", 901}, {"bundleID", "com.apple.Safari"}, {"script", "fail"}});
    json windows = json::array();
    const json frame = {{"x", 0}, {"y", 0}, {"w", 800}, {"h", 600}};
    for (int i = 0; i < kWindows; ++i) {
        const auto& hostile = hostileTitles();
        const std::string title = i < static_cast<int>(hostile.size()) ? hostile[i] : "Window " + std::to_string(i);
        windows.push_back({{"number", i + 1}, {"pid", kHungPid + i % kApplications}, {"title", title}, {"frame", frame}});
    }
    for (int browser : {900, 901}) {
        windows.push_back({{"number", 100 * browser}, {"pid", browser}, {"frame", frame},
                           {"tabs", {{{"title", "\u202Etab"}, {"url", "https://example.com/\u0000"}}}}});
    }
    return {{"apps", apps}, {"windows", windows}, {"frontmost", kHungPid + 1}, {"virtualTime", true},
            {"screens", {{{"name", "Main"}, {"frame", {{"x", 0}, {"y", 0}, {"w", 1920}, {"h", 1080}}}}}}};
}

TEST_F(HostileDesktop, DumpListsEveryWindowAsGivenWithinTheTimeLimits) {
    const auto outcome = run(writeDesktop(hostileDesktop().dump()), "--dump");
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    ASSERT_TRUE(json::accept(outcome.out)) << outcome.out.substr(0, 200);
    const auto dump = json::parse(outcome.out);

    // The last title is markers and white space only: nothing is left of it to list.
    EXPECT_EQ(dump["targetCount"], kWindows - 1);
    std::set<std::string> titles;
    for (const auto& target : dump["targets"]) titles.insert(target["title"].get<std::string>());
    const auto& hostile = hostileTitles();
    for (std::size_t i = 0; i + 1 < hostile.size(); ++i) {
        EXPECT_TRUE(titles.contains(hostile[i])) << "title " << i << " (" << hostile[i].size() << " bytes)";
    }
    // Virtual milliseconds: each hung part costs its own limit, the script's 5 s at most.
    EXPECT_LT(dump["enumerationMsCold"].get<double>(), 6'000);
    EXPECT_LT(dump["enumerationMsWarm"].get<double>(), 6'000);
}

}  // namespace
