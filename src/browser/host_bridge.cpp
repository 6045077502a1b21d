#include "browser/host_bridge.hpp"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "browser/browser_host.hpp"
#include "browser/local_socket.hpp"
#include "browser/tab_report.hpp"

namespace zerlith::browser {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

/// A report is read from memory by the host: it answers at once or not at all.
constexpr auto kReportTimeout = 1s;
/// Selecting waits for the browser itself.
constexpr auto kSelectTimeout = 3s;

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

/// Sends one request to the host at `path` and reads its answer; none when it does not answer.
std::optional<json> ask(const std::string& path, const json& request, std::chrono::milliseconds timeout) {
    const auto socket = connectTo(path);
    if (!socket) {
        if (errno == ECONNREFUSED) ::unlink(path.c_str());  // left by a host that was killed
        return std::nullopt;
    }
    if (!peerIsThisUser(socket.fd()) || !writeAll(socket.fd(), frame(request.dump()), timeout)) return std::nullopt;
    FrameReader reader;
    const auto answer = readMessage(socket.fd(), reader, timeout);
    if (!answer) return std::nullopt;
    try {
        auto value = json::parse(*answer);
        if (value.is_object()) return value;
    } catch (const json::exception&) {
    }
    return std::nullopt;
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
    return platform::ConnectedBrowser{kind->get<std::string>(), pid->get<Pid>(), std::move(*tabs)};
}

}  // namespace

std::vector<platform::ConnectedBrowser> HostBridge::connectedBrowsers() {
    std::vector<platform::ConnectedBrowser> browsers;
    for (const auto& path : hostSockets(folder_)) {
        const auto answer = ask(path, {{"type", "report"}}, kReportTimeout);
        if (auto browser = answer ? connectedBrowser(*answer) : std::nullopt) browsers.push_back(std::move(*browser));
    }
    return browsers;
}

bool HostBridge::selectTab(std::string_view kind, std::int64_t windowID, std::int64_t index, std::string_view url) {
    // Several browsers of one kind may run (Chromium and Brave): ask the one that holds the tab.
    for (const auto& path : hostSockets(folder_)) {
        const auto answer = ask(path, {{"type", "report"}}, kReportTimeout);
        const auto browser = answer ? connectedBrowser(*answer) : std::nullopt;
        if (!browser || browser->kind != kind) continue;
        const bool holds = std::any_of(browser->tabs.begin(), browser->tabs.end(), [&](const auto& tab) {
            return tab.windowID == windowID && tab.index == index && tab.url == url;
        });
        if (!holds) continue;
        const auto selected = ask(path, {{"type", "select"}, {"windowId", windowID}, {"index", index}}, kSelectTimeout);
        if (!selected) return false;
        const auto ok = selected->find("ok");
        return ok != selected->end() && ok->is_boolean() && ok->get<bool>();
    }
    return false;
}

}  // namespace zerlith::browser
