#pragma once

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include "ranking/code_point_facts.hpp"
#include "ranking/word_traits.hpp"

// The matcher's quick way through the usual text: characters assembled from per-code-point facts
// in one pass, without ICU's segmentation and whole-text case mapping. Internal to the matcher.
namespace zerlith::FuzzyMatcher {

/// Assembles characters from code point facts for walkQuickly() and hands each finished one to a
/// sink, with whether it starts a word. A mark or joiner extends the character before it (unless
/// that is a control character); a joiner between two pictographs joins them.
template <class Sink>
class CharacterAssembly {
public:
    explicit CharacterAssembly(Sink& sink) : sink_(sink) {}

    /// False when the code point takes the text out of the quick way.
    bool add(const CodePointFacts& facts) {
        using Role = CodePointFacts::Role;
        switch (facts.role) {
            case Role::base:
                if (state_ == State::afterJoinedPictograph && facts.pictographic) return extend(facts);
                start(facts);
                return true;
            case Role::mark:
            case Role::joiner:
                if (key_.empty() || controlLike_) {
                    start(facts);
                    return true;
                }
                return extend(facts);
            case Role::other:
                return false;
        }
        return false;
    }

    void finish() { emit(); }

private:
    /// Where the character stands in a pictograph sequence (a pictograph, marks, a joiner, ...).
    enum class State { none, afterPictograph, afterJoinedPictograph };

    void start(const CodePointFacts& facts) {
        emit();
        key_ = facts.key();
        traits_ = facts.traits;
        controlLike_ = facts.controlLike;
        lastCombiningClass_ = facts.lastCombiningClass;
        state_ = facts.pictographic ? State::afterPictograph : State::none;
    }

    bool extend(const CodePointFacts& facts) {
        // The keys laid end to end are a decomposition only if no marks need reordering.
        if (facts.firstCombiningClass != 0 && lastCombiningClass_ > facts.firstCombiningClass) return false;
        const std::string_view added = facts.key();
        if (key_.size() + added.size() > buffer_.size()) return false;
        if (key_.data() != buffer_.data()) std::copy(key_.begin(), key_.end(), buffer_.begin());
        std::copy(added.begin(), added.end(), buffer_.begin() + key_.size());
        key_ = std::string_view(buffer_.data(), key_.size() + added.size());
        // Accents make a separator or a blank something else; the case is the base's.
        traits_.opensWord = false;
        lastCombiningClass_ = facts.lastCombiningClass;
        if (facts.role == CodePointFacts::Role::joiner) {
            state_ = state_ == State::afterPictograph ? State::afterJoinedPictograph : State::none;
        } else if (facts.role == CodePointFacts::Role::base) {
            state_ = State::afterPictograph;
        } else if (state_ == State::afterJoinedPictograph) {
            state_ = State::none;
        }
        return true;
    }

    void emit() {
        if (key_.empty()) return;
        sink_(key_, previous_ && startsWord(*previous_, traits_));
        previous_ = traits_;
        key_ = {};
    }

    Sink& sink_;
    std::array<char, 64> buffer_;
    std::string_view key_;  ///< the open character's key, in buffer_ once extended
    WordTraits traits_;
    bool controlLike_ = false;
    std::uint8_t lastCombiningClass_ = 0;
    State state_ = State::none;
    std::optional<WordTraits> previous_;
};

inline const CodePointFacts& crLfFacts() {
    static const CodePointFacts facts = [] {
        CodePointFacts crLf;
        crLf.role = CodePointFacts::Role::base;
        crLf.controlLike = true;
        crLf.traits = wordTraitsOf(icu::UnicodeString(u"\r\n"));
        crLf.keyBytes[0] = '\r';
        crLf.keyBytes[1] = '\n';
        crLf.keyLength = 2;
        return crLf;
    }();
    return facts;
}

/// Whether every byte is ASCII other than CR, so that every byte is a character of its own.
inline bool isPlainAscii(std::string_view text) {
    bool plain = true;
    for (const char c : text) plain &= static_cast<unsigned char>(c) < 0x80 && c != '\r';
    return plain;
}

/// A sink that may stop wanting keys part-way, and then only needs the characters counted.
template <class Sink>
concept CountingSink = requires(Sink& sink, std::size_t count) {
    { sink.wantsKeys() } -> std::convertible_to<bool>;
    sink.countMore(count);
};

/// The quick way for the usual text (see CodePointFacts): one pass over the bytes, handing `sink`
/// each character's key and whether it starts a word. False, part-way through, for other texts.
template <class Sink>
bool walkQuickly(std::string_view text, Sink& sink) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int64_t>(text.size());
    const CodePointFacts* ascii = asciiFacts();
    CharacterAssembly<Sink> characters(sink);
    bool restChecked = false;
    for (std::int64_t i = 0; i < length;) {
        if constexpr (CountingSink<Sink>) {
            // Plain ASCII after the last wanted key is counted, not walked: most matches end early.
            if (!restChecked && !sink.wantsKeys()) {
                restChecked = true;
                if (isPlainAscii(text.substr(static_cast<std::size_t>(i)))) {
                    characters.finish();
                    sink.countMore(static_cast<std::size_t>(length - i));
                    return true;
                }
            }
        }
        const CodePointFacts* facts;
        if (bytes[i] == '\r' && i + 1 < length && bytes[i + 1] == '\n') {
            facts = &crLfFacts();
            i += 2;
        } else if (bytes[i] < 0x80) {
            facts = &ascii[bytes[i]];
            ++i;
        } else {
            UChar32 c;
            U8_NEXT(bytes, i, length, c);
            facts = &codePointFacts(c);
        }
        if (!characters.add(*facts)) return false;
    }
    characters.finish();
    return true;
}

}  // namespace zerlith::FuzzyMatcher
