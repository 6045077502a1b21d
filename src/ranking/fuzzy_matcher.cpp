#include "ranking/fuzzy_matcher.hpp"

#include <algorithm>
#include <cstring>

#include "ranking/character_walk.hpp"
#include "ranking/code_point_facts.hpp"
#include "ranking/unicode_text.hpp"
#include "ranking/word_traits.hpp"

namespace zerlith::FuzzyMatcher {
namespace {

constexpr double kFirstCharacterScore = 9.0;  ///< a match at the very first character, and nothing else
constexpr double kPenaltyPerCharacter = 0.02;

/// What a match after the first character earns.
double matchBonus(bool followsMatch, bool wordStart) {
    return (followsMatch ? 4.0 : 1.0) + (wordStart ? 4.0 : 0.0);
}

double finalScore(double total, std::size_t characterCount) {
    return total - kPenaltyPerCharacter * static_cast<double>(characterCount);
}

WordTraits traitsOf(const icu::UnicodeString& character) {
    const bool oneCodePoint = character.countChar32() == 1;
    return oneCodePoint ? codePointFacts(character.char32At(0)).traits : wordTraitsOf(character);
}

/// The class of a character's first key byte, for the quick rejection of misses: each letter and
/// digit has a bit of its own, other bytes share the rest.
std::uint64_t firstByteBit(char byte) {
    const auto b = static_cast<unsigned char>(byte);
    if (b >= 'a' && b <= 'z') return std::uint64_t{1} << (b - 'a');
    if (b >= '0' && b <= '9') return std::uint64_t{1} << (26 + b - '0');
    return std::uint64_t{1} << (36 + b % 28);
}

/// The lower-cased character in the form used for equality: canonically decomposed UTF-8.
std::string keyOf(const icu::UnicodeString& lowerCharacter) {
    if (lowerCharacter.length() == 1 && lowerCharacter.charAt(0) < 128) {
        return std::string(1, static_cast<char>(lowerCharacter.charAt(0)));
    }
    return UnicodeText::toUtf8(UnicodeText::decomposed(lowerCharacter));
}

}  // namespace

/// Fills a Prepared's one block in place: keys from the front, their flags from the middle; the
/// flags move down behind the keys at the end.
class PreparedBuilder {
public:
    /// `expectedKeyBytes`: the usual total of the keys (the text's length); more only costs a move.
    explicit PreparedBuilder(std::size_t expectedKeyBytes) { reserve(expectedKeyBytes + 16); }

    void add(std::string_view key, bool wordStart) {
        if (keyBytes_ + key.size() > capacity_) reserve(2 * (keyBytes_ + key.size()));
        char* block = prepared_.bytes_.data();
        std::memcpy(block + keyBytes_, key.data(), key.size());
        block[capacity_ + keyBytes_] =
            static_cast<char>(Prepared::kCharacterStart | (wordStart ? Prepared::kWordStart : 0));
        std::memset(block + capacity_ + keyBytes_ + 1, 0, key.size() - 1);
        keyBytes_ += key.size();
        prepared_.firstBytes_ |= firstByteBit(key[0]);
        ++prepared_.characterCount_;
    }

    Prepared finish() && {
        std::string& block = prepared_.bytes_;
        std::memmove(block.data() + keyBytes_, block.data() + capacity_, keyBytes_);
        block[2 * keyBytes_] = Prepared::kCharacterStart;
        block.resize(2 * keyBytes_ + 1);
        prepared_.keyBytes_ = static_cast<std::uint32_t>(keyBytes_);
        return std::move(prepared_);
    }

private:
    void reserve(std::size_t capacity) {
        std::string block(2 * capacity + 1, '\0');
        std::memcpy(block.data(), prepared_.bytes_.data(), keyBytes_);
        std::memcpy(block.data() + capacity, prepared_.bytes_.data() + capacity_, keyBytes_);
        prepared_.bytes_ = std::move(block);
        capacity_ = capacity;
    }

    Prepared prepared_;
    std::size_t keyBytes_ = 0;
    std::size_t capacity_ = 0;
};

namespace {

/// Keys are a few bytes long: a call to memcmp would cost more than the loop.
bool sameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}

/// Whether `text` may hold a character whose key is the ASCII byte `key`; surely not if false.
/// Cheaper than a scan, it turns most candidates away before any character is read.
bool mayHoldAsciiKey(std::string_view text, char key) {
    if (text.find(key) != std::string_view::npos) return true;
    if (key >= 'a' && key <= 'z' && text.find(static_cast<char>(key - 'a' + 'A')) != std::string_view::npos) {
        return true;
    }
    for (const ForeignAsciiKey& foreign : foreignAsciiKeys()) {
        if (foreign.key == key && text.find(foreign.utf8) != std::string_view::npos) return true;
    }
    return false;
}

/// The scan itself, fed one character at a time.
class GreedyScan {
public:
    explicit GreedyScan(const std::vector<std::string>& wanted) : wanted_(wanted), next_(wanted.front()) {}

