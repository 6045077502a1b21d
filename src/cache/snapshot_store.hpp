#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "model/target.hpp"
#include "platform/dispatch.hpp"

namespace zerlith {

/// The last enumerated targets of each source, in memory only, so the palette can open at once
/// while stale sources are enumerated again in the background.
///
/// Any thread. One lock guards the cache, the dirty set, the marks and the counter; enumeration
/// never runs under it, so current() answers at once even mid-refresh. Background refreshes run
/// one at a time on the store's serial queue; completions run on the main queue.
class SnapshotStore {
public:
    enum class Source { windows, chrome, safari, firefox };
    static constexpr Source kAllSources[] = {Source::windows, Source::chrome, Source::safari, Source::firefox};
    /// The order in which current() lists the sources.
    static constexpr Source kDisplayOrder[] = {Source::chrome, Source::safari, Source::firefox, Source::windows};

    /// How each source is enumerated; tests substitute their own.
    struct Enumerators {
        std::function<std::vector<Target>()> windows;
        std::function<std::vector<Target>()> chrome;
        std::function<std::vector<Target>()> safari;
        std::function<std::vector<Target>()> firefox;
    };
    /// Windows through WindowSource, tabs through BrowserSource.
    static Enumerators defaultEnumerators();

    /// Takes its queues from the installed platform, which must outlive the store. Every source
    /// starts dirty and uncached.
    explicit SnapshotStore(Enumerators enumerators = defaultEnumerators());
    SnapshotStore(const SnapshotStore&) = delete;
    SnapshotStore& operator=(const SnapshotStore&) = delete;

    /// The cached lists in display order (chrome, safari, firefox, windows); a source never refreshed
    /// contributes nothing. Never waits for enumeration.
    std::vector<Target> current() const;

    void markAllDirty();
    void markDirty(Source source);
    /// The desktop reported this window gone: its targets leave the cached windows at once, also
    /// from the result of an enumeration that ran meanwhile, and the windows are marked dirty.
    void forgetWindow(std::uint32_t windowNumber);

    using Completion = std::function<void(std::vector<Target>)>;

    /// Queues a background refresh of the sources dirty now and returns at once. `completion`,
    /// when given, then receives current() of the whole store on the main queue. With nothing
    /// dirty nothing happens at all and `completion` is never called. A call made while an earlier
    /// refresh waits on the queue joins it: its sources are enumerated once, and each completion
    /// is called once after.
    void refreshDirty(Completion completion = {});

    /// Refreshes windows, chrome and safari on the calling thread, then returns current().
    std::vector<Target> refreshAllBlocking();

    /// How many per-source refreshes have been stored since the store was made.
    std::int64_t refreshCount() const;

private:
    /// A refresh on the queue that has not started yet.
    struct QueuedRefresh {
        std::set<Source> sources;
        std::vector<Completion> completions;
    };

    /// Under the lock.
    void markLocked(Source source);
    /// Under the lock: removes the targets of windows reported gone.
    void dropGoneWindows(std::vector<Target>& targets) const;
    /// On the queue: takes the waiting refresh and runs it.
    void runQueuedRefresh();
    void refreshOne(Source source);
    std::vector<Target> enumerate(Source source) const;

    const Enumerators enumerators_;
    platform::Dispatch& dispatch_;
    mutable std::mutex lock_;
    std::map<Source, std::vector<Target>> cache_;
    std::set<Source> dirty_;
    /// How often each source was marked, so a refresh knows whether a mark came while it ran.
    std::map<Source, std::uint64_t> marks_;
    /// Windows reported gone, with the windows' mark count then: an enumeration that started
    /// before may still list them.
    std::map<std::uint32_t, std::uint64_t> goneWindows_;
    std::int64_t refreshCounter_ = 0;
    std::optional<QueuedRefresh> queued_;
    /// Last, so it is destroyed first: that waits for queued refreshes while the rest still lives.
    std::unique_ptr<platform::TaskQueue> queue_;
};

}  // namespace zerlith
