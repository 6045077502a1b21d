// Browser tabs through the extension's route, with a native-messaging host on a thread of this
// process standing between a fake extension and the bridge: a full refresh of the chrome source
// with 500 tabs in 20 windows (goal: 20 ms; the scripted route allows 5 s), and the relay of a
// tab selection from the bridge to the extension and back (the part of a switch Zerlith owns;
// goal for the whole switch: 100 ms).

#include <benchmark/benchmark.h>
#include <sys/socket.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "browser/browser_host.hpp"
#include "browser/host_bridge.hpp"
#include "browser/local_socket.hpp"
#include "platform/manual_dispatch.hpp"
#include "providers/empty/empty_desktop.hpp"
#include "sources/browser_source.hpp"

namespace {

using namespace zerlith;
using namespace std::chrono_literals;
using nlohmann::json;

constexpr int kWindows = 20;
constexpr int kTabsPerWindow = 25;

json report() {
    auto windows = json::array();
    for (int window = 0; window < kWindows; ++window) {
        auto tabs = json::array();
        for (int index = 0; index < kTabsPerWindow; ++index) {
            tabs.push_back({{"index", index},
                            {"active", index == 0},
                            {"title", "Pull request #" + std::to_string(window * 100 + index) + " · review the changes"},
                            {"url", "https://github.com/example/project/pull/" + std::to_string(window * 100 + index)}});
        }
        windows.push_back({{"id", 1000 + window}, {"tabs", std::move(tabs)}});
    }
    return {{"type", "tabs"}, {"windows", std::move(windows)}};
}

/// The empty desktop with the bridge to the host.
class BridgedDesktop final : public platform::Platform {
public:
    explicit BridgedDesktop(std::string folder) : dispatch_(clock_), desktop_(clock_, dispatch_), bridge_(std::move(folder), clock_) {}

    desktop::ProviderInfo provider() const override {
        auto info = desktop_.provider();
        info.capabilities.tabs = true;
        return info;
    }
    desktop::Windows& windows() override { return desktop_.windows(); }
    platform::Workspace& workspace() override { return desktop_.workspace(); }
    platform::Display& display() override { return desktop_.display(); }
    platform::Clock& clock() override { return clock_; }
    platform::Dispatch& dispatch() override { return dispatch_; }
    platform::BrowserBridge* browserBridge() override { return &bridge_; }

private:
    platform::ManualClock clock_{0};
    platform::ManualDispatch dispatch_;
    platform::EmptyDesktop desktop_;
    browser::HostBridge bridge_;
};

/// A host on a thread with its report in, and a fake extension that confirms every selection.
class Rig {
public:
    Rig() : folder_(makeFolder()), desktop_(folder_), installed_(desktop_) {
        int pair[2];
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair);
        extension_ = browser::Socket(pair[0]);
        hostEnd_ = browser::Socket(pair[1]);
        const auto application = browser::listenAt(folder_ + "/instance");
        host_ = std::thread([this] { browser::runHost("chrome", "Chromium", 4242, 4243, folder_, hostEnd_.fd(), hostEnd_.fd(), log_); });
        browser::writeAll(extension_.fd(), browser::frame(report().dump()), 5s);
        // The host tells the application once it holds the report.
        browser::Socket poked(::accept(application.fd(), nullptr, nullptr));
        extensionThread_ = std::thread([this] { playExtension(); });
    }
    ~Rig() {
        ::shutdown(extension_.fd(), SHUT_RDWR);
        host_.join();
        extensionThread_.join();
        std::filesystem::remove_all(folder_);
    }

private:
    static std::string makeFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zerlith-bench-XXXXXX").string();
        return ::mkdtemp(pattern.data());
    }

    void playExtension() {
        browser::FrameReader reader;
        while (const auto message = browser::readMessage(extension_.fd(), reader, 60s)) {
            const auto request = json::parse(*message);
            const json answer{{"type", "selected"}, {"request", request["request"]}, {"ok", true}};
            browser::writeAll(extension_.fd(), browser::frame(answer.dump()), 5s);
        }
    }

    std::string folder_;
    BridgedDesktop desktop_;
    platform::ScopedPlatform installed_;
    browser::Socket extension_;
    browser::Socket hostEnd_;
    std::ostringstream log_;
    std::thread host_;
    std::thread extensionThread_;
};

Rig& rig() {
    static Rig instance;
    return instance;
}

void BM_BrowserRefresh500Tabs(benchmark::State& state) {
    rig();
    for (auto _ : state) {
        // Each refresh reads the host afresh, as after the host's poke.
        platform::current().browserBridge()->reportsChanged();
        auto targets = BrowserSource::enumerate(BrowserKind::chrome);
        if (targets.size() != kWindows * kTabsPerWindow) state.SkipWithError("tabs missing");
        benchmark::DoNotOptimize(targets);
    }
}
BENCHMARK(BM_BrowserRefresh500Tabs)->Unit(benchmark::kMillisecond);

void BM_TabSelectionRelay(benchmark::State& state) {
    rig();
    auto& bridge = *platform::current().browserBridge();
    for (auto _ : state) {
        if (!bridge.selectTab("chrome", 1019, 25, "https://github.com/example/project/pull/1924"))
            state.SkipWithError("not selected");
    }
}
BENCHMARK(BM_TabSelectionRelay)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
