#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
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
    /// One kind of target with its enumeration: the windows, or one browser's tabs.
    struct Source {
        std::string name;  ///< what changes are marked by: "windows", a browser's raw value
        std::function<std::vector<Target>()> enumerate;
    };
    /// The sources in the order current() lists them and a refresh enumerates them.
    using Sources = std::vector<Source>;
    static constexpr std::string_view kWindows = "windows";
    /// Each browser's tabs through BrowserSource, then the windows through WindowSource.
    static Sources defaultSources();

    /// Takes its queues from the installed platform, which must outlive the store. Every source
    /// starts dirty and uncached.
    explicit SnapshotStore(Sources sources = defaultSources());
    SnapshotStore(const SnapshotStore&) = delete;
    SnapshotStore& operator=(const SnapshotStore&) = delete;

    /// The cached lists in the sources' order; a source never refreshed contributes nothing.
    /// Never waits for enumeration.
    std::vector<Target> current() const;

    void markAllDirty();
    /// Nothing for a name no source has.
    void markDirty(std::string_view source);
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

    /// Refreshes every source on the calling thread, then returns current().
    std::vector<Target> refreshAllBlocking();

    /// How many per-source refreshes have been stored since the store was made.
    std::int64_t refreshCount() const;

private:
    /// A refresh on the queue that has not started yet.
    struct QueuedRefresh {
        std::set<std::size_t> sources;
        std::vector<Completion> completions;
    };

    /// Under the lock.
    void markLocked(std::size_t source);
    /// Under the lock: removes the targets of windows reported gone.
    void dropGoneWindows(std::vector<Target>& targets) const;
    /// On the queue: takes the waiting refresh and runs it.
    void runQueuedRefresh();
    void refreshOne(std::size_t source);

    /// Everything below that is per source is indexed by the source's place here.
    const Sources sources_;
    const std::optional<std::size_t> windows_;
    platform::Dispatch& dispatch_;
    mutable std::mutex lock_;
    std::vector<std::optional<std::vector<Target>>> cache_;
    std::set<std::size_t> dirty_;
    /// How often each source was marked, so a refresh knows whether a mark came while it ran.
    std::vector<std::uint64_t> marks_;
    /// Windows reported gone, with the windows' mark count then: an enumeration that started
    /// before may still list them.
    std::map<std::uint32_t, std::uint64_t> goneWindows_;
    std::int64_t refreshCounter_ = 0;
    std::optional<QueuedRefresh> queued_;
    /// Last, so it is destroyed first: that waits for queued refreshes while the rest still lives.
    std::unique_ptr<platform::TaskQueue> queue_;
};

}  // namespace zerlith
