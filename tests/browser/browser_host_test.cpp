// The native-messaging host in this process, between a fake browser (frames on a socket pair)
// and the bridge that Zerlith's processes reach it through.

#include "browser/browser_host.hpp"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <filesystem>
#include <future>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "browser/host_bridge.hpp"
#include "browser/host_manifests.hpp"
#include "browser/local_socket.hpp"
#include "support/temp_folder.hpp"

namespace zerlith::browser {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr Pid kBrowserPid = 4242;

/// A host running on a thread, with the browser's end of its pipes and the running
/// application's socket, which the host pokes on every change.
class HostFixture : public ::testing::Test {
protected:
    void SetUp() override {
        int browserEnd[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, browserEnd), 0);
        browser_ = Socket(browserEnd[0]);
        hostEnd_ = Socket(browserEnd[1]);
        application_ = listenAt(folder() + "/instance");
        host_ = std::async(std::launch::async, [this] {
            return runHost("chrome", kBrowserPid, folder(), hostEnd_.fd(), hostEnd_.fd(), log_);
        });
    }
    void TearDown() override {
        ::shutdown(browser_.fd(), SHUT_RDWR);
        EXPECT_EQ(host_.get(), 0);
    }

    std::string folder() const { return temp_.path().string(); }
    void send(std::string_view bytes) { ASSERT_TRUE(writeAll(browser_.fd(), bytes, 1s)); }
    json received() {
        const auto message = readMessage(browser_.fd(), fromHost_, 5s);
        return message ? json::parse(*message) : json();
    }
    /// The line the host wrote to the running application's socket.
    std::string poke() {
        Socket accepted(::accept4(application_.fd(), nullptr, nullptr, SOCK_CLOEXEC));
        char line[64] = {};
        return accepted && ::read(accepted.fd(), line, sizeof line - 1) > 0 ? line : "";
    }

    testing::TempFolder temp_;
    Socket browser_;
    Socket hostEnd_;
    Socket application_;
    FrameReader fromHost_;
    std::ostringstream log_;
    std::future<int> host_;
};

TEST_F(HostFixture, RelaysReportsAndSelectionsAndSurvivesBrokenInput) {
    const std::string hostile = "\x01\x1e\x1f\u202E" + std::string(1 << 20, 'T');
    for (const std::string& broken : {std::string("not json"), std::string("[1,2]"), std::string(R"({"type":"x"})"),
                                      std::string(R"({"type":"tabs","windows":5})"), std::string("\xff\xfe")}) {
        send(frame(broken));
    }
    send(frame(json{{"type", "tabs"},
                    {"windows", {{{"id", 7}, {"tabs", {{{"index", 0}, {"title", hostile}, {"url", "https://a/"}},
                                                       {{"index", 1}, {"active", true}, {"url", "https://b/"}}}}}}}}
                   .dump()));
    EXPECT_EQ(poke(), "tabs-changed chrome\n");

    HostBridge bridge(folder());
    auto browsers = bridge.connectedBrowsers();
    ASSERT_EQ(browsers.size(), 1u);
    EXPECT_EQ(browsers[0].kind, "chrome");
    EXPECT_EQ(browsers[0].pid, kBrowserPid);
    ASSERT_EQ(browsers[0].tabs.size(), 2u);
    EXPECT_EQ(browsers[0].tabs[0].title, hostile);
    EXPECT_EQ(browsers[0].tabs[1].index, 2);

    // A stranger's nonsense costs it its connection, nothing more.
    const auto stranger = connectTo(folder() + "/browser-chrome-" + std::to_string(kBrowserPid));
    ASSERT_TRUE(stranger);
    ASSERT_TRUE(writeAll(stranger.fd(), frame("{") + std::string(4, '\xff'), 1s));

    EXPECT_FALSE(bridge.selectTab("chrome", 7, 3, "https://a/")) << "no such tab: the browser is not asked";
    EXPECT_FALSE(bridge.selectTab("firefox", 7, 1, "https://a/")) << "no such browser";
    auto selected = std::async(std::launch::async, [&] { return bridge.selectTab("chrome", 7, 1, "https://a/"); });
    const json request = received();
    EXPECT_EQ(request["type"], "select");
    EXPECT_EQ(request["windowId"], 7);
    EXPECT_EQ(request["index"], 0) << "the extension counts from 0";
    send(frame(json{{"type", "selected"}, {"request", 999}, {"ok", true}}.dump()));
    send(frame(json{{"type", "selected"}, {"request", request["request"]}, {"ok", true}}.dump()));
    EXPECT_TRUE(selected.get());
    EXPECT_EQ(bridge.connectedBrowsers().size(), 1u) << "still serving";
}

