// zerlith-filter QUERY < lines: prints the lines that match QUERY, best first, like `fzf --filter`;
// the palette's matcher and ordering over a text file, for comparison with other matchers. Like
// fzf it matches on every core: each thread orders its share of the lines, and the shares merge.

#include <algorithm>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "ranking/fuzzy_matcher.hpp"
#include "ranking/match_order.hpp"

namespace {

using zerlith::FuzzyMatcher::OrderedMatch;

std::string readAll(std::FILE* input) {
    std::string text;
    std::vector<char> buffer(1 << 20);
    for (std::size_t read; (read = std::fread(buffer.data(), 1, buffer.size(), input)) > 0;) {
        text.append(buffer.data(), read);
    }
    return text;
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return lines;
}

/// Each line is matched once, so it is scanned as it stands rather than prepared.
std::vector<OrderedMatch> orderedInParallel(const zerlith::FuzzyMatcher::PreparedQuery& query,
                                            std::span<const std::string_view> lines) {
    const std::size_t shares = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 64);
    const std::size_t shareSize = (lines.size() + shares - 1) / shares;
    std::vector<std::vector<OrderedMatch>> ordered(shares);
    std::vector<std::thread> threads;
    for (std::size_t share = 0; share < shares; ++share) {
        const std::size_t first = std::min(lines.size(), share * shareSize);
        const std::size_t count = std::min(shareSize, lines.size() - first);
        threads.emplace_back([&, share, first, count] {
            ordered[share] = zerlith::FuzzyMatcher::orderMatches(query, lines.subspan(first, count));
            for (OrderedMatch& match : ordered[share]) match.index += first;
        });
    }
    for (std::thread& thread : threads) thread.join();

    // Shares in list order, and a merge that prefers the earlier share on equal keys, keep the
    // order a single pass would give.
    std::vector<OrderedMatch> merged;
    for (const std::vector<OrderedMatch>& share : ordered) {
        std::vector<OrderedMatch> next;
        next.reserve(merged.size() + share.size());
        std::merge(merged.begin(), merged.end(), share.begin(), share.end(), std::back_inserter(next),
                   [](const OrderedMatch& a, const OrderedMatch& b) { return a.key > b.key; });
        merged = std::move(next);
    }
    return merged;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zerlith-filter QUERY < lines\n");
        return 2;
    }
    const std::string text = readAll(stdin);
    const std::vector<std::string_view> lines = linesOf(text);
    const std::vector<OrderedMatch> matches =
        orderedInParallel(zerlith::FuzzyMatcher::prepareQuery(argv[1]), lines);
    std::string output;
    for (const OrderedMatch& match : matches) {
        output += lines[match.index];
        output += '\n';
    }
    std::fwrite(output.data(), 1, output.size(), stdout);
    return matches.empty() ? 1 : 0;
}
