// The running application's channel, attacked from outside: requests cut or overlong, a crowd of
// idle connections, two starts at once, a socket planted by another user.

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "browser/local_socket.hpp"
#include "executable_test.hpp"
#include "support/child_process.hpp"
#include "support/scoped_environment.hpp"

namespace zerlith::testing {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

class InstanceChannelTest : public ExecutableTest {
protected:
    void SetUp() override {
        ExecutableTest::SetUp();
        desktop_ = writeDesktop(R"({"screens": [{"name": "Main", "frame": {"x": 0, "y": 0, "w": 1920, "h": 1080}}]})");
        const auto home = directory_.string();
        // Inherited by the instances started here and by each run().
        environment_.set("ZERLITH_DESKTOP", desktop_.string());
        environment_.set("HOME", home);
        environment_.set("XDG_CONFIG_HOME", home + "/config");
        environment_.set("XDG_DATA_HOME", home + "/data");
        environment_.set("XDG_RUNTIME_DIR", home + "/runtime");
        environment_.set("QT_QPA_PLATFORM", "offscreen");
    }

    std::string socketPath() const { return (directory_ / "runtime/zerlith/instance").string(); }

    /// The application, started in the background with at most `files` descriptors.
    static std::unique_ptr<ChildProcess> start(int files = 1024) {
        return std::make_unique<ChildProcess>(
            std::vector<std::string>{"sh", "-c", "ulimit -n " + std::to_string(files) + "; exec '" ZERLITH_EXECUTABLE "'"},
            ChildProcess::Options{});
    }

    /// Whether a running instance takes `zerlith --settings` within `limit`.
    bool answers(std::chrono::seconds limit) {
        const auto until = SteadyClock::now() + limit;
        while (SteadyClock::now() < until) {
            if (run(desktop_, "--settings").status == 0) return true;
        }
        return false;
    }

    fs::path desktop_;
    zerlith::testing::ScopedEnvironment environment_;
};

TEST_F(InstanceChannelTest, AnIdleCrowdLeavesItUp) {
    const auto instance = start(256);
    ASSERT_TRUE(answers(30s));
    std::vector<browser::Socket> crowd;
    const auto until = SteadyClock::now() + 5s;
    while (crowd.size() < 1000 && SteadyClock::now() < until) {
        if (auto connection = browser::connectTo(socketPath())) {
            crowd.push_back(std::move(connection));
        } else if (errno != EAGAIN) {
            break;  // the socket is gone
        }
    }
    EXPECT_EQ(crowd.size(), 1000u) << "the socket went away";
    EXPECT_TRUE(answers(10s)) << "with the crowd still connected";
    crowd.clear();
    EXPECT_TRUE(answers(10s)) << "after the crowd has gone";
}

TEST_F(InstanceChannelTest, RequestsAreWholeLinesOfAtMost64Bytes) {
    const auto instance = start();
    ASSERT_TRUE(answers(30s));
    struct Case {
        std::vector<std::string> writes;
        bool answered;
    };
    const Case cases[] = {
        {{"reopen\n"}, true},
        {{"reo", "pen\n"}, true},
        {{"reopen\r\nand what follows\n"}, true},
        {{std::string(64, 'x') + "\n"}, true},
        {{std::string(65, 'x')}, false},
        {{std::string(40, 'x'), std::string(40, 'x') + "\n"}, false},
    };
    for (const auto& [writes, answered] : cases) {
        const auto connection = browser::connectTo(socketPath());
        ASSERT_TRUE(connection);
        for (const auto& bytes : writes) {
            ASSERT_TRUE(browser::writeAll(connection.fd(), bytes, 1s));
            std::this_thread::sleep_for(20ms);  // each write its own read there
        }
        const auto reply = browser::readLine(connection.fd(), 16, 5s);
        EXPECT_EQ(reply, answered ? std::optional<std::string>("ok") : std::nullopt) << writes.front();
    }
    EXPECT_TRUE(answers(10s));
}

TEST_F(InstanceChannelTest, TwoStartsAtOnceLeaveOneInstance) {
    const std::unique_ptr<ChildProcess> starts[] = {start(), start()};
    // One hands its request to the other and ends; the other runs on.
    std::optional<int> ended;
    const auto until = SteadyClock::now() + 30s;
    while (!ended && SteadyClock::now() < until) {
        for (const auto& each : starts) {
            if (!ended) ended = each->wait(0.05);
        }
    }
    EXPECT_EQ(ended, 0) << "both starts ran as instances";
    EXPECT_TRUE(answers(10s));
}

TEST_F(InstanceChannelTest, ASocketOfAnotherUserIsToldNothing) {
    if (::getuid() != 0) GTEST_SKIP() << "running a listener as another user needs root";
    const auto spot = directory_ / "stranger";
    fs::create_directories(spot);
    ::chmod(spot.c_str(), 0777);
    fs::create_directories(directory_ / "runtime/zerlith");
    ::chmod((directory_ / "runtime/zerlith").c_str(), 0700);
    int heard[2];
    ASSERT_EQ(::pipe2(heard, O_CLOEXEC), 0);
    const auto planted = (spot / "instance").string();
    const pid_t stranger = ::fork();
    if (stranger == 0) {
        // Another user's listener that takes any request and says it did.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(1);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, planted.c_str(), sizeof address.sun_path - 1);
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener, 4) != 0)
            ::_exit(1);
        (void)!::write(heard[1], "+", 1);
        for (;;) {
            const int caller = ::accept(listener, nullptr, nullptr);
            char request[64];
            const auto count = ::read(caller, request, sizeof request);
            (void)!::write(caller, "ok\n", 3);
            if (count > 0) (void)!::write(heard[1], request, static_cast<std::size_t>(count));
            ::close(caller);
        }
    }
    ::close(heard[1]);
    char ready = 0;
    ASSERT_EQ(::read(heard[0], &ready, 1), 1);
    ASSERT_EQ(::rename(planted.c_str(), socketPath().c_str()), 0);

    const auto outcome = run(desktop_, "--palette");
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "zerlith: Zerlith is not running\n");
    ::kill(stranger, SIGKILL);
    ::waitpid(stranger, nullptr, 0);
    char request[64];
    EXPECT_EQ(::read(heard[0], request, sizeof request), 0) << "the stranger heard the request";
    ::close(heard[0]);
}

}  // namespace
}  // namespace zerlith::testing
