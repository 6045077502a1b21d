// The whole route with real browsers: headless Chromium and Firefox ESR on private profiles with
// the extension loaded and the host installed by `zerlith --install-browser-hosts`, pages from a
// local server, and `zerlith --dump` and `--raise` on a private X session.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

#include <nlohmann/json.hpp>

#include "browser/support/local_web.hpp"
#include "support/scoped_environment.hpp"
#include "x11/support/x_session.hpp"

namespace zerlith::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using x11::testing::ChildProcess;
using zerlith::testing::eventually;

/// Loading a browser and its extension takes seconds on a loaded machine.
constexpr double kBrowserTimeout = 60.0;

/// Runs zerlith with `arguments`; what it printed, parsed.
json run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), ZERLITH_EXECUTABLE);
    const auto finished = ChildProcess::runToEnd(arguments);
    EXPECT_EQ(finished.status, 0);
    return json::parse(finished.output, nullptr, false);
}

json tabs(const json& dump) {
    auto found = json::array();
    for (const auto& target : dump.value("targets", json::array())) {
        if (target["kind"] == "tab") found.push_back({{"title", target["title"]}, {"url", target["url"]}});
    }
    return found;
}

/// The arguments of every process of this executable still alive.
std::vector<std::vector<std::string>> zerlithProcesses() {
    std::vector<std::vector<std::string>> processes;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        std::ifstream file(entry.path() / "cmdline", std::ios::binary);
        std::vector<std::string> arguments;
        for (std::string argument; std::getline(file, argument, '\0');) arguments.push_back(argument);
        if (!arguments.empty() && arguments[0] == ZERLITH_EXECUTABLE) processes.push_back(arguments);
    }
    return processes;
}

/// A free TCP port on the loopback, for a browser that cannot report the one it picked.
std::uint16_t freePort() {
    TitlePages probe;
    const auto url = probe.url("");
    return static_cast<std::uint16_t>(std::stoi(url.substr(url.rfind(':') + 1)));
}

/// A browser the test drives behind the extension's back.
class DrivenBrowser {
public:
    virtual ~DrivenBrowser() = default;
    /// Opens `url` in a new tab of the first window, or in a new window; an id to close it by.
    virtual std::string open(const std::string& url, bool newWindow) = 0;
    virtual void close(const std::string& id) = 0;
    /// Whether `arguments` are those of this browser's host.
    virtual bool isHost(const std::vector<std::string>& arguments) const = 0;

    ChildProcess& process() { return *process_; }

protected:
    std::unique_ptr<ChildProcess> process_;
    std::unique_ptr<DevTools> devTools_;
};

class Chromium final : public DrivenBrowser {
public:
    Chromium(const fs::path& home, const std::string& firstURL) {
        const auto profile = home / "config" / "chromium";
        // Chromium splits --load-extension at commas, which a build folder's name may hold.
        const auto extension = home / "extension";
        fs::copy(ZERLITH_CHROMIUM_EXTENSION, extension, fs::copy_options::recursive);
        process_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"chromium", "--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic",
                                     "--no-first-run", "--disable-background-networking", "--disable-component-update",
                                     "--disable-sync", "--remote-debugging-port=0", "--user-data-dir=" + profile.string(),
                                     "--load-extension=" + extension.string(), firstURL},
            ChildProcess::Options{});
        // The browser names its DevTools port and path in this file once it listens.
        const auto portFile = profile / "DevToolsActivePort";
        if (!eventually([&] { return fs::exists(portFile) && fs::file_size(portFile) > 0; }, kBrowserTimeout))
            throw std::runtime_error("Chromium opened no DevTools port");
        std::ifstream ports(portFile);
        std::uint16_t port = 0;
        std::string path;
        ports >> port >> path;
        devTools_ = std::make_unique<DevTools>(port, path);
    }

    std::string open(const std::string& url, bool newWindow) override {
        return devTools_->call("Target.createTarget", {{"url", url}, {"newWindow", newWindow}})["targetId"];
    }
    void close(const std::string& id) override { devTools_->call("Target.closeTarget", {{"targetId", id}}); }
    bool isHost(const std::vector<std::string>& arguments) const override {
        return arguments.size() > 1 && arguments[1].starts_with("chrome-extension://");
    }
};

class Firefox final : public DrivenBrowser {
public:
    Firefox(const fs::path& home, const std::string& firstURL) {
        const auto profile = home / "firefox-profile";
        // Firefox ESR loads an unsigned extension that the profile names by a file holding its folder.
        writeText(profile / "extensions" / "tabs@zerlith.dev", ZERLITH_FIREFOX_EXTENSION);
        writeText(profile / "user.js", R"(user_pref("xpinstall.signatures.required", false);
user_pref("extensions.autoDisableScopes", 0);
user_pref("extensions.enabledScopes", 15);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("app.update.enabled", false);
)");
        const auto port = freePort();
        process_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"firefox-esr", "--headless", "--no-remote", "--profile", profile.string(),
                                     "--remote-debugging-port=" + std::to_string(port), firstURL},
            ChildProcess::Options{});
        // WebDriver BiDi, once Firefox listens.
        eventually([&] {
            try {
                devTools_ = std::make_unique<DevTools>(port, "/session");
                return true;
            } catch (const std::runtime_error&) {
                return false;
            }
        }, kBrowserTimeout);
        if (!devTools_) throw std::runtime_error("Firefox opened no WebDriver BiDi port");
        devTools_->call("session.new", {{"capabilities", json::object()}});
        first_ = devTools_->call("browsingContext.getTree", json::object())["contexts"][0]["context"];
    }

    std::string open(const std::string& url, bool newWindow) override {
        const std::string context = devTools_->call(
            "browsingContext.create", {{"type", newWindow ? "window" : "tab"}, {"referenceContext", first_}})["context"];
        devTools_->call("browsingContext.navigate", {{"context", context}, {"url", url}, {"wait", "complete"}});
        return context;
    }
    void close(const std::string& id) override { devTools_->call("browsingContext.close", {{"context", id}}); }
    bool isHost(const std::vector<std::string>& arguments) const override {
        return arguments.size() > 2 && arguments[2] == "tabs@zerlith.dev";
    }

