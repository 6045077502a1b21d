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

DesktopReader::DesktopReader(WaylandConnection& connection, SwayIpc* sway, const std::string& swaySocket)
    : connection_(connection), sway_(sway) {
    // Without the events nothing tells when sway's answers go stale: each read asks again then.
    // Outputs come and go through the protocol's events (sway 1.7 offers no output events).
    if (sway_ != nullptr) {
        swayEvents_ = SwayEvents::subscribe(swaySocket, {"window", "workspace"},
                                            [this](SwayEvents::Kind, const nlohmann::json&) { ++swayChanges_; }, nullptr);
    }
}

DesktopReader::~DesktopReader() = default;

std::shared_ptr<const SwayState> DesktopReader::swayState() {
    if (sway_ == nullptr) return nullptr;
    // Taken before asking, so that a change while sway answers makes the next read ask again.
    const Generations now{connection_.generation(), swayChanges_};
    const bool watched = swayEvents_ && swayEvents_->live();
    {
        std::lock_guard lock(mutex_);
        if (watched && kept_ && keptAt_ == now) return kept_;
    }
    const auto tree = sway_->request(SwayIpc::Message::getTree);
    const auto outputs = sway_->request(SwayIpc::Message::getOutputs);
    auto state = std::make_shared<const SwayState>(SwayState{tree ? viewsOf(*tree) : std::vector<SwayView>{},
                                                             outputs ? outputsOf(*outputs) : std::vector<SwayOutput>{}});
    if (watched && tree && outputs) {
        std::lock_guard lock(mutex_);
        kept_ = state;
        keptAt_ = now;
    }
    return state;
}

std::vector<LayoutOutput> DesktopReader::outputs() { return layoutOutputs(swayState().get()); }

DesktopReading DesktopReader::read() {
    auto toplevels = connection_.toplevels();
    const auto sway = swayState();
    auto views = sway ? matchViews(toplevels, sway->views) : std::vector<std::optional<SwayView>>(toplevels.size());
    std::set<std::string> shownWorkspaces;
    if (sway) {
        for (const SwayOutput& output : sway->outputs) shownWorkspaces.insert(output.currentWorkspace);
    }
    DesktopReading reading;
    reading.outputs = layoutOutputs(sway.get());
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

std::vector<LayoutOutput> DesktopReader::layoutOutputs(const SwayState* sway) {
    std::vector<LayoutOutput> outputs;
    if (sway != nullptr) {
        for (const SwayOutput& output : sway->outputs) outputs.push_back({output.name, output.frame, output.focused});
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
