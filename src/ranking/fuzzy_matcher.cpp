#include "ranking/fuzzy_matcher.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include <unicode/utf8.h>

#include "ranking/code_point_facts.hpp"
#include "ranking/unicode_text.hpp"
#include "ranking/word_traits.hpp"

namespace zerlith::FuzzyMatcher {
namespace {

WordTraits traitsOf(const icu::UnicodeString& character) {
    const bool oneCodePoint = character.countChar32() == 1;
    return oneCodePoint ? codePointFacts(character.char32At(0)).traits : wordTraitsOf(character);
}

const WordTraits& crLfTraits() {
    static const WordTraits traits = wordTraitsOf(icu::UnicodeString(u"\r\n"));
    return traits;
}

/// The lower-cased character in the form used for equality: canonically decomposed UTF-8.
std::string keyOf(const icu::UnicodeString& lowerCharacter) {
    if (lowerCharacter.length() == 1 && lowerCharacter.charAt(0) < 128) {
        return std::string(1, static_cast<char>(lowerCharacter.charAt(0)));
    }
    return UnicodeText::toUtf8(UnicodeText::decomposed(lowerCharacter));
}

}  // namespace

/// Appends characters to a Prepared.
class PreparedBuilder {
public:
    explicit PreparedBuilder(std::size_t expectedBytes) {
        prepared_.keys_.reserve(expectedBytes);
        prepared_.marks_.clear();
        prepared_.marks_.reserve(expectedBytes + 1);
    }

    void add(std::string_view key, bool wordStart) {
        prepared_.keys_ += key;
        prepared_.marks_.push_back(Prepared::kCharacterStart | (wordStart ? Prepared::kWordStart : 0));
        prepared_.marks_.insert(prepared_.marks_.end(), key.size() - 1, 0);
        ++prepared_.characterCount_;
    }

    Prepared finish() && {
        prepared_.marks_.push_back(Prepared::kCharacterStart);
        return std::move(prepared_);
    }

private:
    Prepared prepared_;
};

namespace {

/// The quick way for the usual text, in which every code point stands alone (see CodePointFacts):
/// one pass over the bytes with facts looked up per code point. Absent for any other text.
std::optional<Prepared> prepareStandalone(std::string_view text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int64_t>(text.size());
    PreparedBuilder builder(text.size());
    const WordTraits* previous = nullptr;
    for (std::int64_t i = 0; i < length;) {
        const WordTraits* current;
        if (bytes[i] == '\r' && i + 1 < length && bytes[i + 1] == '\n') {
            current = &crLfTraits();
            builder.add("\r\n", previous != nullptr && startsWord(*previous, *current));
            i += 2;
        } else {
            UChar32 c;
            U8_NEXT(bytes, i, length, c);
            const CodePointFacts& facts = codePointFacts(c);
            if (!facts.standsAlone) return std::nullopt;
            current = &facts.traits;
            builder.add(facts.key(), previous != nullptr && startsWord(*previous, *current));
        }
        previous = current;
    }
    return std::move(builder).finish();
}

/// The general way: whole-text segmentation and lower-casing by ICU.
Prepared prepareUnicode(std::string_view text) {
    const icu::UnicodeString written = UnicodeText::fromUtf8(text);
    const std::vector<std::int32_t> writtenBounds = UnicodeText::characterBoundaries(written);
    std::vector<WordTraits> traits;
    for (std::size_t j = 0; j + 1 < writtenBounds.size(); ++j) {
        traits.push_back(traitsOf(written.tempSubStringBetween(writtenBounds[j], writtenBounds[j + 1])));
    }

    icu::Edits edits;
    const icu::UnicodeString lowered = UnicodeText::lowerCased(written, edits);
    const std::vector<std::int32_t> lowerBounds = UnicodeText::characterBoundaries(lowered);
    // Lower-casing may change where characters begin (rarely); then each lower-cased character is
    // tied to the written character its first code unit came from, and only the first one tied to
    // a written character can start a word.
    const bool aligned = lowerBounds.size() == writtenBounds.size();
    icu::Edits::Iterator origins = edits.getFineIterator();
    const auto writtenIndexOf = [&](std::size_t i) -> std::size_t {
        if (aligned) return i;
        UErrorCode status = U_ZERO_ERROR;
        const std::int32_t source = origins.sourceIndexFromDestinationIndex(lowerBounds[i], status);
        if (U_FAILURE(status)) return 0;
        const auto after = std::upper_bound(writtenBounds.begin(), writtenBounds.end() - 1, source);
        return static_cast<std::size_t>(after - writtenBounds.begin()) - 1;
    };

    PreparedBuilder builder(text.size());
    std::size_t previousWritten = 0;
    for (std::size_t i = 0; i + 1 < lowerBounds.size(); ++i) {
        const std::size_t j = writtenIndexOf(i);
        builder.add(keyOf(lowered.tempSubStringBetween(lowerBounds[i], lowerBounds[i + 1])),
                    i > 0 && j > previousWritten && startsWord(traits[j - 1], traits[j]));
        previousWritten = j;
    }
    return std::move(builder).finish();
}

}  // namespace

/// Reads a prepared candidate for the scan.
class CandidateScan {
public:
    explicit CandidateScan(const Prepared& candidate) : bytes_(candidate.keys_), marks_(candidate.marks_.data()) {}

