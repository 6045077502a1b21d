// GetProperty replies as a broken or hostile X server could send them: a fixed part whose type,
// format and item count are the input's first bytes, then the value. The buffer holds exactly
// what the reply's length field announces, as xcb allocates it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <unicode/utf8.h>

#include "base/utf8.hpp"
#include "providers/x11/compound_text.hpp"
#include "providers/x11/property_decoding.hpp"
#include "providers/x11/text_encoding.hpp"

namespace {

constexpr xcb_atom_t kUtf8String = 300;  // any atom stands for UTF8_STRING
constexpr xcb_atom_t kCompoundText = 301;  // and for COMPOUND_TEXT

bool isUtf8(const std::string& text) {
    std::int32_t offset = 0;
    const auto length = static_cast<std::int32_t>(text.size());
    while (offset < length) {
        UChar32 c = 0;
        U8_NEXT(text.data(), offset, length, c);
        if (c < 0) return false;
    }
    return true;
}

void requireUtf8(const std::optional<std::string>& text) {
    if (text && !isUtf8(*text)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zerlith::x11;
    constexpr std::size_t kControl = 6;  // type, format (its bit 7: bytes remain after), item count (4 bytes)
    if (size < kControl) return 0;
    const xcb_atom_t types[] = {XCB_ATOM_NONE,   XCB_ATOM_STRING, XCB_ATOM_CARDINAL,
                                XCB_ATOM_WINDOW, kUtf8String,     kCompoundText};
    const xcb_atom_t type = types[data[0] % std::size(types)];
    const std::uint8_t formats[] = {0, 8, 16, 32};
    std::uint32_t items = 0;
    std::memcpy(&items, data + 2, sizeof items);
    const std::size_t valueBytes = (size - kControl + 3) / 4 * 4;

    std::vector<std::uint32_t> buffer((sizeof(xcb_get_property_reply_t) + valueBytes) / 4);
    auto* reply = reinterpret_cast<xcb_get_property_reply_t*>(buffer.data());
    reply->response_type = 1;
    reply->format = formats[data[1] % std::size(formats)];
    reply->type = type;
    reply->value_len = items;
    reply->length = static_cast<std::uint32_t>(valueBytes / 4);
    reply->bytes_after = data[1] >> 7;
    std::memcpy(buffer.data() + sizeof(xcb_get_property_reply_t) / 4, data + kControl, size - kControl);

    (void)cardinals(reply, type);
    (void)firstCardinal(reply, type);
    requireUtf8(text(reply, kCompoundText));
    if (const auto windowClassNames = windowClass(reply)) {
        requireUtf8(windowClassNames->instance);
        requireUtf8(windowClassNames->className);
    }
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    requireUtf8(zerlith::utf8FromUntrusted(raw));
    requireUtf8(utf8FromLatin1(raw));
    for (const bool cutShort : {false, true}) {
        const std::string decoded = utf8FromCompoundText(raw, cutShort);
        requireUtf8(decoded);
        if (decoded.find('\x1B') != std::string::npos) std::abort();  // escape sequences never show
    }
    return 0;
}
