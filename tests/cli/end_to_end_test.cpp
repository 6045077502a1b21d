#include <algorithm>

#include <nlohmann/json.hpp>

#include "executable_test.hpp"

namespace {

using nlohmann::json;
using EndToEnd = zerlith::testing::ExecutableTest;
using zerlith::testing::readFile;

const std::string kDesktop = R"({
  "screens": [{"name": "Main", "frame": {"x": 0, "y": 0, "w": 1920, "h": 1080}}],
  "apps": [{"pid": 10, "name": "Editor", "bundleID": "org.example.editor"},
           {"pid": 20, "name": "Safari", "bundleID": "com.apple.Safari"}],
  "windows": [
    {"number": 1, "pid": 10, "title": "notes.txt", "frame": {"x": 10, "y": 40, "w": 900, "h": 700}},
    {"number": 2, "pid": 10, "title": "todo.txt", "onscreen": false, "frame": {"x": 50, "y": 50, "w": 600, "h": 400}},
    {"number": 3, "pid": 20, "frame": {"x": 0, "y": 0, "w": 1200, "h": 800},
     "tabs": [{"title": "Pull request", "url": "https://github.com/o/r/pull/12345"},
              {"title": "", "url": "http://localhost:3000/app"}]}
  ],
  "frontmost": 10,
  "now": 1700000000
})";

TEST_F(EndToEnd, DumpListsEveryTargetRanked) {
    const auto outcome = run(writeDesktop(kDesktop), "--dump");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    ASSERT_TRUE(json::accept(outcome.out)) << outcome.out;
    const auto dump = json::parse(outcome.out);
    EXPECT_EQ(dump["targetCount"], 4);
    EXPECT_EQ(dump["contextKey"], "org.example.editor|notes.txt");
    EXPECT_EQ(dump["onOtherSpaces"], 1);
    std::vector<std::string> titles;
    for (const auto& target : dump["targets"]) titles.push_back(target["title"]);
    EXPECT_EQ(titles, (std::vector<std::string>{"todo.txt", "Pull request", "localhost:3000", "notes.txt"}))
        << "the same application's other window on the active screen, then the tabs by title, "
           "the current window last";
    EXPECT_NE(outcome.out.find("https://github.com/o/r/pull/12345"), std::string::npos);
}

// These answer without any desktop, so they work where no display is.
TEST_F(EndToEnd, HelpVersionAndMisuseFollowTheCommandLineConventions) {
    struct Case {
        std::string arguments;
        int status;
        std::string outStart;
        std::string errStart;
    };
    for (const auto& [arguments, status, outStart, errStart] : {
             Case{"--help", 0, "Usage: zerlith [MODE]\n", ""},
             Case{"-h --dump", 0, "Usage: zerlith [MODE]\n", ""},
             Case{"--version", 0, "zerlith " ZERLITH_VERSION "\n", ""},
             Case{"--frobnicate", 2, "",
                  "zerlith: unrecognized argument '--frobnicate'\nTry 'zerlith --help' for more information.\n"},
             Case{"--help \"$(printf 'x\\033[2J')\"", 2, "", "zerlith: unrecognized argument 'x?[2J'\n"},
         }) {
        const auto outcome = run(directory_ / "missing.json", arguments, "-u DISPLAY");
        EXPECT_EQ(outcome.status, status) << arguments;
        EXPECT_TRUE(outcome.out.starts_with(outStart)) << arguments << ": " << outcome.out;
        EXPECT_TRUE(outcome.err.starts_with(errStart)) << arguments << ": " << outcome.err;
        if (outStart.empty()) {
            EXPECT_EQ(outcome.out, "") << arguments;
        }
    }
}

TEST_F(EndToEnd, DumpFileWritesTheSameDocumentAndPrintsNothing) {
    const auto desktop = writeDesktop(kDesktop);
    const auto path = directory_ / "dump.json";
    const auto outcome = run(desktop, "--dump-file='" + path.string() + "' --dump");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "");
    const auto written = json::parse(readFile(path));
    const auto printed = json::parse(run(desktop, "--dump").out);
    for (const char* member : {"targets", "screens", "automation", "contextKey", "targetCount"}) {
        EXPECT_EQ(written[member], printed[member]) << member;
    }
}

TEST_F(EndToEnd, AnOutputFileThatCannotBeWrittenIsReportedWithExitOne) {
    struct Case {
        std::string arguments;
        std::string error;
    };
    const std::string folder = directory_.string();
    const Case cases[] = {
        {"--dump-file=/nonexistent/x.json", "zerlith: cannot write /nonexistent/x.json: No such file or directory\n"},
        {"--raise=notes --dump-file=/nonexistent/x.json",
         "zerlith: cannot write /nonexistent/x.json: No such file or directory\n"},
        {"--raise=absent --dump-file='" + folder + "'", "zerlith: cannot write " + folder + ": Is a directory\n"},
        {"--dump-file=", "zerlith: cannot write : No such file or directory\n"},
    };
    const auto desktop = writeDesktop(R"({"virtualTime": true})");
    for (const auto& c : cases) {
        const auto outcome = run(desktop, c.arguments);
        EXPECT_EQ(outcome.status, 1) << c.arguments;
        EXPECT_EQ(outcome.out, "") << c.arguments;
        EXPECT_EQ(outcome.err, c.error) << c.arguments;
    }
}