    /// Whether exactly one character, equal to `character`, starts at byte `at`.
    bool hasCharacterAt(std::size_t at, std::string_view character) const {
        const std::size_t end = at + character.size();
        if (end > bytes_.size() || !isCharacterStart(at) || !isCharacterStart(end)) return false;
        for (std::size_t i = at + 1; i < end; ++i) {
            if (isCharacterStart(i)) return false;
        }
        return std::memcmp(bytes_.data() + at, character.data(), character.size()) == 0;
    }

    /// The byte where the first character equal to `character` starts, at or after byte `from`.
    std::optional<std::size_t> find(std::string_view character, std::size_t from) const {
        while (from + character.size() <= bytes_.size()) {
            const void* hit = std::memchr(bytes_.data() + from, character[0], bytes_.size() - from);
            if (hit == nullptr) return std::nullopt;
            const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - bytes_.data());
            if (hasCharacterAt(at, character)) return at;
            from = at + 1;
        }
        return std::nullopt;
    }

    bool isWordStart(std::size_t at) const { return (marks_[at] & Prepared::kWordStart) != 0; }

private:
    bool isCharacterStart(std::size_t at) const { return (marks_[at] & Prepared::kCharacterStart) != 0; }

    std::string_view bytes_;
    const std::uint8_t* marks_;
};

Prepared prepare(std::string_view candidate) {
    if (candidate.size() > UnicodeText::kMaxTextBytes) return {};
    std::optional<Prepared> quick = prepareStandalone(candidate);
    return quick ? std::move(*quick) : prepareUnicode(candidate);
}

PreparedQuery prepareQuery(std::string_view query) {
    PreparedQuery prepared;
    if (query.size() > UnicodeText::kMaxTextBytes) {
        prepared.matchesNothing_ = true;
        return prepared;
    }
    const icu::UnicodeString lowered = UnicodeText::lowerCased(UnicodeText::fromUtf8(query));
    const std::vector<std::int32_t> bounds = UnicodeText::characterBoundaries(lowered);
    for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
        prepared.characters_.push_back(keyOf(lowered.tempSubStringBetween(bounds[i], bounds[i + 1])));
    }
    return prepared;
}

std::optional<double> score(const PreparedQuery& query, const Prepared& candidate) {
    const std::vector<std::string>& wanted = query.characters_;
    if (query.matchesNothing_) return std::nullopt;
    if (wanted.empty()) return 0.0;
    if (candidate.characterCount() < wanted.size()) return std::nullopt;

    const CandidateScan keys(candidate);
    double total = 0.0;
    std::size_t matched = 0;
    std::size_t from = 1;  // past the first character's first byte: it is only tried below
    std::optional<std::size_t> previousEnd;
    if (keys.hasCharacterAt(0, wanted[0])) {
        total = 9.0;
        matched = 1;
        from = wanted[0].size();
        previousEnd = from;
    }
    for (; matched < wanted.size(); ++matched) {
        const std::optional<std::size_t> at = keys.find(wanted[matched], from);
        if (!at) return std::nullopt;
        double bonus = *at == previousEnd ? 4.0 : 1.0;
        if (keys.isWordStart(*at)) bonus += 4.0;
        total += bonus;
        from = *at + wanted[matched].size();
        previousEnd = from;
    }
    return total - 0.02 * static_cast<double>(candidate.characterCount());
}

std::optional<double> score(std::string_view query, std::string_view candidate) {
    return score(prepareQuery(query), prepare(candidate));
}

}  // namespace zerlith::FuzzyMatcher
