#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.hpp"
#include "platform/dispatch.hpp"
#include "ranking/usage_history.hpp"

namespace zerlith {

/// Remembers which targets the user switched to, how often, how recently and from which context,
/// and names the context (where the user came from).
///
/// The history is loaded once, at construction, and the whole of it is rewritten to the file after
/// every recorded use, on the serial queue "com.halvorn.zerlith.usage". A file that does not load is
/// moved aside (`usage.json.corrupt-<UTC time>`) before the first write replaces it. A write that
/// fails (full disk, read-only folder) leaves the previous file as it was and is reported in one
/// line on standard error, once until a write succeeds again; the uses stay in memory and go
/// out with the next write that succeeds.
///
/// Threads: record(), stats() and flush() from any thread; record() and stats() hold the store's
/// lock only for their map access, and writes encode and touch the disk outside it. Time, the
/// queue and the context come from whoever builds the store.
class UsageStore {
public:
    using Record = UsageHistory::Record;
    /// Names the context of this moment (UsageContext::currentKey in the application); none when
    /// unknown.
    using ContextReader = std::function<std::optional<std::string>()>;

    /// A target's figures; all zero when it was never used.
    struct Stats {
        double lastUsed = 0;
        std::int64_t count = 0;
        std::int64_t contextCount = 0;   ///< uses from the asked context; 0 without one
        std::int64_t affinityTotal = 0;  ///< uses made with any context
    };

    /// Loads the history at `historyFile`, creating its folder (owner-only) when missing; a missing
    /// or malformed file gives an empty history. Without a file the history lives in memory only.
    /// `clock` and `dispatch` outlive the store; its writes go to a serial queue of `dispatch`.
    UsageStore(std::optional<std::filesystem::path> historyFile, platform::Clock& clock,
               platform::Dispatch& dispatch, ContextReader readContext);
    /// Waits for the writes already queued (with a manual dispatch: run its work first).
    ~UsageStore();
    UsageStore(const UsageStore&) = delete;
    UsageStore& operator=(const UsageStore&) = delete;

    /// `$XDG_DATA_HOME/Zerlith/usage.json`, else `~/.local/share/Zerlith/usage.json`; none when
    /// neither variable gives a folder.
    static std::optional<std::filesystem::path> defaultHistoryFile();

    /// The context key of this moment, as the store's context reader gives it (none without a
    /// reader); touches no store state.
    std::optional<std::string> currentContextKey() const {
        return readContext_ ? readContext_() : std::nullopt;
    }
    /// The clock that stamps the uses.
    platform::Clock& clock() const { return clock_; }

    /// Records one use made now, then queues a write of the whole history.
    void record(std::string_view targetID, std::optional<std::string_view> context);
    Stats stats(std::string_view targetID, std::optional<std::string_view> context) const;

    /// Waits up to `timeoutSeconds` (the store's clock) for the queued writes to finish; true when
    /// none is left. For the application's quit, so a use recorded just before is not lost.
    bool flush(double timeoutSeconds);

private:
    using Records = UsageHistory::Records;

    void save();
    /// On the queue: writes a copy of the records, first moving a file that failed to load aside.
    void writeHistory();
    /// On the queue: reports the first of a run of failed writes.
    void noteWrite(bool written);

    const std::optional<std::filesystem::path> file_;
    platform::Clock& clock_;
    const ContextReader readContext_;
    mutable std::mutex mutex_;
    Records records_;  // guarded by mutex_
    bool keepUnloadedFileAside_ = false;  // only touched by the constructor and the queue
    bool writeFailureReported_ = false;   // only touched by the queue
    std::atomic<int> pendingWrites_{0};
    // Last, so it is destroyed first: queued writes finish while the members they use still live.
    std::unique_ptr<platform::TaskQueue> queue_;
};

}  // namespace zerlith
