#pragma once

#include <string>
#include <string_view>

namespace zerlith::x11 {

/// Text read from X properties, made safe to hand on: always valid UTF-8, cut at the first NUL
/// (clients often store C strings with their terminator).

/// Bytes meant to be UTF-8 (UTF8_STRING, and any encoding this backend does not decode); each
/// invalid sequence becomes U+FFFD.
std::string utf8FromUntrusted(std::string_view bytes);

/// UTF-8 bytes without a sequence that the end cut short (of a value cut by a length limit).
std::string_view withoutIncompleteLastCharacter(std::string_view bytes);

/// ISO 8859-1 bytes (the STRING type of ICCCM).
std::string utf8FromLatin1(std::string_view bytes);

}  // namespace zerlith::x11