    void operator()(std::string_view key, bool wordStart) {
        if (matched_ < wanted_.size() && sameKey(key, next_)) {
            total_ += position_ == 0 ? kFirstCharacterScore : matchBonus(last_ == position_ - 1, wordStart);
            last_ = position_;
            if (++matched_ < wanted_.size()) next_ = wanted_[matched_];
        }
        ++position_;
    }

    bool wantsKeys() const { return matched_ < wanted_.size(); }
    void countMore(std::size_t characters) { position_ += characters; }

    std::optional<double> result() const {
        if (matched_ < wanted_.size()) return std::nullopt;
        return finalScore(total_, position_);
    }

private:
    const std::vector<std::string>& wanted_;
    std::string_view next_;  ///< the next wanted character
    std::size_t matched_ = 0;
    std::size_t position_ = 0;
    std::optional<std::size_t> last_;
    double total_ = 0.0;
};

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
    explicit CandidateScan(const Prepared& candidate)
        : bytes_(candidate.bytes_.data(), candidate.keyBytes_),
          marks_(candidate.bytes_.data() + candidate.keyBytes_),
          firstBytes_(candidate.firstBytes_) {}

    /// False when some wanted first byte is surely missing, so the text cannot match.
    bool mayHoldAll(std::uint64_t wantedFirstBytes) const {
        return (firstBytes_ & wantedFirstBytes) == wantedFirstBytes;
    }

    /// Whether exactly one character, equal to `character`, starts at byte `at`.
    bool hasCharacterAt(std::size_t at, std::string_view character) const {
        const std::size_t end = at + character.size();
        if (end > bytes_.size() || !isCharacterStart(at) || !isCharacterStart(end)) return false;
        for (std::size_t i = at + 1; i < end; ++i) {
            if (isCharacterStart(i)) return false;
        }
        return sameKey(bytes_.substr(at, character.size()), character);
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
    const char* marks_;
    std::uint64_t firstBytes_;
};

Prepared prepare(std::string_view candidate) {
    if (candidate.size() > UnicodeText::kMaxTextBytes) return {};
    PreparedBuilder builder(candidate.size());
    const auto add = [&](std::string_view key, bool wordStart) { builder.add(key, wordStart); };
    if (walkQuickly(candidate, add)) {
        return std::move(builder).finish();
    }
    return prepareUnicode(candidate);
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
        const std::string& key = prepared.characters_.back();
        prepared.firstBytes_ |= firstByteBit(key[0]);
        if (key.size() == 1 && static_cast<unsigned char>(key[0]) < 0x80 &&
            prepared.asciiKeys_.find(key[0]) == std::string::npos) {
            prepared.asciiKeys_ += key[0];
        }
    }
    return prepared;
}

bool PreparedQuery::extends(const PreparedQuery& earlier) const {
    if (matchesNothing_ || earlier.matchesNothing_ || earlier.characters_.size() > characters_.size()) return false;
    return std::equal(earlier.characters_.begin(), earlier.characters_.end(), characters_.begin());
}

std::optional<double> score(const PreparedQuery& query, const Prepared& candidate) {
    const std::vector<std::string>& wanted = query.characters_;
    if (query.matchesNothing_) return std::nullopt;
    if (wanted.empty()) return 0.0;
    const CandidateScan keys(candidate);
    if (candidate.characterCount() < wanted.size() || !keys.mayHoldAll(query.firstBytes_)) {
        return std::nullopt;
    }

    double total = 0.0;
    std::size_t matched = 0;
    std::size_t from = 1;  // past the first character's first byte: it is only tried below
    std::optional<std::size_t> previousEnd;
    if (keys.hasCharacterAt(0, wanted[0])) {
        total = kFirstCharacterScore;
        matched = 1;
        from = wanted[0].size();
        previousEnd = from;
    }
    for (; matched < wanted.size(); ++matched) {
        const std::optional<std::size_t> at = keys.find(wanted[matched], from);
        if (!at) return std::nullopt;
        total += matchBonus(*at == previousEnd, keys.isWordStart(*at));
        from = *at + wanted[matched].size();
        previousEnd = from;
    }
    return finalScore(total, candidate.characterCount());
}

std::optional<double> score(const PreparedQuery& query, std::string_view candidate) {
    if (query.matchesNothing_) return std::nullopt;
    if (query.characters_.empty()) return 0.0;
    if (candidate.size() <= UnicodeText::kMaxTextBytes) {
        for (const char key : query.asciiKeys_) {
            if (!mayHoldAsciiKey(candidate, key)) return std::nullopt;
        }
        GreedyScan scan(query.characters_);
        if (walkQuickly(candidate, scan)) return scan.result();
    }
    return score(query, prepare(candidate));
}

std::optional<double> score(std::string_view query, std::string_view candidate) {
    return score(prepareQuery(query), candidate);
}

}  // namespace zerlith::FuzzyMatcher
