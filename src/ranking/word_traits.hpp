#pragma once

#include <unicode/unistr.h>

namespace zerlith::FuzzyMatcher {

/// What the matcher's word-start test needs to know about one character as written.
struct WordTraits {
    bool opensWord = false;  ///< white space or a word separator: the next character starts a word
    bool lowerCase = false;
    bool upperCase = false;
};

/// The traits of one character (a grapheme cluster). Any thread.
WordTraits wordTraitsOf(const icu::UnicodeString& character);

/// Whether a character with traits `at`, written right after one with traits `before`, starts a
/// word: after white space or a separator, or at a lower-to-upper-case hump.
inline bool startsWord(const WordTraits& before, const WordTraits& at) {
    return before.opensWord || (before.lowerCase && at.upperCase);
}

}  // namespace zerlith::FuzzyMatcher
