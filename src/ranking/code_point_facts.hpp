#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include <unicode/umachine.h>

#include "ranking/word_traits.hpp"

namespace zerlith::FuzzyMatcher {

/// What the matcher knows about one code point on its own, worked out by ICU on first use. It lets
/// the usual text skip ICU's segmentation and whole-text case mapping: a text made only of bases,
/// marks and joiners, in the patterns the walk in fuzzy_matcher.cpp accepts, has the characters
/// that walk finds both as written and after lower-casing, and their keys are the code points'
/// keys laid end to end.
struct CodePointFacts {
    enum class Role : std::uint8_t {
        other,   ///< none of the below: a text holding it takes the general way
        base,    ///< starts a character; lower-cases without context to what is again one character
        mark,    ///< a caseless extending code point (an accent, a variation selector, a skin tone)
        joiner,  ///< the zero-width joiner, which also joins two pictographs into one character
    };

    Role role = Role::other;
    bool pictographic = false;  ///< a base that is an Extended_Pictographic, and caseless
    bool controlLike = false;   ///< a base that nothing extends (control characters, CR, LF)
    WordTraits traits;
    std::uint8_t firstCombiningClass = 0;  ///< of the key's first code point
    std::uint8_t lastCombiningClass = 0;   ///< of the key's last code point
    std::uint8_t keyLength = 0;
    char keyBytes[12] = {};

    /// The lower-cased code point in canonical decomposition, UTF-8 (set unless the role is other).
    std::string_view key() const { return {keyBytes, keyLength}; }
};

/// The facts of `c` (a Unicode scalar value). Any thread; computed once per block of code points
/// and kept for the life of the process.
const CodePointFacts& codePointFacts(UChar32 c);
/// The facts of U+0000 to U+007F, in order, for the common case.
const CodePointFacts* asciiFacts();

/// A code point outside ASCII whose key is nevertheless one ASCII byte.
struct ForeignAsciiKey {
    char key;
    std::string_view utf8;
};
/// All of them (a test checks every code point). With them, a text holds a character whose key is
/// the byte b exactly when it holds b, its other ASCII case, or one of these for b.
std::span<const ForeignAsciiKey> foreignAsciiKeys();

}  // namespace zerlith::FuzzyMatcher
