#pragma once

#include <string>
#include <string_view>

#include "base/utf8.hpp"  // utf8FromUntrusted, for UTF8_STRING and encodings not decoded here

namespace zerlith::x11 {

/// Text read from X properties, made safe to hand on: always valid UTF-8, cut at the first NUL
/// (clients often store C strings with their terminator).

/// UTF-8 bytes without a sequence that the end cut short (of a value cut by a length limit).
std::string_view withoutIncompleteLastCharacter(std::string_view bytes);

/// ISO 8859-1 bytes (the STRING type of ICCCM).
std::string utf8FromLatin1(std::string_view bytes);

}  // namespace zerlith::x11
