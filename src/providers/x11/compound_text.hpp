#pragma once

#include <string>
#include <string_view>

namespace zerlith::x11 {

/// COMPOUND_TEXT, the ISO 2022 encoding that Xlib and Xt programs (xterm among them) give WM_NAME
/// when a title is not all Latin-1, as UTF-8 that is always valid and cut at the first NUL.
/// Decoded: ASCII, the ISO 8859 right halves, the Chinese, Japanese and Korean two-byte sets and
/// the UTF-8 segments (ESC % G … ESC % @); each character of any other set becomes U+FFFD, and
/// escape sequences never show. `cutShort`: the value was cut by a length limit, so a character
/// or sequence that it cut at the end is dropped rather than replaced.
std::string utf8FromCompoundText(std::string_view bytes, bool cutShort);

}  // namespace zerlith::x11
