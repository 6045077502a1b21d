#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/weak_handle.hpp"
#include "platform/clock.hpp"
#include "platform/dispatch.hpp"
#include "platform/preferences.hpp"
#include "settings/update_feed.hpp"

namespace zerlith {

/// Looks for newer versions in an update feed: on request, and on its own at most once a day
/// while automatic checks are on. It only tells: the newest version above the running one, with
/// a link for the browser. Main thread; every collaborator outlives it.
///
/// Preferences: "updates.automatic" (Boolean, default true), "updates.feedURL" (string, default
/// the build's), "updates.lastCheck" (wall-clock seconds of the last automatic check).
class Updater {
public:
    /// What the last check found, as the settings window shows it.
    struct Status {
        /// A sentence; empty before the first check.
        std::string text;
        /// The page of a newer version; empty when there is none.
        std::string link;
        bool checking = false;
    };
    /// Runs after each change of the status; `newVersion` is true when a check found a newer one.
    using Listener = std::function<void(const Status& status, bool newVersion)>;

    static constexpr double kCheckInterval = 24 * 60 * 60;
    /// How long after launch the first automatic check waits, so that starting stays quick.
    static constexpr double kFirstCheckDelay = 30;

    Updater(platform::Preferences& preferences, platform::Clock& clock, platform::Dispatch& dispatch,
            UpdateFeed& feed, std::string currentVersion, std::string defaultFeedURL);
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    /// Starts the automatic checks (when on). Once.
    void start();
    bool automaticallyChecksForUpdates();
    void setAutomaticallyChecksForUpdates(bool on);
    /// Checks now; a check already under way is not doubled.
    void checkForUpdates();

    const std::string& currentVersion() const { return currentVersion_; }
    std::string feedURL();
    const Status& status() const { return status_; }
    void setListener(Listener listener) { listener_ = std::move(listener); }

private:
    void schedule();
    void check(bool automatic);
    void finish(const UpdateFeed::Result& result);
    void publish(bool newVersion);

    platform::Preferences& preferences_;
    platform::Clock& clock_;
    platform::Dispatch& dispatch_;
    UpdateFeed& feed_;
    const std::string currentVersion_;
    const std::string defaultFeedURL_;
    Status status_;
    Listener listener_;
    bool started_ = false;
    /// Counts schedules: a delayed check that an earlier schedule left is not run.
    unsigned schedule_ = 0;
    /// Delayed work and fetch answers hold this weakly, so none reaches an updater that is gone.
    platform::WeakHandle<Updater> self_{this};
};

}  // namespace zerlith