private:
    std::string first_;
};

struct BrowserCase {
    const char* name;
    const char* kind;        ///< in the dump
    const char* app;         ///< the tabs' application in the dump: the browser by its own name
    const char* executable;  ///< Debian's package and command
    std::function<std::unique_ptr<DrivenBrowser>(const fs::path& home, const std::string& firstURL)> start;
};

void PrintTo(const BrowserCase& browser, std::ostream* out) { *out << browser.name; }

const BrowserCase kBrowsers[] = {
    {"chromium", "chrome", "Chromium", "/usr/bin/chromium",
     [](const fs::path& home, const std::string& url) { return std::make_unique<Chromium>(home, url); }},
    {"firefox", "firefox", "Firefox", "/usr/bin/firefox-esr",
     [](const fs::path& home, const std::string& url) { return std::make_unique<Firefox>(home, url); }},
};

class BrowserEndToEndTest : public ::testing::TestWithParam<BrowserCase> {
protected:
    void SetUp() override {
        if (!fs::exists(GetParam().executable)) GTEST_SKIP() << GetParam().executable << " is not installed";
        const auto home = fs::path(std::getenv("HOME"));
        environment_.set("XDG_RUNTIME_DIR", (home / "runtime").string());
        // The profile folders that tell --install-browser-hosts which browsers there are.
        fs::create_directories(home / "config" / "chromium");
        fs::create_directories(home / ".mozilla");
        ASSERT_EQ(std::system(ZERLITH_EXECUTABLE " --install-browser-hosts >/dev/null"), 0);
        browser_ = GetParam().start(home, pages_.url("Alpha"));
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

    int hostsAlive() const {
        const auto processes = zerlithProcesses();
        return static_cast<int>(std::count_if(processes.begin(), processes.end(),
                                              [&](const auto& arguments) { return browser_->isHost(arguments); }));
    }

    x11::testing::XSession session_;
    zerlith::testing::ScopedEnvironment environment_;
    TitlePages pages_;
    std::unique_ptr<DrivenBrowser> browser_;
};

TEST_P(BrowserEndToEndTest, TabsAreListedRaisedAndGoneWithTheBrowser) {
    const std::string kind = GetParam().kind;
    const auto beta = browser_->open(pages_.url("Beta"), false);
    browser_->open(pages_.url("Gamma"), true);

    json dump;
    EXPECT_EQ(tabsOnceThey(json{tab("Alpha"), tab("Beta"), tab("Gamma")}, &dump),
              json({tab("Alpha"), tab("Beta"), tab("Gamma")}));
    EXPECT_EQ(dump["automation"][kind], "allowed");
    EXPECT_EQ(dump["browsersRunning"][kind], true);
    std::set<std::string> windows;  // "tab:KIND:WINDOW:URL"
    for (const auto& target : dump["targets"]) {
        const auto id = target["id"].get<std::string>();
        if (target["kind"] != "tab") continue;
        windows.insert(id.substr(0, id.find(':', kind.size() + 5)));
        EXPECT_EQ(target["app"], GetParam().app) << target;
    }
    ASSERT_EQ(windows.size(), 2u);

    // Beta, opened last in Alpha's window, is its active tab; raising Alpha selects it.
    // Not const: a member the trace lacks then reads as null rather than out of bounds.
    json trace = run({"--raise=Alpha:tab"});
    EXPECT_EQ(trace["found"], true);
    EXPECT_EQ(trace["activated"], true);
    EXPECT_EQ(trace["activeTabAfter"], "Alpha");
    EXPECT_EQ(trace["correctTab"], true);

    browser_->close(beta);
    EXPECT_EQ(tabsOnceThey(json{tab("Alpha"), tab("Gamma")}), json({tab("Alpha"), tab("Gamma")}));

    browser_->process().signal(SIGKILL);
    browser_->process().wait(10.0);
    EXPECT_EQ(tabsOnceThey(json::array(), &dump), json::array());
    EXPECT_EQ(dump["automation"][kind], "notDetermined");
    EXPECT_TRUE(eventually([&] { return hostsAlive() == 0; }, 10.0)) << "a host outlived its browser";
}

INSTANTIATE_TEST_SUITE_P(Browsers, BrowserEndToEndTest, ::testing::ValuesIn(kBrowsers),
                         [](const auto& each) { return std::string(each.param.name); });

}  // namespace
}  // namespace zerlith::testing
