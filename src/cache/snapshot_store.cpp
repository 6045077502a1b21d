#include "cache/snapshot_store.hpp"

#include <algorithm>

#include "platform/platform.hpp"
#include "sources/browser_source.hpp"
#include "sources/window_source.hpp"

namespace zerlith {

namespace {

std::optional<std::size_t> placeOf(const SnapshotStore::Sources& sources, std::string_view name) {
    const auto found = std::find_if(sources.begin(), sources.end(), [&](const auto& each) { return each.name == name; });
    return found == sources.end() ? std::nullopt : std::optional(std::size_t(found - sources.begin()));
}

}  // namespace

SnapshotStore::Sources SnapshotStore::defaultSources() {
    Sources sources;
    for (const BrowserKind browser : kAllBrowsers)
        sources.push_back({std::string(rawValue(browser)), [browser] { return BrowserSource::enumerate(browser); }});
    sources.push_back({std::string(kWindows), [] { return WindowSource::enumerate(); }});
    return sources;
}

SnapshotStore::SnapshotStore(Sources sources)
    : sources_(std::move(sources)),
      windows_(placeOf(sources_, kWindows)),
      dispatch_(platform::current().dispatch()),
      cache_(sources_.size()),
      marks_(sources_.size()),
      queue_(dispatch_.makeSerialQueue("com.halvorn.zerlith.snapshot")) {
    for (std::size_t source = 0; source < sources_.size(); ++source) dirty_.insert(source);
}

std::vector<Target> SnapshotStore::current() const {
    std::lock_guard guard(lock_);
    std::vector<Target> targets;
    for (const auto& cached : cache_) {
        if (cached) targets.insert(targets.end(), cached->begin(), cached->end());
    }
    return targets;
}

void SnapshotStore::markAllDirty() {
    std::lock_guard guard(lock_);
    for (std::size_t source = 0; source < sources_.size(); ++source) markLocked(source);
}

void SnapshotStore::markDirty(std::string_view source) {
    const auto place = placeOf(sources_, source);
    if (!place) return;
    std::lock_guard guard(lock_);
    markLocked(*place);
}

void SnapshotStore::forgetWindow(std::uint32_t windowNumber) {
    if (!windows_) return;
    std::lock_guard guard(lock_);
    markLocked(*windows_);
    goneWindows_[windowNumber] = marks_[*windows_];
    if (auto& cached = cache_[*windows_]) dropGoneWindows(*cached);
}

void SnapshotStore::dropGoneWindows(std::vector<Target>& targets) const {
    std::erase_if(targets, [this](const Target& target) {
        return target.window && goneWindows_.contains(target.window->windowID);
    });
}

void SnapshotStore::markLocked(std::size_t source) {
    dirty_.insert(source);
    ++marks_[source];
}

void SnapshotStore::refreshDirty(Completion completion) {
    {
        std::lock_guard guard(lock_);
        if (dirty_.empty()) return;
        const bool joining = queued_.has_value();
        if (!joining) queued_.emplace();
        queued_->sources.insert(dirty_.begin(), dirty_.end());
        if (completion) queued_->completions.push_back(std::move(completion));
        if (joining) return;
    }
    queue_->async([this] { runQueuedRefresh(); });
}

std::vector<Target> SnapshotStore::refreshAllBlocking() {
    for (std::size_t source = 0; source < sources_.size(); ++source) refreshOne(source);
    return current();
}

std::int64_t SnapshotStore::refreshCount() const {
    std::lock_guard guard(lock_);
    return refreshCounter_;
}

void SnapshotStore::runQueuedRefresh() {
    QueuedRefresh refresh;
    {
        std::lock_guard guard(lock_);
        refresh = std::move(*queued_);
        queued_.reset();
    }
    for (const std::size_t source : refresh.sources) refreshOne(source);
    if (refresh.completions.empty()) return;
    dispatch_.postMain([completions = std::move(refresh.completions), targets = current()] {
        for (const auto& completion : completions) completion(targets);
    });
}

void SnapshotStore::refreshOne(std::size_t source) {
    std::uint64_t marksBefore = 0;
    {
        std::lock_guard guard(lock_);
        marksBefore = marks_[source];
    }
    const auto& enumerate = sources_[source].enumerate;
    auto targets = enumerate ? enumerate() : std::vector<Target>{};
    std::lock_guard guard(lock_);
    if (source == windows_) {
        // Windows gone before the enumeration started cannot be in it any more.
        std::erase_if(goneWindows_, [marksBefore](const auto& gone) { return gone.second <= marksBefore; });
        dropGoneWindows(targets);
    }
    cache_[source] = std::move(targets);
    // A change marked while the enumeration ran may be one it did not see: the source stays dirty.
    if (marks_[source] == marksBefore) dirty_.erase(source);
    ++refreshCounter_;
}

}  // namespace zerlith
