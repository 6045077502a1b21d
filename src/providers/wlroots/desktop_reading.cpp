#include "providers/wlroots/desktop_reading.hpp"

#include <algorithm>
#include <set>

namespace zerlith::wlroots {

const DesktopWindow* DesktopReading::find(std::uint32_t id) const {
    const auto it = std::find_if(windows.begin(), windows.end(), [&](const auto& window) { return window.toplevel.id == id; });
    return it != windows.end() ? &*it : nullptr;
}

const DesktopWindow* DesktopReading::active() const {
    const auto it = std::find_if(windows.begin(), windows.end(), [](const auto& window) { return window.toplevel.activated; });
    return it != windows.end() ? &*it : nullptr;
}

std::vector<std::optional<SwayView>> matchViews(const std::vector<Toplevel>& toplevels, const std::vector<SwayView>& views) {
    std::vector<bool> claimed(views.size(), false);
    std::vector<std::optional<SwayView>> matched;
    matched.reserve(toplevels.size());
    for (const Toplevel& toplevel : toplevels) {
        std::optional<SwayView> match;
        for (std::size_t i = 0; i < views.size() && !match; ++i) {
            if (claimed[i] || views[i].appId != toplevel.appId || views[i].title != toplevel.title) continue;
            claimed[i] = true;
            match = views[i];
        }
        matched.push_back(std::move(match));
    }
    return matched;
}

DesktopReading DesktopReader::read() {
    auto toplevels = connection_.toplevels();
    std::vector<std::optional<SwayView>> views(toplevels.size());
    std::set<std::string> shownWorkspaces;
    if (sway_ != nullptr) {
        if (auto tree = sway_->request(SwayIpc::Message::getTree)) views = matchViews(toplevels, viewsOf(*tree));
        for (const SwayOutput& output : swayOutputs()) shownWorkspaces.insert(output.currentWorkspace);
    }
    DesktopReading reading;
    reading.windows.reserve(toplevels.size());
    for (std::size_t i = 0; i < toplevels.size(); ++i) {
        // Without sway every window counts as shown: the protocol does not tell workspaces apart.
        const bool shown = sway_ == nullptr || (views[i] && shownWorkspaces.contains(views[i]->workspace));
        const bool onCurrentWorkspace = shown && !toplevels[i].minimized;
        const Pid pid = views[i] ? views[i]->pid : standInPid(toplevels[i].appId);
        reading.windows.push_back({std::move(toplevels[i]), std::move(views[i]), pid, onCurrentWorkspace});
    }
    return reading;
}

Pid DesktopReader::standInPid(const std::string& appId) {
    std::lock_guard lock(mutex_);
    const auto [it, added] = standInPids_.try_emplace(appId, -static_cast<Pid>(standInPids_.size() + 1));
    return it->second;
}

std::vector<SwayOutput> DesktopReader::swayOutputs() {
    if (sway_ == nullptr) return {};
    const auto outputs = sway_->request(SwayIpc::Message::getOutputs);
    return outputs ? outputsOf(*outputs) : std::vector<SwayOutput>{};
}

}  // namespace zerlith::wlroots
