// The native-messaging host in this process, between a fake browser (frames on a socket pair)
// and the bridge that Zerlith's processes reach it through.

#include "browser/browser_host.hpp"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <future>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "browser/host_bridge.hpp"
#include "browser/host_manifests.hpp"
#include "browser/local_socket.hpp"
#include "platform/clock.hpp"
#include "support/temp_folder.hpp"

namespace zerlith::browser {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr Pid kBrowserPid = 4242;
constexpr Pid kHostPid = 5151;

/// A host running on a thread as if it were process `hostPid`, with the browser's end of its pipes.
class RunningHost {
public:
    RunningHost(const std::string& folder, Pid hostPid) : path_(folder + "/browser-chrome-" + std::to_string(hostPid)) {
        int browserEnd[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, browserEnd), 0);
        browser_ = Socket(browserEnd[0]);
        hostEnd_ = Socket(browserEnd[1]);
        exit_ = std::async(std::launch::async, [this, folder, hostPid] {
            return runHost("chrome", "Chromium", kBrowserPid, hostPid, folder, hostEnd_.fd(), hostEnd_.fd(), log_);
        });
    }
    ~RunningHost() { close(); }

    const std::string& socketPath() const { return path_; }
    void send(std::string_view bytes) { ASSERT_TRUE(writeAll(browser_.fd(), bytes, 1s)); }
    json received() {
        const auto message = readMessage(browser_.fd(), fromHost_, 5s);
        return message ? json::parse(*message) : json();
    }
    /// Closes the browser's end, as a browser that quits, and waits for the host to end.
    void close() {
        if (!exit_.valid()) return;
        ::shutdown(browser_.fd(), SHUT_RDWR);
        ASSERT_EQ(exit_.wait_for(5s), std::future_status::ready);
        EXPECT_EQ(exit_.get(), 0) << log_.str();
    }

private:
    std::string path_;
    Socket browser_;
    Socket hostEnd_;
    FrameReader fromHost_;
    std::ostringstream log_;
    std::future<int> exit_;
};

/// A host and the running application's socket, which the host pokes on every change.
class HostFixture : public ::testing::Test {
protected:
    void SetUp() override { application_ = listenAt(folder() + "/instance"); }

    std::string folder() const { return temp_.path().string(); }
    void send(std::string_view bytes) { host_.send(bytes); }
    json received() { return host_.received(); }
    /// The line a host wrote to the running application's socket.
    std::string poke() {
        Socket accepted(::accept4(application_.fd(), nullptr, nullptr, SOCK_CLOEXEC));
        char line[64] = {};
        return accepted && ::read(accepted.fd(), line, sizeof line - 1) > 0 ? line : "";
    }

    /// A bridge of its own, which reads the hosts afresh.
    std::vector<platform::ConnectedBrowser> connected() { return HostBridge(folder(), clock_).connectedBrowsers(); }

    testing::TempFolder temp_;
    platform::ManualClock clock_;
    Socket application_;
    RunningHost host_{folder(), kHostPid};
};

/// A report of one tab.
std::string oneTab(std::string_view url) {
    return frame(json{{"type", "tabs"}, {"windows", {{{"id", 1}, {"tabs", {{{"index", 0}, {"url", url}}}}}}}}.dump());
}

/// Connects to `listener` until its queue takes no more, as callers of a stopped process do.
std::vector<Socket> fillQueue(const std::string& path) {
    std::vector<Socket> queued;
    while (auto socket = connectTo(path)) queued.push_back(std::move(socket));
    EXPECT_EQ(errno, EAGAIN);
    return queued;
}

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

    HostBridge bridge(folder(), clock_);
    auto browsers = bridge.connectedBrowsers();
    ASSERT_EQ(browsers.size(), 1u);
    EXPECT_EQ(browsers[0].kind, "chrome");
    EXPECT_EQ(browsers[0].name, "Chromium");
    EXPECT_EQ(browsers[0].pid, kBrowserPid);
    ASSERT_EQ(browsers[0].tabs.size(), 2u);
    EXPECT_EQ(browsers[0].tabs[0].title, hostile);
    EXPECT_EQ(browsers[0].tabs[1].index, 2);

    // A stranger's nonsense costs it its connection, nothing more.
    const auto stranger = connectTo(host_.socketPath());
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
    EXPECT_EQ(connected().size(), 1u) << "still serving";
}

