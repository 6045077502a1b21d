#include "base/utf8.hpp"

#include <cstdint>

#include <unicode/stringpiece.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace zerlith {

bool isValidUtf8(std::string_view bytes) {
    // ICU's strict decoder refuses overlong forms, surrogates and code points past U+10FFFF.
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) return false;  // past what the decoder indexes
    const auto length = static_cast<std::int32_t>(bytes.size());
    for (std::int32_t at = 0; at < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes.data(), at, length, c);
        if (c < 0) return false;
    }
    return true;
}

std::string utf8FromUntrusted(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    auto text = icu::UnicodeString::fromUTF8(icu::StringPiece(bytes.data(), static_cast<int32_t>(bytes.size())));
    std::string result;
    text.toUTF8String(result);
    return result;
}

}  // namespace zerlith
