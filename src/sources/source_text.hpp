#pragma once

#include <string>
#include <string_view>

/// Text rules the window and tab sources share, on UTF-8. Ill-formed bytes are kept as they are
/// and never count as white space.
namespace zerlith::SourceText {

/// `text` without the Unicode white space (line breaks included) at both ends.
std::string_view trimmed(std::string_view text);

/// Whether `text` begins with the user-perceived characters of `prefix`: the bytes match and a
/// character boundary follows them, so a combining mark after the prefix makes it no match.
bool startsWithCharacters(std::string_view text, std::string_view prefix);

/// A window title without the unsaved-changes markers editors put in front of it, trimmed.
std::string cleanWindowTitle(std::string_view title);

}  // namespace zerlith::SourceText
