#include "ranking/match_order.hpp"

#include <algorithm>
#include <cmath>

namespace zerlith::FuzzyMatcher {

std::vector<OrderedMatch> orderMatches(const PreparedQuery& query, std::span<const Prepared> candidates,
                                       std::span<const double> bias) {
    const bool biased = bias.size() == candidates.size();
    std::vector<OrderedMatch> matches;
    matches.reserve(candidates.size());
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (const std::optional<double> matchScore = score(query, candidates[i])) {
            // A NaN would leave the order undefined; it counts as no bias.
            const double added = biased && !std::isnan(bias[i]) ? bias[i] : 0.0;
            matches.push_back({i, *matchScore + added});
        }
    }
    // The index breaks ties, which makes the order total and so as stable as a stable sort.
    std::sort(matches.begin(), matches.end(), [](const OrderedMatch& a, const OrderedMatch& b) {
        return a.key != b.key ? a.key > b.key : a.index < b.index;
    });
    return matches;
}

}  // namespace zerlith::FuzzyMatcher
