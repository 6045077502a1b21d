#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Does a typed query match a text, and how well: a greedy left-to-right subsequence scan over
// user-perceived characters, compared case-insensitively (full Unicode lower-casing) and up to
// canonical equivalence ("é" equals "e" + U+0301). The first candidate character earns 9 when
// matched; every later match earns 1, or 4 right after the previous match, plus 4 at a word start
// (after white space, after one of "-_./\:—–|()[]#", or a lower-to-upper-case hump); the result
// loses 0.02 per candidate character.
//
// The Unicode work happens once per text in prepare() and prepareQuery(); scoring a prepared pair
// is a byte scan, cheap enough to re-match thousands of targets on every keystroke. All functions
// are pure and may run on any thread; prepared values are immutable and can be shared.
//
// Texts longer than UnicodeText's limit (1 MiB) are not analysed: such a candidate behaves as the
// empty text, such a query matches nothing. Ill-formed UTF-8 reads as U+FFFD.
//
// Lower-casing can change where characters begin (rarely: a capital circled letter ends an emoji
// sequence, whose lower-case form is no pictograph). The word-start test then reads, for each
// lower-cased character, the written character its first code point came from; only the first
// lower-cased character of a written one can start a word, and nothing is read beyond the text.
namespace zerlith::FuzzyMatcher {

/// A candidate text, analysed for matching.
class Prepared {
public:
    Prepared() = default;  ///< the empty text

    /// The number of characters of the lower-cased text.
    std::size_t characterCount() const { return characterCount_; }

private:
    friend class PreparedBuilder;
    friend class CandidateScan;

    static constexpr char kCharacterStart = 1;
    static constexpr char kWordStart = 2;

    /// The lower-cased characters, each in canonical decomposition, back to back in UTF-8; then a
    /// flag byte for each of those bytes, and one more (a character start) for the end of the text.
    /// One block keeps a candidate's scan within few cache lines.
    std::string bytes_ = std::string(1, kCharacterStart);
    std::uint32_t keyBytes_ = 0;
    std::uint32_t characterCount_ = 0;
    /// The classes of the characters' first bytes, one bit each: most misses end here.
    std::uint64_t firstBytes_ = 0;
};

/// A query text, analysed for matching.
class PreparedQuery {
public:
    PreparedQuery() = default;  ///< the empty query, which matches everything with 0.0

    std::size_t characterCount() const { return characters_.size(); }

    /// Whether this query is `earlier` with characters typed after it: then every candidate that
    /// matches this one matches `earlier` too, so only those need scoring.
    bool extends(const PreparedQuery& earlier) const;

private:
    friend PreparedQuery prepareQuery(std::string_view query);
    friend std::optional<double> score(const PreparedQuery& query, const Prepared& candidate);
    friend std::optional<double> score(const PreparedQuery& query, std::string_view candidate);

    /// The lower-cased characters, each in canonical decomposition, in UTF-8.
    std::vector<std::string> characters_;
    std::uint64_t firstBytes_ = 0;  ///< as in Prepared
    std::string asciiKeys_;         ///< the characters whose key is one ASCII byte, each once
    bool matchesNothing_ = false;   ///< too long to analyse
};

Prepared prepare(std::string_view candidate);
PreparedQuery prepareQuery(std::string_view query);

/// The match score, higher is better (negative for long candidates); absent when the query's
/// characters do not all appear in order. The empty query matches everything with 0.0.
std::optional<double> score(const PreparedQuery& query, const Prepared& candidate);
/// The same for a candidate matched only once (filtering a file, say): a single pass over the text
/// for the usual text, cheaper than preparing it.
std::optional<double> score(const PreparedQuery& query, std::string_view candidate);
/// The same for texts not prepared yet.
std::optional<double> score(std::string_view query, std::string_view candidate);

}  // namespace zerlith::FuzzyMatcher
