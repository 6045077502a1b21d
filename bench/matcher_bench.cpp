// The palette's per-keystroke work: re-filter and order 10,000 prepared targets by match score
// plus a tenth of their relevance. Goal: 0.5 ms or less per keystroke. A key that grows the query
// scores only the earlier matches again. Also the one-time cost of preparing 10,000 haystacks when
// the target list changes.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "haystacks.hpp"
#include "ranking/fuzzy_matcher.hpp"
#include "ranking/match_order.hpp"

namespace {

using namespace zerlith;

constexpr std::size_t kTargets = 10'000;

struct PaletteList {
    std::vector<FuzzyMatcher::Prepared> haystacks;
    std::vector<double> bias;  ///< a tenth of each target's relevance score
};

const PaletteList& paletteList() {
    static const PaletteList list = [] {
        PaletteList built;
        std::mt19937 random(7);
        std::uniform_real_distribution<double> relevance(-5.0, 60.0);
        for (const std::string& haystack : bench::switcherHaystacks(kTargets)) {
            built.haystacks.push_back(FuzzyMatcher::prepare(haystack));
            built.bias.push_back(0.1 * relevance(random));
        }
        return built;
    }();
    return list;
}

/// One keystroke: the query as typed so far, prepared, then every target matched and ordered.
void refilter(benchmark::State& state, const std::string& query) {
    const PaletteList& list = paletteList();
    std::size_t matches = 0;
    for (auto _ : state) {
        const auto ordered =
            FuzzyMatcher::orderMatches(FuzzyMatcher::prepareQuery(query), list.haystacks, list.bias);
        matches = ordered.size();
        benchmark::DoNotOptimize(ordered.data());
    }
    state.counters["matches"] = static_cast<double>(matches);
}

/// One keystroke that grows the query: only the earlier query's matches are scored again.
void refilterGrown(benchmark::State& state, const std::string& earlier, const std::string& query) {
    const PaletteList& list = paletteList();
    std::vector<std::size_t> among;
    for (const auto& match : FuzzyMatcher::orderMatches(FuzzyMatcher::prepareQuery(earlier), list.haystacks, list.bias))
        among.push_back(match.index);
    std::sort(among.begin(), among.end());
    std::size_t matches = 0;
    for (auto _ : state) {
        const auto ordered =
            FuzzyMatcher::orderMatches(FuzzyMatcher::prepareQuery(query), list.haystacks, list.bias, among);
        matches = ordered.size();
        benchmark::DoNotOptimize(ordered.data());
    }
    state.counters["scored"] = static_cast<double>(among.size());
    state.counters["matches"] = static_cast<double>(matches);
}

void prepareAll(benchmark::State& state) {
    const std::vector<std::string> haystacks = bench::switcherHaystacks(kTargets);
    for (auto _ : state) {
        std::vector<FuzzyMatcher::Prepared> prepared;
        prepared.reserve(haystacks.size());
        for (const std::string& haystack : haystacks) prepared.push_back(FuzzyMatcher::prepare(haystack));
        benchmark::DoNotOptimize(prepared.data());
    }
}

}  // namespace

BENCHMARK_CAPTURE(refilter, query_1_char, std::string("r"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refilter, query_3_chars, std::string("rev"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refilter, query_8_chars, std::string("review m"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refilter, query_3_chars_non_ascii, std::string("caf"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refilterGrown, query_3_chars_after_2, std::string("re"), std::string("rev"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(refilterGrown, query_8_chars_after_7, std::string("review "), std::string("review m"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(prepareAll)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
