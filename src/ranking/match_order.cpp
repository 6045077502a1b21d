#include "ranking/match_order.hpp"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

namespace zerlith::FuzzyMatcher {
namespace {

/// An unsigned number that orders like the key, highest key lowest: doubles compare as their bits
/// once negatives have all bits flipped and the rest only the sign bit.
std::uint64_t descendingOrder(double key) {
    constexpr std::uint64_t kSign = std::uint64_t{1} << 63;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(key == 0.0 ? 0.0 : key);  // −0 is 0
    return ~((bits & kSign) != 0 ? ~bits : bits | kSign);
}

struct SortEntry {
    std::uint64_t order;
    std::uint32_t match;  ///< index into the matches
};

/// A stable least-significant-digit radix sort on `order`, 11 bits at a time, skipping the digits
/// all entries share. A comparison sort of 10,000 matches costs more than the matching does.
void sortStably(std::vector<SortEntry>& entries) {
    constexpr int kDigitBits = 11;
    constexpr int kDigits = (64 + kDigitBits - 1) / kDigitBits;
    constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;
    const auto digitOf = [](std::uint64_t order, int digit) {
        return static_cast<std::size_t>((order >> (kDigitBits * digit)) & (kBuckets - 1));
    };
    std::vector<std::array<std::uint32_t, kBuckets>> counts(kDigits);
    for (const SortEntry& entry : entries) {
        for (int digit = 0; digit < kDigits; ++digit) ++counts[digit][digitOf(entry.order, digit)];
    }
    std::vector<SortEntry> sorted(entries.size());
    for (int digit = 0; digit < kDigits; ++digit) {
        std::array<std::uint32_t, kBuckets>& count = counts[digit];
        if (count[digitOf(entries.front().order, digit)] == entries.size()) continue;
        std::uint32_t position = 0;
        for (std::uint32_t& bucket : count) position += std::exchange(bucket, position);
        for (const SortEntry& entry : entries) sorted[count[digitOf(entry.order, digit)]++] = entry;
        entries.swap(sorted);
    }
}

/// Scores the candidates `indexOf(0..count)` names, in that order.
template <class Candidate, class IndexOf>
std::vector<OrderedMatch> filterAndOrder(const PreparedQuery& query, std::span<const Candidate> candidates,
                                         std::span<const double> bias, std::size_t count, IndexOf indexOf) {
    const bool biased = bias.size() == candidates.size();
    std::vector<OrderedMatch> matches;
    matches.reserve(count);
    for (std::size_t n = 0; n < count; ++n) {
        const std::size_t i = indexOf(n);
        if (const std::optional<double> matchScore = score(query, candidates[i])) {
            // A NaN would leave the order undefined; it counts as no bias.
            matches.push_back({i, *matchScore + (biased && !std::isnan(bias[i]) ? bias[i] : 0.0)});
        }
    }
    if (matches.empty()) return matches;

    std::vector<SortEntry> entries;
    entries.reserve(matches.size());
    for (std::size_t m = 0; m < matches.size(); ++m) {
        entries.push_back({descendingOrder(matches[m].key), static_cast<std::uint32_t>(m)});
    }
    sortStably(entries);  // the entries start in list order, which equal keys keep
    std::vector<OrderedMatch> ordered;
    ordered.reserve(entries.size());
    for (const SortEntry& entry : entries) ordered.push_back(matches[entry.match]);
    return ordered;
}

template <class Candidate>
std::vector<OrderedMatch> filterAndOrder(const PreparedQuery& query, std::span<const Candidate> candidates,
                                         std::span<const double> bias) {
    return filterAndOrder(query, candidates, bias, candidates.size(), [](std::size_t n) { return n; });
}

}  // namespace

std::vector<OrderedMatch> orderMatches(const PreparedQuery& query, std::span<const Prepared> candidates,
                                       std::span<const double> bias) {
    return filterAndOrder(query, candidates, bias);
}

std::vector<OrderedMatch> orderMatches(const PreparedQuery& query, std::span<const Prepared> candidates,
                                       std::span<const double> bias, std::span<const std::size_t> among) {
    return filterAndOrder(query, candidates, bias, among.size(), [among](std::size_t n) { return among[n]; });
}

std::vector<OrderedMatch> orderMatches(const PreparedQuery& query,
                                       std::span<const std::string_view> candidates,
                                       std::span<const double> bias) {
    return filterAndOrder(query, candidates, bias);
}

}  // namespace zerlith::FuzzyMatcher
