#include "ranking/word_traits.hpp"

#include "ranking/unicode_text.hpp"

namespace zerlith::FuzzyMatcher {

WordTraits wordTraitsOf(const icu::UnicodeString& character) {
    static const icu::UnicodeString separators(u"-_./\\:\u2014\u2013|()[]#");
    const bool separator = character.length() == 1 && separators.indexOf(character.charAt(0)) >= 0;
    return {separator || UnicodeText::isWhiteSpace(character), UnicodeText::isLowerCase(character),
            UnicodeText::isUpperCase(character)};
}

}  // namespace zerlith::FuzzyMatcher
