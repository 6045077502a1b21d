#include "providers/wlroots/desktop_reading.hpp"

#include <algorithm>
#include <set>

#include "desktop/layout_space.hpp"

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
    }
    DesktopReading reading;
    reading.outputs = readOutputs(&shownWorkspaces);
    const Rect primary = reading.outputs.empty() ? Rect{} : reading.outputs.front().frame;
    const desktop::LayoutSpace space(primary);
    const auto protocolOutputs = sway_ == nullptr ? connection_.outputs() : std::vector<WaylandOutput>{};
    reading.windows.reserve(toplevels.size());
    for (std::size_t i = 0; i < toplevels.size(); ++i) {
        Rect frame = primary;
        if (views[i]) {
            frame = views[i]->frame;
        } else if (const auto on = std::find_first_of(protocolOutputs.begin(), protocolOutputs.end(), toplevels[i].outputs.begin(),
                                                      toplevels[i].outputs.end(),
                                                      [](const WaylandOutput& output, std::uint32_t id) { return output.id == id; });
                   on != protocolOutputs.end()) {
            frame = on->frame;
        }
        // Without sway every window counts as shown: the protocol does not tell workspaces apart.
        const bool shown = sway_ == nullptr || (views[i] && shownWorkspaces.contains(views[i]->workspace));
        const bool onCurrentWorkspace = shown && !toplevels[i].minimized;
        const Pid pid = views[i] ? views[i]->pid : standInPid(toplevels[i].appId);
        reading.windows.push_back(
            {std::move(toplevels[i]), std::move(views[i]), pid, space.toTopLeft(frame), onCurrentWorkspace});
    }
    return reading;
}

std::vector<LayoutOutput> DesktopReader::readOutputs(std::set<std::string>* shownWorkspaces) {
    std::vector<LayoutOutput> outputs;
    if (sway_ != nullptr) {
        const auto reply = sway_->request(SwayIpc::Message::getOutputs);
        for (const SwayOutput& output : reply ? outputsOf(*reply) : std::vector<SwayOutput>{}) {
            outputs.push_back({output.name, output.frame, output.focused});
            if (shownWorkspaces != nullptr) shownWorkspaces->insert(output.currentWorkspace);
        }
    } else {
        for (const WaylandOutput& output : connection_.outputs()) outputs.push_back({output.name, output.frame, false});
    }
    const auto atOrigin = std::find_if(outputs.begin(), outputs.end(),
                                       [](const LayoutOutput& output) { return output.frame.x == 0 && output.frame.y == 0; });
    if (atOrigin != outputs.end()) std::rotate(outputs.begin(), atOrigin, atOrigin + 1);
    return outputs;
}

Pid DesktopReader::standInPid(const std::string& appId) {
    std::lock_guard lock(mutex_);
    const auto [it, added] = standInPids_.try_emplace(appId, -static_cast<Pid>(standInPids_.size() + 1));
    return it->second;
}

}  // namespace zerlith::wlroots
