// The whole route with a real browser: headless Chromium on a private profile with the extension
// loaded and the host installed by `zerlith --install-browser-hosts`, pages from a local server,
// and `zerlith --dump` and `--raise` on a private X session.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <set>

#include <nlohmann/json.hpp>

#include "browser/support/local_web.hpp"
#include "x11/support/scoped_environment.hpp"
#include "x11/support/x_session.hpp"

namespace zerlith::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using x11::testing::ChildProcess;
using x11::testing::eventually;

/// Loading a browser and its extension takes seconds on a loaded machine.
constexpr double kBrowserTimeout = 60.0;

std::optional<fs::path> chromium() {
    for (const char* candidate : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
        if (fs::exists(candidate)) return candidate;
    }
    return std::nullopt;
}

/// Runs zerlith with `arguments`; what it printed, parsed.
json run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), ZERLITH_EXECUTABLE);
    ChildProcess zerlith(arguments, ChildProcess::Options{.pipeStdout = true, .quiet = true, .reportFd = std::nullopt});
    std::string output;
    while (auto line = zerlith.readLine(30.0)) output += *line + "\n";
    EXPECT_EQ(zerlith.wait(5.0), 0);
    return json::parse(output, nullptr, false);
}

json tabs(const json& dump) {
    auto found = json::array();
    for (const auto& target : dump.value("targets", json::array())) {
        if (target["kind"] == "tab") found.push_back({{"title", target["title"]}, {"url", target["url"]}});
    }
    return found;
}

/// The host processes of this executable still alive.
int hostsAlive() {
    int alive = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream file(entry.path() / "cmdline", std::ios::binary);
        const std::string command((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (command.starts_with(ZERLITH_EXECUTABLE + std::string(1, '\0') + "chrome-extension://")) ++alive;
    }
    return alive;
}

class ChromiumTest : public ::testing::Test {
protected:
    void SetUp() override {
        browserPath_ = chromium();
        if (!browserPath_) GTEST_SKIP() << "chromium is not installed (Debian: apt-get install chromium)";
        const auto home = fs::path(std::getenv("HOME"));
        environment_.set("XDG_RUNTIME_DIR", (home / "runtime").string());
        profile_ = home / "config" / "chromium";
        fs::create_directories(profile_);
        ASSERT_EQ(system((std::string(ZERLITH_EXECUTABLE) + " --install-browser-hosts >/dev/null").c_str()), 0);
        ASSERT_TRUE(fs::exists(profile_ / "NativeMessagingHosts" / "dev.zerlith.tabs.json"));

        browser_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{browserPath_->string(), "--headless=new", "--no-sandbox", "--disable-gpu",
                                     "--disable-quic", "--no-first-run", "--disable-background-networking",
                                     "--disable-component-update", "--disable-sync", "--remote-debugging-port=0",
                                     "--user-data-dir=" + profile_.string(), "--load-extension=" ZERLITH_EXTENSION,
                                     pages_.url("Alpha")},
            ChildProcess::Options{});
        // The browser names its DevTools port and path in this file once it listens.
        const auto portFile = profile_ / "DevToolsActivePort";
        ASSERT_TRUE(eventually([&] { return fs::exists(portFile) && fs::file_size(portFile) > 0; }, kBrowserTimeout));
        std::ifstream ports(portFile);
        std::uint16_t port = 0;
        std::string path;
        ports >> port >> path;
        devTools_ = std::make_unique<DevTools>(port, path);
    }

    std::string open(const std::string& title, bool newWindow) {
        return devTools_->call("Target.createTarget", {{"url", pages_.url(title)}, {"newWindow", newWindow}})["targetId"];
    }

    /// The tabs of the dump once they equal `expected`, or the last ones seen.
    json tabsOnceThey(const json& expected, json* lastDump = nullptr) {
        json seen;
        eventually(
            [&] {
                json dump = run({"--dump"});
                seen = tabs(dump);
                if (lastDump) *lastDump = dump;
                return seen == expected;
            },
            kBrowserTimeout);
        return seen;
    }

    json tab(const std::string& title) const { return {{"title", title}, {"url", pages_.url(title)}}; }

    x11::testing::XSession session_;
    x11::testing::ScopedEnvironment environment_;
    TitlePages pages_;
    std::optional<fs::path> browserPath_;
    fs::path profile_;
    std::unique_ptr<ChildProcess> browser_;
    std::unique_ptr<DevTools> devTools_;
};

TEST_F(ChromiumTest, TabsAreListedRaisedAndGoneWithTheBrowser) {
    const auto beta = open("Beta", false);
    open("Gamma", true);

    json dump;
    EXPECT_EQ(tabsOnceThey(json{tab("Alpha"), tab("Beta"), tab("Gamma")}, &dump),
              json({tab("Alpha"), tab("Beta"), tab("Gamma")}));
    EXPECT_EQ(dump["automation"]["chrome"], "allowed");
    EXPECT_EQ(dump["automation"]["firefox"], "notDetermined");
    EXPECT_EQ(dump["browsersRunning"]["chrome"], true);
    std::set<std::string> windows;  // "tab:chrome:WINDOW:URL"
    for (const auto& target : dump["targets"]) {
        const auto id = target["id"].get<std::string>();
        if (target["kind"] == "tab") windows.insert(id.substr(0, id.find(':', sizeof "tab:chrome:")));
    }
    EXPECT_EQ(windows.size(), 2u);

    // Beta, opened last in Alpha's window, is its active tab; raising Alpha selects it.
    const json trace = run({"--raise=Alpha:tab"});
    EXPECT_EQ(trace["found"], true);
    EXPECT_EQ(trace["activated"], true);
    EXPECT_EQ(trace["activeTabAfter"], "Alpha");
    EXPECT_EQ(trace["correctTab"], true);

    devTools_->call("Target.closeTarget", {{"targetId", beta}});
    EXPECT_EQ(tabsOnceThey(json{tab("Alpha"), tab("Gamma")}), json({tab("Alpha"), tab("Gamma")}));

    browser_->signal(SIGKILL);
    browser_->wait(10.0);
    EXPECT_EQ(tabsOnceThey(json::array(), &dump), json::array());
    EXPECT_EQ(dump["automation"]["chrome"], "notDetermined");
    EXPECT_TRUE(eventually([] { return hostsAlive() == 0; }, 10.0)) << "a host outlived its browser";
}

}  // namespace
}  // namespace zerlith::testing
