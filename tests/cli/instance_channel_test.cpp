// The running application's channel, attacked from outside: a crowd of idle connections.

#include <cerrno>
#include <chrono>
#include <memory>

#include "browser/local_socket.hpp"
#include "executable_test.hpp"
#include "support/child_process.hpp"
#include "x11/support/scoped_environment.hpp"

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
    x11::testing::ScopedEnvironment environment_;
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

}  // namespace
}  // namespace zerlith::testing
