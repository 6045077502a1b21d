#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "ranking/fuzzy_matcher.hpp"

namespace zerlith::FuzzyMatcher {

/// One candidate that matched: where it is in the list, and what it is ordered by.
struct OrderedMatch {
    std::size_t index = 0;
    double key = 0;  ///< the match score plus the candidate's bias
};

/// The per-keystroke step of a list filtered by a query: scores every candidate, drops those that
/// do not match and orders the rest by key, highest first, equal keys in list order. `bias` holds
/// one value per candidate, added to its match score (the palette passes a tenth of each target's
/// relevance); a bias of another length, or a NaN in it, counts as none. Any thread.
std::vector<OrderedMatch> orderMatches(const PreparedQuery& query, std::span<const Prepared> candidates,
                                       std::span<const double> bias = {});
/// The same over the candidates at `among` only (indices into `candidates`, ascending), as when a
/// query grew and only the earlier matches can still match.
std::vector<OrderedMatch> orderMatches(const PreparedQuery& query, std::span<const Prepared> candidates,
                                       std::span<const double> bias, std::span<const std::size_t> among);
/// The same for candidates matched only once (see score()).
std::vector<OrderedMatch> orderMatches(const PreparedQuery& query,
                                       std::span<const std::string_view> candidates,
                                       std::span<const double> bias = {});

}  // namespace zerlith::FuzzyMatcher
