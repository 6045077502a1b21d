#pragma once

#include <cstdint>
#include <string_view>

#include <unicode/umachine.h>

#include "ranking/word_traits.hpp"

namespace zerlith::FuzzyMatcher {

/// What the matcher knows about one code point on its own, worked out by ICU on first use.
struct CodePointFacts {
    /// True when, in a text made only of such code points (CR LF taken as one), every code point is
    /// a character of its own both as written and after lower-casing the whole text, and lower-cases
    /// without looking at its neighbours. Such texts skip segmentation and whole-text mapping.
    bool standsAlone = false;
    WordTraits traits;
    std::uint8_t keyLength = 0;
    char keyBytes[12] = {};

    /// The lower-cased code point in canonical decomposition, UTF-8 (set when it stands alone).
    std::string_view key() const { return {keyBytes, keyLength}; }
};

/// The facts of `c` (a Unicode scalar value). Any thread; computed once per block of code points
/// and kept for the life of the process.
const CodePointFacts& codePointFacts(UChar32 c);

}  // namespace zerlith::FuzzyMatcher
