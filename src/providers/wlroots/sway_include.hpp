#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zerlith::wlroots {

/// A variable of sway's own environment; none when unset.
using SwayEnvironment = std::function<std::optional<std::string>(const std::string& name)>;

/// The paths an `include` names, as sway reads its argument with wordexp(3) in the including
/// file's folder: `~` and `$NAME` / `${NAME}` from sway's environment, quotes and backslashes,
/// words split at blanks, each glob pattern replaced by the names it matches (sorted; none when
/// it matches nothing), relative paths taken in `folder`. Shell syntax wordexp refuses (`;`, `|`,
/// an open quote…) names nothing, as sway then includes nothing. None when the argument runs a
/// command or does arithmetic (`$(…)`, `` `…` ``, `$((…))`), or `folder` is needed but empty:
/// what sway reads is then unknown.
std::optional<std::vector<std::filesystem::path>> includedPaths(std::string_view argument,
                                                                const std::filesystem::path& folder,
                                                                const SwayEnvironment& environment);

}  // namespace zerlith::wlroots
