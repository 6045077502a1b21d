#include "settings/updater.hpp"

#include <algorithm>

namespace zerlith {
namespace {

constexpr std::string_view kAutomaticKey = "updates.automatic";
constexpr std::string_view kFeedKey = "updates.feedURL";
constexpr std::string_view kLastCheckKey = "updates.lastCheck";

}  // namespace

Updater::Updater(platform::Preferences& preferences, platform::Clock& clock, platform::Dispatch& dispatch,
                 UpdateFeed& feed, std::string currentVersion, std::string defaultFeedURL)
    : preferences_(preferences),
      clock_(clock),
      dispatch_(dispatch),
      feed_(feed),
      currentVersion_(std::move(currentVersion)),
      defaultFeedURL_(std::move(defaultFeedURL)) {}


void Updater::start() {
    if (started_) return;
    started_ = true;
    schedule();
}

bool Updater::automaticallyChecksForUpdates() {
    const auto stored = preferences_.value(kAutomaticKey);
    return stored && stored->is_boolean() ? stored->get<bool>() : true;
}

void Updater::setAutomaticallyChecksForUpdates(bool on) {
    preferences_.setValue(kAutomaticKey, on);
    if (started_) schedule();
}

std::string Updater::feedURL() {
    const auto stored = preferences_.value(kFeedKey);
    return stored && stored->is_string() ? stored->get<std::string>() : defaultFeedURL_;
}

void Updater::checkForUpdates() { check(false); }

void Updater::schedule() {
    const unsigned generation = ++schedule_;
    if (!automaticallyChecksForUpdates()) return;
    const auto last = preferences_.value(kLastCheckKey);
    const double lastCheck = last && last->is_number() ? last->get<double>() : 0;
    // A last check in the future (a clock set back) counts as long ago.
    const double since = std::max(0.0, clock_.now() - lastCheck);
    const double wait = std::max(kFirstCheckDelay, kCheckInterval - since);
    dispatch_.postMainAfter(wait, [weak = self_.weak(), generation] {
        auto* updater = weak.get();
        if (!updater || updater->schedule_ != generation) return;
        updater->check(true);
        updater->schedule();
    });
}

void Updater::check(bool automatic) {
    if (status_.checking) return;
    const auto url = feedURL();
    if (url.empty()) {
        // Nothing to ask: said when the user asks, silent for the automatic checks.
        if (automatic) return;
        status_ = {"No update feed is configured.", "", false};
        publish(false);
        return;
    }
    if (automatic) preferences_.setValue(kLastCheckKey, clock_.now());
    status_ = {"Checking for updates…", "", true};
    publish(false);
    feed_.fetch(url, [weak = self_.weak()](UpdateFeed::Result result) {
        if (auto* updater = weak.get()) updater->finish(result);
    });
}

void Updater::finish(const UpdateFeed::Result& result) {
    if (const auto* error = std::get_if<std::string>(&result)) {
        status_ = {"Could not check for updates: " + *error + ".", "", false};
        publish(false);
        return;
    }
    const auto& releases = std::get<std::vector<FeedRelease>>(result);
    if (const auto newest = newestAbove(releases, currentVersion_)) {
        status_ = {"Zerlith " + newest->version + " is available.", isWebLink(newest->link) ? newest->link : "", false};
        publish(true);
        return;
    }
    status_ = {"Zerlith " + currentVersion_ + " is the newest version.", "", false};
    publish(false);
}

void Updater::publish(bool newVersion) {
    if (listener_) listener_(status_, newVersion);
}

}  // namespace zerlith
