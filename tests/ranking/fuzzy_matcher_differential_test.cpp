// The matcher's fast path against a plain implementation of the scan, on random texts.
#include "ranking/fuzzy_matcher.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace zerlith::FuzzyMatcher {
namespace {

using icu::UnicodeString;
using Characters = std::vector<UnicodeString>;

// --- The reference: one step of the scan per line, no shortcuts. ---

Characters split(const UnicodeString& text) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> breaks(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    breaks->setText(text);
    Characters characters;
    for (std::int32_t start = 0, end = breaks->next(); end != icu::BreakIterator::DONE;
         start = end, end = breaks->next()) {
        characters.emplace_back(text, start, end - start);
    }
    return characters;
}

UnicodeString lower(UnicodeString text) {
    return text.toLower(icu::Locale::getRoot());
}
UnicodeString upper(UnicodeString text) {
    return text.toUpper(icu::Locale::getRoot());
}

bool same(const UnicodeString& a, const UnicodeString& b) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    return nfd->normalize(a, status) == nfd->normalize(b, status);
}

bool isLowerCase(const UnicodeString& c) {
    return !same(upper(c), c) && same(lower(c), c);
}
bool isUpperCase(const UnicodeString& c) {
    return !same(lower(c), c) && same(upper(c), c);
}

bool isBlank(const UnicodeString& c) {
    for (std::int32_t i = 0; i < c.length(); i = c.moveIndex32(i, 1)) {
        if (!u_hasBinaryProperty(c.char32At(i), UCHAR_WHITE_SPACE)) return false;
    }
    return true;
}

bool isSeparator(const UnicodeString& c) {
    for (const char16_t* separator :
         {u"-", u"_", u".", u"/", u"\\", u":", u"\u2014", u"\u2013", u"|", u"(", u")", u"[", u"]", u"#"}) {
        if (c == UnicodeString(separator)) return true;
    }
    return false;
}

/// For each lower-cased character, the index of the written character it came from. Lower-casing
/// maps code point by code point with lengths that do not depend on context, so the lower-cased
/// written characters, laid end to end, mark where each written character's share begins.
std::vector<std::size_t> origins(const Characters& written, const UnicodeString& lowered,
                                 const Characters& L) {
    std::vector<std::int32_t> shareStart;
    std::int32_t offset = 0;
    for (const UnicodeString& character : written) {
        shareStart.push_back(offset);
        offset += lower(character).length();
    }
    EXPECT_EQ(offset, lowered.length());
    std::vector<std::size_t> result;
    std::int32_t at = 0;
    for (const UnicodeString& character : L) {
        std::size_t j = 0;
        while (j + 1 < shareStart.size() && shareStart[j + 1] <= at) ++j;
        result.push_back(j);
        at += character.length();
    }
    return result;
}

std::optional<double> referenceScore(const std::string& query, const std::string& candidate) {
    if (query.empty()) return 0.0;
    const UnicodeString written = UnicodeString::fromUTF8(candidate);
    const Characters Q = split(lower(UnicodeString::fromUTF8(query)));
    const Characters O = split(written);
    const UnicodeString lowered = lower(written);
    const Characters L = split(lowered);
    const std::size_t n = L.size();
    if (n == 0) return std::nullopt;

    std::vector<std::size_t> origin(n);
    if (L.size() == O.size()) {
        for (std::size_t i = 0; i < n; ++i) origin[i] = i;
    } else {
        origin = origins(O, lowered, L);
    }
    const auto startsWord = [&](std::size_t i) {
        if (origin[i] == origin[i - 1]) return false;
        const UnicodeString& before = O[origin[i] - 1];
        const UnicodeString& at = O[origin[i]];
        return isBlank(before) || isSeparator(before) || (isLowerCase(before) && isUpperCase(at));
    };

    double score = 0.0;
    std::size_t qi = 0;
    std::ptrdiff_t last = -1;
    if (same(L[0], Q[0])) {
        score = 9.0;
        qi = 1;
        last = 0;
    }
    for (std::size_t i = 1; i < n; ++i) {
        if (qi < Q.size() && same(L[i], Q[qi])) {
            double bonus = last == static_cast<std::ptrdiff_t>(i) - 1 ? 4.0 : 1.0;
            if (startsWord(i)) bonus += 4.0;
            score += bonus;
            ++qi;
            last = static_cast<std::ptrdiff_t>(i);
        }
    }
    if (qi != Q.size()) return std::nullopt;
    return score - 0.02 * static_cast<double>(n);
}

// --- Random texts from pieces that exercise each rule. ---

