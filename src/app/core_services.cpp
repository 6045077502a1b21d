#include "app/core_services.hpp"

#include "system/usage_context.hpp"

namespace zerlith::app {
namespace {

/// How long quitting waits for the history to reach the disk.
constexpr double kQuitFlushTimeout = 2.0;

}  // namespace

CoreServices::CoreServices(Runtime runtime)
    : runtime_(std::move(runtime)),
      installed_(*runtime_.desktop),
      usage_(UsageStore::defaultHistoryFile(), desktop().clock(), desktop().dispatch(), UsageContext::currentKey) {}

CoreServices::~CoreServices() {
    // Background raises use the desktop and the log; the history writes they may queue come
    // after, so drain first, then flush.
    runtime_.dispatch->drainConcurrentQueue();
    usage_.flush(kQuitFlushTimeout);
}

}  // namespace zerlith::app
