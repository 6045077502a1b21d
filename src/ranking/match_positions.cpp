#include "ranking/match_positions.hpp"

#include "ranking/unicode_text.hpp"

namespace zerlith::FuzzyMatcher {
namespace {

/// Each character of `text` as the matcher compares it.
std::vector<icu::UnicodeString> comparableCharacters(std::string_view text) {
    const auto unicode = UnicodeText::fromUtf8(text);
    const auto boundaries = UnicodeText::characterBoundaries(unicode);
    std::vector<icu::UnicodeString> characters;
    characters.reserve(boundaries.size());
    for (std::size_t i = 0; i + 1 < boundaries.size(); ++i) {
        const auto character = unicode.tempSubStringBetween(boundaries[i], boundaries[i + 1]);
        characters.push_back(UnicodeText::decomposed(UnicodeText::lowerCased(character)));
    }
    return characters;
}

}  // namespace

std::vector<std::size_t> matchedCharacters(std::string_view query, std::string_view candidate) {
    if (query.empty() || query.size() > UnicodeText::kMaxTextBytes ||
        candidate.size() > UnicodeText::kMaxTextBytes) {
        return {};
    }
    const auto wanted = comparableCharacters(query);
    const auto characters = comparableCharacters(candidate);
    std::vector<std::size_t> positions;
    std::size_t next = 0;
    for (std::size_t i = 0; i < characters.size() && next < wanted.size(); ++i) {
        if (characters[i] != wanted[next]) continue;
        positions.push_back(i);
        ++next;
    }
    if (next < wanted.size()) return {};
    return positions;
}

}  // namespace zerlith::FuzzyMatcher
