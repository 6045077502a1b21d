#pragma once

#include <ostream>
#include <string>

namespace zerlith {
class SnapshotStore;
class UsageStore;
}  // namespace zerlith

namespace zerlith::Dump {

/// Everything the switcher sees, as one pretty-printed JSON document with sorted keys: the
/// permissions, screens, browsers, a cold and a warm enumeration's timings, the usage context and
/// every target ranked. Runs two blocking refreshes of `store` on the calling thread. Never fails:
/// text that is not valid UTF-8 has U+FFFD where it breaks.
std::string dumpJSON(SnapshotStore& store, UsageStore& usage);

/// Writes the warnings for missing accessibility and screen-recording permissions; nothing when
/// both are granted.
void warnAboutMissingPermissions(std::ostream& err);

}  // namespace zerlith::Dump
