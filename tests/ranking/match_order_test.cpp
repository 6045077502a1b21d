#include "ranking/match_order.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace zerlith::FuzzyMatcher {
namespace {

std::vector<Prepared> prepared(std::initializer_list<std::string_view> texts) {
    std::vector<Prepared> result;
    for (std::string_view text : texts) result.push_back(prepare(text));
    return result;
}

std::vector<std::size_t> indices(const std::vector<OrderedMatch>& matches) {
    std::vector<std::size_t> result;
    for (const OrderedMatch& match : matches) result.push_back(match.index);
    return result;
}

TEST(OrderMatches, DropsMissesAndOrdersByScorePlusBias) {
    // "ab" scores: 'xab' 1+4−0.06 = 4.94, 'ab' 12.96, 'a b' 9+1+4−0.06 = 13.94, 'b a' none.
    const std::vector<Prepared> candidates = prepared({"xab", "ab", "a b", "b a"});
    const PreparedQuery query = prepareQuery("ab");
    EXPECT_EQ(indices(orderMatches(query, candidates)), (std::vector<std::size_t>{2, 1, 0}));

    const std::vector<double> bias = {10.0, 0.0, -1.0, 100.0};
    const std::vector<OrderedMatch> biased = orderMatches(query, candidates, bias);
    EXPECT_EQ(indices(biased), (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_DOUBLE_EQ(biased[0].key, 14.94);
}

TEST(OrderMatches, EqualKeysKeepListOrder) {
    const std::vector<Prepared> candidates = prepared({"b", "a", "c", "a", "a"});
    EXPECT_EQ(indices(orderMatches(prepareQuery("a"), candidates)), (std::vector<std::size_t>{1, 3, 4}));
    const std::vector<double> bias = {0.5, 0.0, 0.5, 0.5, 0.0};
    EXPECT_EQ(indices(orderMatches(PreparedQuery(), candidates, bias)),
              (std::vector<std::size_t>{0, 2, 3, 1, 4}));
}

TEST(OrderMatches, BiasOfAnotherLengthOrNaNCountsAsNone) {
    const std::vector<Prepared> candidates = prepared({"a", "a", "a"});
    const std::vector<double> tooShort = {5.0};
    EXPECT_EQ(indices(orderMatches(prepareQuery("a"), candidates, tooShort)),
              (std::vector<std::size_t>{0, 1, 2}));
    const std::vector<double> withNaN = {std::nan(""), 1.0, std::nan("")};
    EXPECT_EQ(indices(orderMatches(prepareQuery("a"), candidates, withNaN)),
              (std::vector<std::size_t>{1, 0, 2}));
    EXPECT_TRUE(orderMatches(prepareQuery("a"), std::span<const Prepared>()).empty());
}

}  // namespace
}  // namespace zerlith::FuzzyMatcher
