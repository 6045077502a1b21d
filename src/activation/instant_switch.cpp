#include "activation/instant_switch.hpp"

#include "activation/activator.hpp"
#include "cache/snapshot_store.hpp"
#include "desktop/screens.hpp"
#include "ranking/scorer.hpp"
#include "ranking/usage_store.hpp"

namespace zerlith::InstantSwitch {

bool toggle(SnapshotStore& store, UsageStore& usage, ActivationLog& log) {
    const auto context = usage.currentContextKey();
    const auto ranked = Scorer::rank(store.current(), context, Screens::activeName(), usage);
    bool switched = false;
    for (const auto& target : ranked) {
        if (context && Scorer::isCurrent(target, *context)) continue;
        // A window that closed since the last listing cannot be raised: the next one is the user's
        // most likely target then, and the closed one gets no use.
        if (!Activator::activate(log, target, std::nullopt)) continue;
        usage.record(target.id, context);
        switched = true;
        break;
    }
    // Also when every window listed has closed: the next press then finds the ones opened since.
    store.refreshDirty();
    return switched;
}

}  // namespace zerlith::InstantSwitch
