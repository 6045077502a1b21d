#include "ranking/fuzzy_matcher.hpp"

#include <gtest/gtest.h>

#include <string>

namespace zerlith::FuzzyMatcher {
namespace {

struct Example {
    std::string query;
    std::string candidate;
    std::optional<double> score;
};

void expectScores(const std::vector<Example>& examples) {
    for (const Example& example : examples) {
        const std::optional<double> result = score(example.query, example.candidate);
        if (!example.score) {
            EXPECT_EQ(result, std::nullopt) << "'" << example.query << "' in '" << example.candidate << "'";
            continue;
        }
        ASSERT_TRUE(result.has_value()) << "'" << example.query << "' in '" << example.candidate << "'";
        EXPECT_DOUBLE_EQ(*result, *example.score)
            << "'" << example.query << "' in '" << example.candidate << "'";
    }
}

TEST(FuzzyMatcher, ScoresTheDocumentedExamples) {
    expectScores({
        {"", "anything", 0.0},
        {"", "", 0.0},
        {"a", "", std::nullopt},
        {"x", "abc", std::nullopt},
        {"ba", "ab", std::nullopt},
        {"a", "a", 9.0 - 0.02},
        {"ab", "ab", 9 + 4 - 0.04},
        {"fb", "FooBar", 9 + (1 + 4) - 0.12},
        {"bar", "foo-bar", (1 + 4) + 4 + 4 - 0.14},
        {"SAF", "Safari", 9 + 4 + 4 - 0.12},
        {"dc", "docs calendar", 9 + 1 - 0.26},
        {"ab", "a_xb ab", 9 + 1 - 0.14},
        {"gh", "GitHub – Pull Requests", 9 + (1 + 4) - 0.44},
        {"foo bar", "foo bar", 9 + 6 * 4 + 4 - 0.14},
        {"foo bar", "foobar", std::nullopt},
        {"o b", "foo bar", 1 + 1 + (4 + 4) - 0.14},
    });
}

TEST(FuzzyMatcher, WordStartsFollowSeparatorsBlanksAndHumps) {
    std::vector<Example> examples;
    // Each separator, including the em and en dash, opens a word: 1 + 4 for the b, minus 3 × 0.02.
    for (const std::string separator :
         {"-", "_", ".", "/", "\\", ":", "—", "–", "|", "(", ")", "[", "]", "#"}) {
        examples.push_back({"b", "a" + separator + "b", 5 - 0.06});
    }
    for (const std::string blank : {" ", "\t", "\n", "\xC2\xA0", "\xE3\x80\x80", "\r\n"}) {
        examples.push_back({"b", "a" + blank + "b", 5 - 0.06});
    }
    examples.insert(examples.end(),
                    {
                        {"b", "a+b", 1 - 0.06},  // not a separator
                        {"b",
                         "a\xCC\x81"
                         "-b",
                         5 - 0.06},                           // the accent joins the a: three characters
                        {"b", "aB", 5 - 0.04},                // hump
                        {"b", "AB", 1 - 0.04},                // no hump between two capitals
                        {"b", "1B", 1 - 0.04},                // a digit is not lower-case
                        {"b", "ßB", 5 - 0.04},                // ß upper-cases to SS: lower-case
                        {"\xC3\xA9", "a\xC3\x89", 5 - 0.04},  // É after a lower-case letter
                        {"\xC3\xA9",
                         "\xC3\xA0"
                         "E\xCC\x81",
                         5 - 0.04},                           // the hump holds for decomposed letters too
                        {"\xC7\x86", "a\xC7\x85", 1 - 0.04},  // title-case ǅ is neither upper nor lower-case
                        {"b",
                         "-\xCC\x81"
                         "b",
                         1 - 0.04},                        // a separator with an accent is not a separator
                        {"ab", "xa-b", 1 + 1 + 4 - 0.08},  // a word start after a gap: 1 + 4, no run bonus
                        {"ab", "a b", 9 + 1 + 4 - 0.06},
                    });
    expectScores(examples);
}

TEST(FuzzyMatcher, CanonicallyEquivalentFormsAreEqual) {
    const std::string precomposed = "\xC3\xA9";  // é
    const std::string decomposed = "e\xCC\x81";  // e + combining acute
    expectScores({
        {precomposed, "caf" + decomposed, 1 - 0.08},
        {decomposed, "caf" + precomposed, 1 - 0.08},
        {"\xC3\x89", "caf" + decomposed, 1 - 0.08},  // É typed, lower-cased first
        {"f" + precomposed, "Caf" + decomposed, 1 + 4 - 0.08},
        {"e", "caf" + precomposed, std::nullopt},              // accents are not folded
        {"e", "caf" + decomposed, std::nullopt},               // nor split off
        {"q\xCC\x87\xCC\xA3", "q\xCC\xA3\xCC\x87", 9 - 0.02},  // marks in either order
    });
}

TEST(FuzzyMatcher, CharactersAreUserPerceived) {
    const std::string coder = "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB";  // woman, ZWJ, laptop
    const std::string woman = "\xF0\x9F\x91\xA9";
    expectScores({
        {coder, "x " + coder, 1 + 4 - 0.06},
        {woman, "x " + coder, std::nullopt},  // part of a character does not match
        {"a", "a\r\nb", 9 - 0.06},            // CR LF is one character
        {"a", "xa\r\nb\r\nc", 1 - 0.12},
        {"\xE6\x97\xA5\xE6\x9C\xAC", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", 9 + 4 - 0.06},
        // Flags pair regional indicators from the left: F U | S holds no U S.
        {"\xF0\x9F\x87\xBA\xF0\x9F\x87\xB8", "\xF0\x9F\x87\xAB\xF0\x9F\x87\xBA\xF0\x9F\x87\xB8",
         std::nullopt},
        {"\xF0\x9F\x87\xBA\xF0\x9F\x87\xB8", "-\xF0\x9F\x87\xBA\xF0\x9F\x87\xB8", 1 + 4 - 0.04},
    });
}

TEST(FuzzyMatcher, LowerCasingThatChangesLengthStaysInBounds) {
    // İ lower-cases to i + combining dot above: more code points, the same one character.
    expectScores({
        {"i\xCC\x87", "\xC4\xB0stanbul", 9 - 0.16},
        {"\xC4\xB0s", "x\xC4\xB0stanbul", (1 + 4) + 4 - 0.18},
        {"i", "\xC4\xB0stanbul", std::nullopt},
        {"ss",
         "Stra\xC3\x9F"
         "e",
         std::nullopt},  // ß stays ß
        {"\xC3\x9F", "STRASSE", std::nullopt},
        {"\xCF\x83", "\xCE\x9F\xCE\xA3\xCE\x9F\xCE\xA3", 1 - 0.08},  // σ, not the final ς
        {"\xCF\x82", "\xCE\x9F\xCE\xA3\xCE\x9F\xCE\xA3", 1 - 0.08},  // the final Σ is ς
    });
    // Woman, ZWJ, circled capital M is one emoji sequence; its lower-case circled m is no emoji, so
    // lower-casing splits it in two. Both halves belong to one written character: the second
    // starts no word, and the typed text still matches itself.
    const std::string sequence = "\xF0\x9F\x91\xA9\xE2\x80\x8D\xE2\x93\x82";
    expectScores({
        {sequence, sequence, 9 + 4 - 0.04},
        {sequence, "a-" + sequence, (1 + 4) + 4 - 0.08},
        {"\xE2\x93\x9C", sequence, 1 - 0.04},
        {"\xE2\x93\x82", "x" + sequence, 1 - 0.06},
        {"b", sequence + "-B", 1 + 4 - 0.08},
        {"a", sequence + "A", 1 - 0.06},
    });
}

TEST(FuzzyMatcher, HostileTextIsSafe) {
    const std::string huge(3 << 20, 'a');
    expectScores({
        {"a", huge, std::nullopt},
        {"", huge, 0.0},
        {huge, "a", std::nullopt},
        {"\xFF", "a\xFE", 1 - 0.04},  // each ill-formed byte reads as U+FFFD
        {std::string("\0", 1), std::string("a\0", 2), 1 - 0.04},
        {"\xE2\x82", "\xE2\x82", 9 - 0.02},
    });
    EXPECT_EQ(prepare(huge).characterCount(), 0u);
}

TEST(FuzzyMatcher, PreparedTextsScoreAlike) {
    const Prepared candidate = prepare("GitHub – Pull Requests");
    EXPECT_EQ(candidate.characterCount(), 22u);
    EXPECT_DOUBLE_EQ(*score(prepareQuery("gh"), candidate), 13.56);
    EXPECT_DOUBLE_EQ(*score(prepareQuery("pr"), candidate), 1 + 4 + 1 + 4 - 0.44);
    EXPECT_EQ(score(prepareQuery("zz"), candidate), std::nullopt);
    EXPECT_EQ(score(PreparedQuery(), Prepared()), 0.0);
    EXPECT_EQ(score(prepareQuery("a"), Prepared()), std::nullopt);
}

}  // namespace
}  // namespace zerlith::FuzzyMatcher
