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
    };
}

SnapshotStore::SnapshotStore(Enumerators enumerators)
    : enumerators_(std::move(enumerators)),
      dispatch_(platform::current().dispatch()),
      dirty_(std::begin(kAllSources), std::end(kAllSources)),
      queue_(dispatch_.makeSerialQueue("com.halvorn.zerlith.snapshot")) {}

SnapshotStore& SnapshotStore::shared() {
    static SnapshotStore store;
    return store;
}

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
    dirty_.insert(std::begin(kAllSources), std::end(kAllSources));
}

void SnapshotStore::markDirty(Source source) {
    std::lock_guard guard(lock_);
    dirty_.insert(source);
}

void SnapshotStore::refreshDirty(std::function<void(std::vector<Target>)> completion) {
    std::set<Source> dirty;
    {
        std::lock_guard guard(lock_);
        dirty = dirty_;
    }
    if (dirty.empty()) return;
    refresh(std::move(dirty), std::move(completion));
}

std::vector<Target> SnapshotStore::refreshAllBlocking() {
    for (const Source source : kAllSources) refreshOne(source);
    return current();
}

std::int64_t SnapshotStore::refreshCount() const {
    std::lock_guard guard(lock_);
    return refreshCounter_;
}

void SnapshotStore::refresh(std::set<Source> sources, std::function<void(std::vector<Target>)> completion) {
    queue_->async([this, sources = std::move(sources), completion = std::move(completion)] {
        for (const Source source : sources) refreshOne(source);
        if (!completion) return;
        dispatch_.postMain([completion, targets = current()]() mutable { completion(std::move(targets)); });
    });
}

void SnapshotStore::refreshOne(Source source) {
    auto targets = enumerate(source);
    std::lock_guard guard(lock_);
    cache_[source] = std::move(targets);
    dirty_.erase(source);
    ++refreshCounter_;
}

std::vector<Target> SnapshotStore::enumerate(Source source) const {
    const auto& enumerator = source == Source::windows  ? enumerators_.windows
                             : source == Source::chrome ? enumerators_.chrome
                                                        : enumerators_.safari;
    return enumerator ? enumerator() : std::vector<Target>{};
}

}  // namespace zerlith