TEST_F(HostFixture, EndsWithTheBrowserAndLeavesNothingBehind) {
    send(frame(R"({"type":"tabs","windows":[]})"));
    EXPECT_EQ(poke(), "tabs-changed chrome\n");
    host_.close();
    EXPECT_EQ(poke(), "tabs-changed chrome\n") << "the application learns that the tabs went";
    EXPECT_TRUE(connected().empty());
    EXPECT_FALSE(fs::exists(host_.socketPath()));
}

TEST_F(HostFixture, TwoProfilesOfOneBrowserKeepTheirOwnSockets) {
    RunningHost second(folder(), kHostPid + 1);
    for (auto* host : {&host_, &second}) {
        host->send(oneTab("https://a/"));
        EXPECT_EQ(poke(), "tabs-changed chrome\n");
    }
    const auto browsers = connected();
    ASSERT_EQ(browsers.size(), 2u) << "each profile's host answers";
    EXPECT_EQ(browsers[0].pid, kBrowserPid);
    EXPECT_EQ(browsers[1].pid, kBrowserPid);

    second.close();
    EXPECT_EQ(poke(), "tabs-changed chrome\n");
    EXPECT_EQ(connected().size(), 1u) << "the first profile's tabs stay";

    // A socket someone else has put in the host's place since is not the host's to remove.
    ASSERT_TRUE(fs::remove(host_.socketPath()));
    const auto successor = listenAt(host_.socketPath());
    host_.close();
    EXPECT_TRUE(fs::exists(host_.socketPath()));
}

TEST_F(HostFixture, AStalledHostCostsAMomentAndTheOthersStillAnswer) {
    host_.send(oneTab("https://a/"));
    EXPECT_EQ(poke(), "tabs-changed chrome\n");
    // Stopped hosts: one whose queue still has room (the request goes out, no answer comes), one
    // whose queue is full (a blocking connect would wait for ever).
    const auto roomLeft = listenAt(folder() + "/browser-chrome-1");
    auto full = listenAt(folder() + "/browser-chrome-2");
    const auto queued = fillQueue(folder() + "/browser-chrome-2");
    auto reading = std::async(std::launch::async, [this] { return connected(); });
    const auto started = std::chrono::steady_clock::now();
    const bool prompt = reading.wait_for(2s) == std::future_status::ready;
    if (!prompt) full = Socket();  // lets a blocked connect fail, so that the test ends
    ASSERT_TRUE(prompt) << "a stalled host hangs the reading";
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    const auto browsers = reading.get();
    ASSERT_EQ(browsers.size(), 1u);
    EXPECT_EQ(browsers[0].tabs.at(0).url, "https://a/");
    EXPECT_TRUE(fs::exists(folder() + "/browser-chrome-2")) << "a stalled host is not a dead one";
}

TEST_F(HostFixture, AStalledSwitcherDoesNotHoldTheHostUp) {
    // The switcher takes no connections and its queue is full: every poke finds no room.
    const auto queued = fillQueue(folder() + "/instance");
    for (int i = 0; i < 100; ++i) host_.send(oneTab("https://a/" + std::to_string(i)));
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    std::string latest;
    while (latest != "https://a/99" && std::chrono::steady_clock::now() < deadline) {
        const auto browsers = connected();
        latest = browsers.empty() || browsers[0].tabs.empty() ? "" : browsers[0].tabs[0].url;
    }
    EXPECT_EQ(latest, "https://a/99") << "the host stopped serving its browser";
}

TEST_F(HostFixture, OneReadingServesUntilABrowserReportsAChangeOrItAges) {
    struct Case {
        const char* name;
        std::function<void(HostBridge&)> between;
        bool readAgain;
    };
    const Case cases[] = {
        {"at once", [](HostBridge&) {}, false},
        {"after a browser's change", [](HostBridge& bridge) { bridge.reportsChanged(); }, true},
        {"half a second on", [this](HostBridge&) { clock_.advance(0.5); }, true},
    };
    host_.send(oneTab("https://a/"));
    EXPECT_EQ(poke(), "tabs-changed chrome\n");  // the first host listens
    Pid nextHost = kHostPid + 1;
    for (const auto& c : cases) {
        HostBridge bridge(folder(), clock_);
        const auto before = bridge.connectedBrowsers().size();
        RunningHost late(folder(), nextHost++);
        late.send(oneTab("https://late/"));
        EXPECT_EQ(poke(), "tabs-changed chrome\n");
        c.between(bridge);
        EXPECT_EQ(bridge.connectedBrowsers().size(), before + (c.readAgain ? 1 : 0)) << c.name;
        late.close();
        EXPECT_EQ(poke(), "tabs-changed chrome\n");
    }
}

