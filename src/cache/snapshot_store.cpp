#include "cache/snapshot_store.hpp"

#include "platform/platform.hpp"
#include "sources/browser_source.hpp"
#include "sources/window_source.hpp"

namespace zerlith {

SnapshotStore::Enumerators SnapshotStore::defaultEnumerators() {
    return {
        [] { return WindowSource::enumerate(); },
        [] { return BrowserSource::enumerate(BrowserKind::chrome); },
        [] { return BrowserSource::enumerate(BrowserKind::safari); },
        [] { return BrowserSource::enumerate(BrowserKind::firefox); },
    };
}

SnapshotStore::SnapshotStore(Enumerators enumerators)
    : enumerators_(std::move(enumerators)),
      dispatch_(platform::current().dispatch()),
      dirty_(std::begin(kAllSources), std::end(kAllSources)),
      queue_(dispatch_.makeSerialQueue("com.halvorn.zerlith.snapshot")) {}

std::vector<Target> SnapshotStore::current() const {
    std::lock_guard guard(lock_);
    std::vector<Target> targets;
    for (const Source source : kDisplayOrder) {
        if (const auto cached = cache_.find(source); cached != cache_.end()) {
            targets.insert(targets.end(), cached->second.begin(), cached->second.end());
        }
    }
    return targets;
}

void SnapshotStore::markAllDirty() {
    std::lock_guard guard(lock_);
    for (const Source source : kAllSources) markLocked(source);
}

void SnapshotStore::markDirty(Source source) {
    std::lock_guard guard(lock_);
    markLocked(source);
}

void SnapshotStore::forgetWindow(std::uint32_t windowNumber) {
    std::lock_guard guard(lock_);
    markLocked(Source::windows);
    goneWindows_[windowNumber] = marks_[Source::windows];
    if (const auto cached = cache_.find(Source::windows); cached != cache_.end()) dropGoneWindows(cached->second);
}

void SnapshotStore::dropGoneWindows(std::vector<Target>& targets) const {
    std::erase_if(targets, [this](const Target& target) {
        return target.window && goneWindows_.contains(target.window->cgWindowID);
    });
}

void SnapshotStore::markLocked(Source source) {
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
    for (const Source source : kAllSources) refreshOne(source);
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
    for (const Source source : refresh.sources) refreshOne(source);
    if (refresh.completions.empty()) return;
    dispatch_.postMain([completions = std::move(refresh.completions), targets = current()] {
        for (const auto& completion : completions) completion(targets);
    });
}

void SnapshotStore::refreshOne(Source source) {
    std::uint64_t marksBefore = 0;
    {
        std::lock_guard guard(lock_);
        marksBefore = marks_[source];
    }
    auto targets = enumerate(source);
    std::lock_guard guard(lock_);
    if (source == Source::windows) {
        // Windows gone before the enumeration started cannot be in it any more.
        std::erase_if(goneWindows_, [marksBefore](const auto& gone) { return gone.second <= marksBefore; });
        dropGoneWindows(targets);
    }
    cache_[source] = std::move(targets);
    // A change marked while the enumeration ran may be one it did not see: the source stays dirty.
    if (marks_[source] == marksBefore) dirty_.erase(source);
    ++refreshCounter_;
}

std::vector<Target> SnapshotStore::enumerate(Source source) const {
    const auto& enumerator = source == Source::windows  ? enumerators_.windows
                             : source == Source::chrome ? enumerators_.chrome
                             : source == Source::safari ? enumerators_.safari
                                                        : enumerators_.firefox;
    return enumerator ? enumerator() : std::vector<Target>{};
}

}  // namespace zerlith
