#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace zerlith::FuzzyMatcher {

/// Which characters of `candidate` a query matches, for highlighting them: the indices of the
/// user-perceived characters the greedy left-to-right scan takes, compared as the matcher compares
/// them (lower-cased, canonically decomposed). Empty when the query does not match or is empty.
/// Costs a Unicode analysis of the candidate: meant for the few rows on screen, not for filtering.
/// Any thread.
std::vector<std::size_t> matchedCharacters(std::string_view query, std::string_view candidate);

}  // namespace zerlith::FuzzyMatcher
