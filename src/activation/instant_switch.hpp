#pragma once

namespace zerlith {
class ActivationLog;
class SnapshotStore;
class UsageStore;
}  // namespace zerlith

/// The instant-switch hot key's action: jump to the best-ranked cached target that is not the
/// one the user is in, with no palette and without waiting for enumeration.
namespace zerlith::InstantSwitch {

/// Main thread. Activates the best-ranked target that is not the current one and can be raised,
/// then records its use (also when the raise it started fails later); does nothing when the cache
/// is empty or holds no such target. Afterwards, whether it switched or not, the dirty sources
/// refresh in the background. Whether it switched.
bool toggle(SnapshotStore& store, UsageStore& usage, ActivationLog& log);

}  // namespace zerlith::InstantSwitch
