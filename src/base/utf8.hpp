#pragma once

#include <string>
#include <string_view>

namespace zerlith {

/// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);

/// Text another program handed over (window titles, desktop entries) made safe to pass on: cut at
/// the first NUL (C strings stored with their terminator), each invalid sequence replaced by
/// U+FFFD.
std::string utf8FromUntrusted(std::string_view bytes);

}  // namespace zerlith