const std::vector<std::string> kPieces = {
    "a",
    "b",
    "c",
    "f",
    "o",
    "x",
    "A",
    "B",
    "C",
    "F",
    "O",
    "X",
    "1",
    "2",
    "+",
    "'",
    "-",
    "_",
    ".",
    "/",
    "\\",
    ":",
    "\xE2\x80\x94",
    "\xE2\x80\x93",
    "|",
    "(",
    ")",
    "[",
    "]",
    "#",
    " ",
    "\t",
    "\n",
    "\r",
    "\xC2\xA0",
    "\xE3\x80\x80",
    "\xCC\x81",
    "\xCC\x88",
    "\xCC\x87",
    "\xCC\xA3",
    "\xCC\xB4",  // combining marks of three classes
    "\xEF\xB8\x8F",
    "\xF0\x9F\x8F\xBD",
    "\xE2\x9D\xA4",
    "\xE2\x9C\x85",
    "\x01",  // VS16, skin tone, ❤ ✅, a control
    "\xC3\xA9",
    "\xC3\x89",
    "e\xCC\x81",
    "E\xCC\x81",
    "e",
    "E",  // é É, precomposed and not
    "\xC4\xB0",
    "i",
    "I",
    "\xC4\xB1",  // İ i I ı
    "\xC3\x9F",
    "\xE1\xBA\x9E",
    "s",
    "S",  // ß ẞ
    "\xCE\xA3",
    "\xCF\x83",
    "\xCF\x82",
    "\xCE\x9F",  // Σ σ ς Ο
    "\xC7\x84",
    "\xC7\x85",
    "\xC7\x86",  // Ǆ ǅ ǆ
    ";",
    "\xCD\xBE",
    "`",
    "\xE1\xBF\xAF",  // ; and `, and what decomposes to them
    "\xE2\x84\xAA",
    "k",
    "\xEF\xAC\x81",
    "\xE1\xBE\xB3",
    "\xE1\xBE\xBC",
    "\xCD\x85",  // K ﬁ ᾳ ᾼ ypogegrammeni
    "\xE6\x97\xA5",
    "\xE6\x9C\xAC",
    "\xEA\xB0\x80",
    "\xE1\x84\x80",
    "\xE1\x85\xA1",  // 日 本 가 ᄀ ᅡ
    "\xF0\x9F\x91\xA9",
    "\xE2\x80\x8D",
    "\xF0\x9F\x92\xBB",
    "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB",
    "\xE2\x93\x82",
    "\xE2\x93\x9C",
    "\xF0\x9F\x87\xBA",
    "\xF0\x9F\x87\xB8",                          // Ⓜ ⓜ, regional indicators
    "\xF0\x9F\x91\xA9\xE2\x80\x8D\xE2\x93\x82",  // an emoji sequence that lower-casing splits in two
    "\xFF",
    "\xE2\x82",  // ill-formed UTF-8
};

struct RandomCase {
    std::string query;
    std::string candidate;
};

RandomCase randomCase(std::mt19937& random) {
    const auto pick = [&](std::size_t below) {
        return std::uniform_int_distribution<std::size_t>(0, below - 1)(random);
    };
    std::vector<std::string> pieces;
    for (std::size_t count = pick(14); pieces.size() < count;) {
        pieces.push_back(kPieces[pick(kPieces.size())]);
    }

    RandomCase result;
    for (const std::string& piece : pieces) result.candidate += piece;
    if (pick(3) == 0) {
        for (std::size_t count = pick(5); count > 0; --count) result.query += kPieces[pick(kPieces.size())];
    } else {
        // Mostly a subsequence of the candidate's pieces, so that many cases match.
        for (const std::string& piece : pieces) {
            if (pick(3) == 0) result.query += piece;
        }
    }
    return result;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (const unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            static const char* hex = "0123456789ABCDEF";
            out += {'\\', 'x', hex[c >> 4], hex[c & 15]};
        }
    }
    return out;
}

TEST(FuzzyMatcherDifferential, FastPathEqualsThePlainScanOnRandomTexts) {
    std::mt19937 random(20240611);
    std::size_t matched = 0;
    std::size_t failures = 0;
    constexpr std::size_t kCases = 20000;
    for (std::size_t n = 0; n < kCases && failures < 10; ++n) {
        const RandomCase c = randomCase(random);
        const std::optional<double> expected = referenceScore(c.query, c.candidate);
        if (expected) ++matched;
        // The one-pass scan of a raw candidate, and the byte scan of a prepared one.
        for (const std::optional<double> actual :
             {score(c.query, c.candidate), score(prepareQuery(c.query), prepare(c.candidate))}) {
            if (actual == expected) continue;
            ++failures;
            ADD_FAILURE() << "query '" << escaped(c.query) << "' candidate '" << escaped(c.candidate)
                          << "': expected " << (expected ? std::to_string(*expected) : "no match") << ", got "
                          << (actual ? std::to_string(*actual) : "no match");
        }
    }
    EXPECT_GT(matched, kCases / 3) << "the cases should exercise matches, not only misses";
}

TEST(FuzzyMatcherDifferential, OnePreparedCandidateServesManyQueries) {
    std::mt19937 random(7);
    for (std::size_t n = 0; n < 300; ++n) {
        const RandomCase base = randomCase(random);
        const Prepared candidate = prepare(base.candidate);
        for (std::size_t k = 0; k < 10; ++k) {
            const std::string query = randomCase(random).query + base.query.substr(0, k);
            EXPECT_EQ(score(prepareQuery(query), candidate), referenceScore(query, base.candidate))
                << "query '" << escaped(query) << "' candidate '" << escaped(base.candidate) << "'";
        }
    }
}

TEST(FuzzyMatcherDifferential, ArbitraryBytesAreScoredAlikeAndSafely) {
    std::mt19937 random(99);
    // Bytes that lead, continue or break UTF-8 sequences, and a few letters to match.
    const std::string bytes = "aAbB \r\n-\x80\xBF\xC0\xC3\xA9\xCC\x81\xE2\x80\x8D\xF0\x9F\xFE\xFF";
    const auto randomBytes = [&](std::size_t maxLength) {
        std::string text(std::uniform_int_distribution<std::size_t>(0, maxLength)(random), '\0');
        for (char& c : text) c = bytes[std::uniform_int_distribution<std::size_t>(0, bytes.size() - 1)(random)];
        return text;
    };
    for (int n = 0; n < 3000; ++n) {
        const std::string query = randomBytes(4);
        const std::string candidate = randomBytes(40);
        const std::optional<double> expected = referenceScore(query, candidate);
        EXPECT_EQ(score(query, candidate), expected) << escaped(query) << " in " << escaped(candidate);
        EXPECT_EQ(score(prepareQuery(query), prepare(candidate)), expected)
            << escaped(query) << " in " << escaped(candidate);
    }
}

}  // namespace
}  // namespace zerlith::FuzzyMatcher
