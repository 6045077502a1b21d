#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zerlith::bench {

/// Palette haystacks as the switcher builds them ("title subtitle app keyword"): window titles,
/// browser tabs with host and path hint, application names; about 75 bytes each, six in ten with
/// non-ASCII text (accented Latin, Cyrillic, Greek, CJK, emoji). The same seed gives the same list.
std::vector<std::string> switcherHaystacks(std::size_t count, unsigned seed = 42);

}  // namespace zerlith::bench
