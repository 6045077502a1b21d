#include "providers/x11/text_encoding.hpp"

#include <algorithm>
#include <climits>
#include <cstdint>

#include <unicode/utf8.h>

namespace zerlith::x11 {
namespace {

std::string_view beforeNul(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

}  // namespace

std::string_view withoutIncompleteLastCharacter(std::string_view bytes) {
    auto length = static_cast<std::int32_t>(std::min<std::size_t>(bytes.size(), INT32_MAX));
    U8_TRUNCATE_IF_INCOMPLETE(bytes.data(), 0, length);
    return bytes.substr(0, static_cast<std::size_t>(length));
}

std::string utf8FromLatin1(std::string_view bytes) {
    std::string result;
    for (unsigned char byte : beforeNul(bytes)) {
        if (byte < 0x80) {
            result += static_cast<char>(byte);
        } else {
            result += static_cast<char>(0xC0 | (byte >> 6));
            result += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return result;
}

}  // namespace zerlith::x11
