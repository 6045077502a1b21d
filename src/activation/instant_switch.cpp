#include "activation/instant_switch.hpp"

#include <algorithm>

#include "activation/activator.hpp"
#include "cache/snapshot_store.hpp"
#include "desktop/screens.hpp"
#include "ranking/scorer.hpp"
#include "ranking/usage_store.hpp"

namespace zerlith::InstantSwitch {

bool toggle(SnapshotStore& store, UsageStore& usage, ActivationLog& log) {
    const auto context = usage.currentContextKey();
    const auto ranked = Scorer::rank(store.current(), context, Screens::activeName(), usage);
    const auto chosen = std::find_if(ranked.begin(), ranked.end(), [&context](const Target& target) {
        return !context || !Scorer::isCurrent(target, *context);
    });
    if (chosen == ranked.end()) return false;
    usage.record(chosen->id, context);
    Activator::activate(log, *chosen, std::nullopt);
    store.refreshDirty();
    return true;
}

}  // namespace zerlith::InstantSwitch
