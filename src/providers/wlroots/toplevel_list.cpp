#include "providers/wlroots/toplevel_list.hpp"

#include <algorithm>
#include <utility>

namespace zerlith::wlroots {

using Kind = platform::DesktopChange::Kind;

std::uint32_t ToplevelList::created() {
    const std::uint32_t id = nextId_++;
    entries_[id].pending.id = id;
    order_.insert(order_.begin(), id);
    return id;
}

void ToplevelList::title(std::uint32_t id, std::string title) {
    if (auto it = entries_.find(id); it != entries_.end()) it->second.pending.title = std::move(title);
}

void ToplevelList::appId(std::uint32_t id, std::string appId) {
    if (auto it = entries_.find(id); it != entries_.end()) it->second.pending.appId = std::move(appId);
}

void ToplevelList::outputEnter(std::uint32_t id, std::uint32_t output) {
    auto it = entries_.find(id);
    if (it == entries_.end()) return;
    auto& outputs = it->second.pending.outputs;
    if (std::find(outputs.begin(), outputs.end(), output) == outputs.end()) outputs.push_back(output);
}

void ToplevelList::outputLeave(std::uint32_t id, std::uint32_t output) {
    if (auto it = entries_.find(id); it != entries_.end()) std::erase(it->second.pending.outputs, output);
}

void ToplevelList::state(std::uint32_t id, std::span<const std::uint32_t> states) {
    auto it = entries_.find(id);
    if (it == entries_.end()) return;
    Toplevel& toplevel = it->second.pending;
    const auto has = [&](State wanted) { return std::find(states.begin(), states.end(), wanted) != states.end(); };
    toplevel.maximized = has(maximized);
    toplevel.minimized = has(minimized);
    toplevel.activated = has(activated);
    toplevel.fullScreen = has(fullScreen);
}

void ToplevelList::done(std::uint32_t id) {
    auto it = entries_.find(id);
    if (it == entries_.end()) return;
    Entry& entry = it->second;
    const bool becameActive = entry.pending.activated && !(entry.shown && entry.shown->activated);
    recordChanges(entry.shown, entry.pending);
    entry.shown = entry.pending;
    if (!becameActive) return;
    std::erase(order_, id);
    order_.insert(order_.begin(), id);
    // Only one toplevel holds the focus; an older one whose deactivation is still on its way
    // would otherwise be listed active too.
    for (auto& [otherId, other] : entries_) {
        if (otherId != id && other.shown) other.shown->activated = other.pending.activated = false;
    }
}

void ToplevelList::closed(std::uint32_t id) {
    const auto it = entries_.find(id);
    if (it == entries_.end()) return;
    if (it->second.shown) {
        changes_.push_back({Kind::windowGone, id});
        changes_.push_back({Kind::windowList, 0});
    }
    entries_.erase(it);
    std::erase(order_, id);
}

void ToplevelList::outputRemoved(std::uint32_t output) {
    for (auto& [id, entry] : entries_) {
        std::erase(entry.pending.outputs, output);
        if (entry.shown) std::erase(entry.shown->outputs, output);
    }
}

std::vector<Toplevel> ToplevelList::list() const {
    std::vector<Toplevel> toplevels;
    toplevels.reserve(order_.size());
    for (const std::uint32_t id : order_) {
        if (const auto& shown = entries_.at(id).shown) toplevels.push_back(*shown);
    }
    return toplevels;
}

std::vector<platform::DesktopChange> ToplevelList::takeChanges() { return std::exchange(changes_, {}); }

void ToplevelList::recordChanges(const std::optional<Toplevel>& before, const Toplevel& after) {
    if (!before) {
        changes_.push_back({Kind::windowList, 0});
        if (after.activated) changes_.push_back({Kind::activeWindow, 0});
        return;
    }
    if (before->title != after.title) changes_.push_back({Kind::windowTitle, after.id});
    if (after.activated && !before->activated) changes_.push_back({Kind::activeWindow, 0});
    if (before->minimized != after.minimized || before->maximized != after.maximized ||
        before->fullScreen != after.fullScreen || before->outputs != after.outputs)
        changes_.push_back({Kind::windowState, after.id});
}

std::optional<Toplevel> ToplevelList::find(std::uint32_t id) const {
    const auto it = entries_.find(id);
    return it != entries_.end() ? it->second.shown : std::nullopt;
}

}  // namespace zerlith::wlroots
