#pragma once

#include "app/runtime.hpp"
#include "cache/snapshot_store.hpp"
#include "cli/command_line.hpp"
#include "desktop/activation_log.hpp"
#include "ranking/usage_store.hpp"
#include "system/icon_cache.hpp"

namespace zerlith::app {

/// The composition root of every mode: the chosen desktop with its clock and queues, installed
/// as the current platform, and the stores built over it. Members are built in the order they
/// depend on each other and torn down in reverse; before that, the destructor lets queued
/// background work finish and flushes the usage history, so a use recorded just before quitting
/// reaches the disk. Main thread.
class CoreServices {
public:
    explicit CoreServices(Runtime runtime);
    ~CoreServices();
    CoreServices(const CoreServices&) = delete;
    CoreServices& operator=(const CoreServices&) = delete;

    platform::Platform& desktop() { return *runtime_.desktop; }
    platform::Clock& clock() { return *runtime_.clock; }
    platform::Dispatch& dispatch() { return *runtime_.dispatch; }
    SnapshotStore& snapshots() { return snapshots_; }
    UsageStore& usage() { return usage_; }
    ActivationLog& activationLog() { return activationLog_; }
    IconCache& icons() { return icons_; }

    /// What the command-line modes work with.
    CLI::Services cli() { return {snapshots_, usage_, activationLog_}; }

private:
    ActivationLog activationLog_;  // first: background raises still write it while the queues drain
    Runtime runtime_;
    platform::ScopedPlatform installed_;
    SnapshotStore snapshots_;
    UsageStore usage_;
    IconCache icons_;
};

}  // namespace zerlith::app
