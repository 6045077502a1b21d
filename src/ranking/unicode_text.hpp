#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <unicode/edits.h>
#include <unicode/unistr.h>

// Unicode character rules shared by the classifier and the fuzzy matcher, all answered by ICU.
// A "character" is a user-perceived character (an extended grapheme cluster). Any thread.
namespace zerlith::UnicodeText {

/// Texts longer than this (in UTF-8 bytes) are not analysed at all: no title or URL a person
/// reads comes near it, and it keeps every length within ICU's 32-bit indices.
inline constexpr std::size_t kMaxTextBytes = std::size_t{1} << 20;

/// UTF-8 to UTF-16; each ill-formed byte sequence becomes U+FFFD. The caller keeps `utf8`
/// within kMaxTextBytes.
icu::UnicodeString fromUtf8(std::string_view utf8);
std::string toUtf8(const icu::UnicodeString& text);
/// Whether `bytes` is well-formed UTF-8 free of control characters (and line or paragraph separators).
bool isPrintableUtf8(std::string_view bytes);

/// The character boundaries of `text`: 0, each boundary, text.length(); {0} for the empty text.
std::vector<std::int32_t> characterBoundaries(const icu::UnicodeString& text);
std::size_t characterCount(const icu::UnicodeString& text);

/// The full, locale-independent case mappings of a whole text.
icu::UnicodeString lowerCased(icu::UnicodeString text);
icu::UnicodeString upperCased(icu::UnicodeString text);
/// lowerCased(text), recording in `edits` where each piece of the result came from.
icu::UnicodeString lowerCased(const icu::UnicodeString& text, icu::Edits& edits);
/// The canonical decomposition (NFD): canonically equivalent texts give identical results.
icu::UnicodeString decomposed(const icu::UnicodeString& text);

/// Case of one character: lower-case when upper-casing changes it and lower-casing does not,
/// upper-case the other way round ("changes" compares canonical decompositions).
bool isLowerCase(const icu::UnicodeString& character);
bool isUpperCase(const icu::UnicodeString& character);
/// Numeric when its base (first) code point has a Unicode numeric type, not only for ASCII digits.
bool isNumeric(const icu::UnicodeString& character);
/// White space when every code point of it is White_Space (so CR LF is, an accented space is not).
bool isWhiteSpace(const icu::UnicodeString& character);

}  // namespace zerlith::UnicodeText
