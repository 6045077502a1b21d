#include "providers/macos_model/apple_script_runner.hpp"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/sim_fixture.hpp"
#include "support/forwarding_platform.hpp"
#include "support/temp_folder.hpp"

namespace zerlith::AppleScriptRunner {
namespace {

namespace fs = std::filesystem;
using detail::runProcess;

/// Writes interpreter stand-ins (shell scripts taking "-e" and the source) into a fresh
/// directory that goes away with the fixture.
class ScriptRunnerTest : public ::testing::Test {
protected:
    std::string interpreter(const std::string& name, const std::string& body, bool executable = true) {
        const fs::path path = folder_.path() / name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(path,
                        executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
        return path.string();
    }

    std::string file(const std::string& name) const { return (folder_.path() / name).string(); }

    zerlith::testing::TempFolder folder_;
};

int openDescriptors() {
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++count;
    }
    return count;
}

/// A process that exists and is not a zombie.
bool processRuns(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const auto afterName = line.rfind(')');
    return afterName != std::string::npos && line.size() > afterName + 2 && line[afterName + 2] != 'Z';
}

pid_t readPid(const std::string& path) {
    pid_t pid = 0;
    std::ifstream(path) >> pid;
    return pid;
}

TEST_F(ScriptRunnerTest, ReturnsTheOutputExactlyAsPrinted) {
    const auto echo = interpreter("echo", R"(printf '%s' "$2")");
    const std::string source = "tell application \"Safari\"\n    return \"héllo ¬ 😀\"\nend tell";
    EXPECT_EQ(runProcess(echo, source, 2.0), source);

    const auto withNewline = interpreter("newline", R"(printf '%s\n' "$2")");
    EXPECT_EQ(runProcess(withNewline, "x", 2.0), "x\n") << "the runner trims nothing";

    const auto silent = interpreter("silent", "exit 0");
    EXPECT_EQ(runProcess(silent, "x", 2.0), "") << "empty output is a result, not an absence";
}

TEST_F(ScriptRunnerTest, PassesTheDashEFlagAndClosesStandardInput) {
    const auto probe = interpreter("probe", R"(printf '%s|' "$1"; cat; printf '|%s' "$#")");
    EXPECT_EQ(runProcess(probe, "src", 2.0), "-e||2");
}

TEST_F(ScriptRunnerTest, DrainsOutputLargerThanThePipe) {
    const auto big = interpreter("big", "head -c 300000 /dev/zero | tr '\\0' a");
    const auto output = runProcess(big, "x", 5.0);
    ASSERT_TRUE(output);
    EXPECT_EQ(*output, std::string(300000, 'a'));
}

TEST_F(ScriptRunnerTest, FailuresGiveNoResult) {
    struct Case {
        const char* name;
        std::string body;
    };
    const Case cases[] = {
        {"fails after printing", "printf 'partial output'; exit 1"},
        {"killed by a signal", "printf 'x'; kill -9 $$"},
        {"invalid UTF-8", R"(printf 'ok \377 bad')"},
        {"truncated sequence", R"(printf 'caf\303')"},
        {"error text only", "echo oops >&2; exit 3"},
    };
    for (const auto& [name, body] : cases) {
        EXPECT_EQ(runProcess(interpreter("case", body), "x", 2.0), std::nullopt) << name;
    }
}

TEST_F(ScriptRunnerTest, InterpretersThatCannotStartGiveNoResult) {
    EXPECT_EQ(runProcess(file("missing"), "x", 1.0), std::nullopt);
    EXPECT_EQ(runProcess(interpreter("plain", "printf ok", false), "x", 1.0), std::nullopt);
    EXPECT_EQ(runProcess(folder_.path().string(), "x", 1.0), std::nullopt) << "a directory";
    EXPECT_EQ(runProcess(interpreter("echo", R"(printf '%s' "$2")"), std::string("a\0b", 3), 1.0),
              std::nullopt)
        << "a NUL would cut the script short";
}

TEST_F(ScriptRunnerTest, ScriptPastItsLimitIsTerminatedWithItsChildren) {
    const auto slow = interpreter("slow", "echo $$ > '" + file("child") + "'\n" + "sleep 30 &\necho $! > '" +
                                              file("grandchild") + "'\nprintf started\nwait");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runProcess(slow, "x", 0.3), std::nullopt);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(290));
    EXPECT_LT(elapsed, std::chrono::milliseconds(1500));

    const pid_t child = readPid(file("child"));
    ASSERT_GT(child, 0);
    EXPECT_FALSE(processRuns(child));
    EXPECT_NE(::kill(child, 0), 0) << "the child was reaped, not left a zombie";

    const pid_t grandchild = readPid(file("grandchild"));
    ASSERT_GT(grandchild, 0);
    for (int poll = 0; poll < 100 && processRuns(grandchild); ++poll) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(processRuns(grandchild));
}

TEST_F(ScriptRunnerTest, ChildIgnoringTerminationIsKilledAfterTheGrace) {
    const auto stubborn = interpreter(
        "stubborn", "echo $$ > '" + file("child") + "'\ntrap '' TERM\n" + "while :; do sleep 0.05; done");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runProcess(stubborn, "x", 0.2), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    EXPECT_FALSE(processRuns(readPid(file("child"))));
}

TEST_F(ScriptRunnerTest, LeavesNoDescriptorsBehind) {
    const auto echo = interpreter("echo", R"(printf '%s' "$2")");
    const auto failing = interpreter("failing", "printf x; exit 2");
    const auto slow = interpreter("slow", "sleep 30");
    runProcess(echo, "warm up", 1.0);

    const int before = openDescriptors();
    runProcess(echo, "x", 2.0);
    runProcess(failing, "x", 2.0);
    runProcess(file("missing"), "x", 2.0);
    runProcess(slow, "x", 0.1);
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(ScriptRunnerTest, RunUsesThePlatformsInterpreterOrAsksItInProcess) {
    testing::SimDesktopFixture sim(nlohmann::json::object());
    {
        testing::ScriptRecordingPlatform inProcess;
        EXPECT_EQ(run("tell application \"Nobody\" to quit", 2.5), std::nullopt);
        ASSERT_EQ(inProcess.scripts.calls.size(), 1u);
        EXPECT_EQ(inProcess.scripts.calls[0].timeout, 2.5);
    }
    testing::ScriptRecordingPlatform outOfProcess(interpreter("echo", R"(printf '%s' "$2")"));
    EXPECT_EQ(run("return 1", 2.0), "return 1");
    EXPECT_TRUE(outOfProcess.scripts.calls.empty());
}

}  // namespace
}  // namespace zerlith::AppleScriptRunner
