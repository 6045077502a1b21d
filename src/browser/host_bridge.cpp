#include "browser/host_bridge.hpp"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "browser/browser_host.hpp"
#include "browser/host_exchange.hpp"
#include "browser/tab_report.hpp"

namespace zerlith::browser {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

/// A report is read from memory by the host: it answers at once or not at all.
constexpr auto kReportTimeout = 250ms;
/// Selecting waits for the browser itself.
constexpr auto kSelectTimeout = 3s;
/// How long one reading of the hosts answers for all, unless a browser reports a change.
constexpr std::uint64_t kReadingLifetimeNanos = 500'000'000;

/// The sockets of the hosts in `folder`, in name order.
std::vector<std::string> hostSockets(const std::string& folder) {
    std::vector<std::string> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().filename().string().starts_with(kHostSocketPrefix)) paths.push_back(entry.path().string());
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::optional<platform::ConnectedBrowser> connectedBrowser(const json& answer) {
    const auto kind = answer.find("kind");
    const auto pid = answer.find("pid");
    const auto windows = answer.find("windows");
    if (kind == answer.end() || !kind->is_string() || pid == answer.end() || !pid->is_number_integer() ||
        windows == answer.end())
        return std::nullopt;
    auto tabs = parseTabReport(*windows);
    if (!tabs) return std::nullopt;
    // A host from before browsers were named sends none: the family's name stands in.
    const auto name = answer.find("name");
    return platform::ConnectedBrowser{kind->get<std::string>(), pid->get<Pid>(), std::move(*tabs),
                                      name != answer.end() && name->is_string() ? name->get<std::string>() : ""};
}

}  // namespace

HostBridge::SharedReading HostBridge::reading() {
    std::unique_lock lock(mutex_);
    const auto now = clock_.monotonicNanos();
    if (latest_ && latestGeneration_ == generation_ && now - latest_->takenAt < kReadingLifetimeNanos) return latest_;
    if (pending_ && pending_->first == generation_) {
        const auto joined = pending_->second;
        lock.unlock();
        return joined.get();
    }
    const auto generation = generation_;
    std::promise<SharedReading> promise;
    pending_.emplace(generation, promise.get_future().share());
    lock.unlock();

    auto fresh = std::make_shared<Reading>();
    fresh->takenAt = now;
    const auto paths = hostSockets(folder_);
    const auto answers = askHosts(paths, {{"type", "report"}}, kReportTimeout);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (auto browser = answers[i] ? connectedBrowser(*answers[i]) : std::nullopt)
            fresh->hosts.emplace_back(paths[i], std::move(*browser));
    }

    lock.lock();
    if (generation == generation_) {
        latest_ = fresh;
        latestGeneration_ = generation;
    }
    if (pending_ && pending_->first == generation) pending_.reset();
    lock.unlock();
    promise.set_value(fresh);
    return fresh;
}

std::vector<platform::ConnectedBrowser> HostBridge::connectedBrowsers() {
    std::vector<platform::ConnectedBrowser> browsers;
    for (const auto& [path, browser] : reading()->hosts) browsers.push_back(browser);
    return browsers;
}

bool HostBridge::selectTab(std::string_view kind, std::int64_t windowID, std::int64_t index, std::string_view url) {
    // Several browsers of one kind may run (Chromium and Brave): ask the one that holds the tab.
    for (const auto& [path, browser] : reading()->hosts) {
        if (browser.kind != kind) continue;
        const bool holds = std::any_of(browser.tabs.begin(), browser.tabs.end(), [&](const auto& tab) {
            return tab.windowID == windowID && tab.index == index && tab.url == url;
        });
        if (!holds) continue;
        const auto answer =
            askHosts({path}, {{"type", "select"}, {"windowId", windowID}, {"index", index}}, kSelectTimeout).front();
        if (!answer) return false;
        const auto ok = answer->find("ok");
        return ok != answer->end() && ok->is_boolean() && ok->get<bool>();
    }
    return false;
}

void HostBridge::reportsChanged() {
    const std::lock_guard lock(mutex_);
    ++generation_;
}

}  // namespace zerlith::browser