TEST_F(HostFixture, EndsWithTheBrowserAndLeavesNothingBehind) {
    send(frame(R"({"type":"tabs","windows":[]})"));
    EXPECT_EQ(poke(), "tabs-changed chrome\n");
    ::shutdown(browser_.fd(), SHUT_RDWR);
    EXPECT_EQ(host_.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(poke(), "tabs-changed chrome\n") << "the application learns that the tabs went";
    EXPECT_TRUE(HostBridge(folder()).connectedBrowsers().empty());
    EXPECT_FALSE(fs::exists(folder() + "/browser-chrome-" + std::to_string(kBrowserPid)));
}

TEST(BrowserHost, KnowsItsBrowserFromItsArguments) {
    const std::pair<std::vector<std::string>, std::optional<std::string>> cases[] = {
        {{"chrome-extension://pimdlaanahgelpmhbcilejfakcpfdbho/"}, "chrome"},
        {{"/home/u/.mozilla/native-messaging-hosts/dev.zerlith.tabs.json", "tabs@zerlith.dev"}, "firefox"},
        {{"/x/dev.zerlith.tabs.json", "other@example.com"}, std::nullopt},
        {{"--dump"}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const auto& [arguments, kind] : cases) EXPECT_EQ(hostKind(arguments), kind) << ::testing::PrintToString(arguments);
}

TEST(BrowserHost, SocketWithoutItsHostIsRemoved) {
    testing::TempFolder temp;
    const auto path = temp.path().string() + "/browser-chrome-1";
    listenAt(path);  // closed at once, as when a host is killed
    EXPECT_TRUE(HostBridge(temp.path().string()).connectedBrowsers().empty());
    EXPECT_FALSE(fs::exists(path));
}

TEST(HostManifests, WrittenForTheBrowsersThatHaveAProfile) {
    testing::TempFolder temp;
    const auto home = temp.path() / "home";
    const auto config = temp.path() / "config";
    fs::create_directories(config / "chromium");
    fs::create_directories(home / ".mozilla");
    std::ostringstream out;
    EXPECT_EQ(installHostManifests(home.string(), config.string(), "/opt/zerlith", out), 2);

    const auto chromium = json::parse(testing::readText(config / "chromium/NativeMessagingHosts/dev.zerlith.tabs.json"));
    EXPECT_EQ(chromium["path"], "/opt/zerlith");
    EXPECT_EQ(chromium["allowed_origins"], json({"chrome-extension://pimdlaanahgelpmhbcilejfakcpfdbho/"}));
    const auto firefox = json::parse(testing::readText(home / ".mozilla/native-messaging-hosts/dev.zerlith.tabs.json"));
    EXPECT_EQ(firefox["allowed_extensions"], json({"tabs@zerlith.dev"}));
    EXPECT_FALSE(fs::exists(config / "google-chrome")) << "a browser never run gets nothing";
    EXPECT_NE(out.str().find("Chromium: wrote "), std::string::npos);

    std::ostringstream none;
    EXPECT_EQ(installHostManifests((temp.path() / "empty").string(), (temp.path() / "empty").string(), "/z", none), 0);
    EXPECT_NE(none.str().find("No browser profile found"), std::string::npos);
}

}  // namespace
}  // namespace zerlith::browser
