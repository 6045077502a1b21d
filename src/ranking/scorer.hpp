#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "model/target.hpp"
#include "ranking/usage_store.hpp"

/// The relevance of each target apart from any typed query: recency, frequency and context of its
/// past uses, the application and screen the user came from, and a penalty that sinks the target
/// the user is on now. Stateless: everything it reads is handed in. Any thread (takes the usage
/// store's lock once per target).
namespace zerlith::Scorer {

/// The targets with `score` set, best first. Equal scores go by title (code points after canonical
/// normalisation); equal scores and titles keep their input order. `context` is a context key as
/// UsageStore::currentContextKey() gives it, `activeScreen` the name of the screen the user works
/// on; each none when unknown. Recency is measured on `usage`'s clock, the one that stamped its
/// uses.
std::vector<Target> rank(std::vector<Target> targets, std::optional<std::string_view> context,
                         std::optional<std::string_view> activeScreen, const UsageStore& usage);

/// Whether the target is the one the context key names: same application and, when the key has a
/// window title, a title equal to it or a prefix of one another.
bool isCurrent(const Target& target, std::string_view context);

namespace detail {
/// Whether a code point is in NFC on its own and never combines with a neighbour, so that a text
/// made only of such code points needs no normalisation before titles are compared.
bool isComposedOnItsOwn(std::int32_t codePoint);
}  // namespace detail

}  // namespace zerlith::Scorer