/// The processor time `pid` has used, in clock ticks.
long processorTicks(pid_t pid) {
    const auto stat = testing::readText("/proc/" + std::to_string(pid) + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string skipped;
    for (int field = 3; field < 14; ++field) fields >> skipped;
    long user = 0, system = 0;
    fields >> user >> system;
    return user + system;
}

/// Whether the other end closes each of `sockets` (the closed ones aside) within `limit`.
bool allClosed(const std::vector<Socket>& sockets, std::chrono::seconds limit) {
    std::vector<pollfd> open;
    for (const auto& socket : sockets) {
        if (socket) open.push_back({socket.fd(), POLLIN, 0});
    }
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!open.empty()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ::poll(open.data(), open.size(), static_cast<int>(left.count())) < 0) return false;
        std::erase_if(open, [](const pollfd& entry) {
            char byte = 0;
            return entry.revents != 0 && ::read(entry.fd, &byte, 1) <= 0;
        });
    }
    return true;
}

TEST(BrowserHost, AtItsDescriptorLimitItShedsTheCrowdAndServesOn) {
    testing::TempFolder temp;
    int browserEnd[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, browserEnd), 0);
    const pid_t host = ::fork();
    if (host == 0) {
        // Room for the host's own descriptors and a few callers, no more.
        const rlimit files{static_cast<rlim_t>(browserEnd[1] + 6), static_cast<rlim_t>(browserEnd[1] + 6)};
        ::setrlimit(RLIMIT_NOFILE, &files);
        std::ostringstream log;
        ::_exit(runHost("chrome", "Chromium", kBrowserPid, kHostPid, temp.path().string(), browserEnd[1], browserEnd[1], log));
    }
    ::close(browserEnd[1]);
    Socket browser(browserEnd[0]);
    ASSERT_TRUE(writeAll(browser.fd(), oneTab("https://a/"), 1s));
    platform::ManualClock clock;
    const auto served = [&](std::chrono::seconds limit) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            if (!HostBridge(temp.path().string(), clock).connectedBrowsers().empty()) return true;
        }
        return false;
    };
    ASSERT_TRUE(served(5s));

    std::vector<Socket> crowd;
    for (int i = 0; i < 40; ++i) crowd.push_back(connectTo(temp.path().string() + "/browser-chrome-" + std::to_string(kHostPid)));
    const auto ticks = processorTicks(host);
    EXPECT_TRUE(allClosed(crowd, 5s)) << "the crowd holds the host";
    EXPECT_LT(processorTicks(host) - ticks, ::sysconf(_SC_CLK_TCK) / 2) << "the host spun";
    EXPECT_TRUE(served(5s)) << "the host stopped taking callers";

    ::shutdown(browser.fd(), SHUT_RDWR);
    int status = -1;
    ::waitpid(host, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
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
    platform::ManualClock clock;
    EXPECT_TRUE(HostBridge(temp.path().string(), clock).connectedBrowsers().empty());
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

TEST(HostManifests, AnyExecutablePathGivesValidJson) {
    for (const std::string path : {"/usr/bin/zerlith", "/opt/a \"b\"\\c/@HOST_NAME@", "/home/\xff\xfe/zerlith"}) {
        for (const std::string_view kind : {"chrome", "firefox"}) {
            const auto manifest = json::parse(hostManifest(kind, path));
            EXPECT_EQ(manifest["name"], "dev.zerlith.tabs") << path;
            EXPECT_EQ(manifest["type"], "stdio");
            EXPECT_EQ(manifest.size(), 5u);
        }
    }
    EXPECT_EQ(json::parse(hostManifest("chrome", "/opt/a \"b\"\\c"))["path"], "/opt/a \"b\"\\c");
}

}  // namespace
}  // namespace zerlith::browser