TEST_F(EndToEnd, BenchPrintsAHeaderAndFourRuns) {
    const auto outcome = run(writeDesktop(kDesktop), "--bench");
    EXPECT_EQ(outcome.status, 0);
    std::istringstream lines(outcome.out);
    std::string line;
    std::vector<std::string> all;
    while (std::getline(lines, line)) all.push_back(line);
    ASSERT_EQ(all.size(), 5u) << outcome.out;
    EXPECT_EQ(all[0], "Enumeration benchmark");
    EXPECT_EQ(all[1].substr(0, 24), "  windows (cold)        ");
    EXPECT_EQ(all[4].substr(0, 24), "  windows (warm 3)      ");
    for (std::size_t i = 1; i < all.size(); ++i) EXPECT_TRUE(all[i].ends_with(" ms   2 targets")) << all[i];
}

TEST_F(EndToEnd, WithheldPermissionsWarnAndDegrade) {
    const auto outcome = run(writeDesktop(R"({"permissions": {"accessibility": false, "screenRecording": false},
        "apps": [{"pid": 10, "name": "Editor"}],
        "windows": [{"number": 1, "pid": 10, "title": "a", "frame": {"x": 0, "y": 0, "w": 500, "h": 500}}]})"),
                             "--dump");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_NE(outcome.err.find("⚠ Accessibility not granted"), std::string::npos);
    EXPECT_NE(outcome.err.find("⚠ Screen Recording not granted"), std::string::npos);
    const auto dump = json::parse(outcome.out);
    EXPECT_EQ(dump["accessibilityGranted"], false);
    EXPECT_EQ(dump["targetCount"], 0) << "no window titles without screen recording";
}

TEST_F(EndToEnd, BadDesktopFilesAreRefusedWithOneLine) {
    for (const auto& [name, text] : std::vector<std::pair<std::string, std::string>>{
             {"not JSON", "{\"apps\": ["}, {"wrong type", R"({"apps": [{"pid": "ten"}]})"}}) {
        const auto outcome = run(writeDesktop(text), "--dump");
        EXPECT_EQ(outcome.status, 2) << name;
        EXPECT_EQ(outcome.out, "") << name;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << name << ": " << outcome.err;
        EXPECT_NE(outcome.err.find("desktop.json"), std::string::npos) << name << ": " << outcome.err;
    }
    const auto missing = run(directory_ / "missing.json", "--dump");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("missing.json"), std::string::npos);
}

// Without a desktop file: the session's desktop, as the providers of this build find it.
TEST_F(EndToEnd, ALiveDesktopThatIsNotThereIsSaidInOneLine) {
    const std::string noDisplay = "-u DISPLAY -u WAYLAND_DISPLAY -u ZERLITH_PROVIDER XDG_SESSION_TYPE=tty";
    const auto overSsh = run({}, "--dump", noDisplay);
    EXPECT_EQ(overSsh.status, 0);
    EXPECT_EQ(overSsh.err,
              "zerlith: no desktop found: neither DISPLAY nor WAYLAND_DISPLAY is set (XDG_SESSION_TYPE=tty); "
              "using an empty desktop\n");
    ASSERT_TRUE(json::accept(overSsh.out)) << overSsh.out;
    const auto dump = json::parse(overSsh.out);
    EXPECT_EQ(dump["provider"]["name"], "empty");
    EXPECT_EQ(dump["targets"], json::array());

    const auto unknown = run({}, "--dump", "-u DISPLAY -u WAYLAND_DISPLAY ZERLITH_PROVIDER=nowhere");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_TRUE(unknown.err.starts_with("zerlith: unknown provider \"nowhere\" in ZERLITH_PROVIDER; known: ")) << unknown.err;
    EXPECT_EQ(std::count(unknown.err.begin(), unknown.err.end(), '\n'), 1) << unknown.err;
}

TEST_F(EndToEnd, ApplicationModeRefusesWhatItCannotDo) {
    struct Case {
        std::string arguments;
        std::string environment;
        int status;
        std::string error;
    };
    const std::string runtime = "XDG_RUNTIME_DIR='" + (directory_ / "runtime").string() + "'";
    const Case cases[] = {
        {"--move=left", "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM", 2,
         "zerlith: no display to show the switcher on: set DISPLAY or WAYLAND_DISPLAY\n"},
        {"--palette", "QT_QPA_PLATFORM=offscreen " + runtime, 1, "zerlith: Zerlith is not running\n"},
        {"--instant", "QT_QPA_PLATFORM=offscreen " + runtime, 1, "zerlith: Zerlith is not running\n"},
        {"--settings", "QT_QPA_PLATFORM=offscreen " + runtime, 1, "zerlith: Zerlith is not running\n"},
    };
    for (const auto& c : cases) {
        const auto outcome = run(writeDesktop(kDesktop), c.arguments, c.environment);
        EXPECT_EQ(outcome.status, c.status) << c.arguments;
        EXPECT_EQ(outcome.err, c.error) << c.arguments;
    }
}

}  // namespace
