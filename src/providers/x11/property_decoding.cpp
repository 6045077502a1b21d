#include "providers/x11/property_decoding.hpp"

#include <algorithm>
#include <string_view>

#include "providers/x11/compound_text.hpp"
#include "providers/x11/text_encoding.hpp"

namespace zerlith::x11 {
namespace {

/// The value's size in bytes, or none when the reply announces more items than it carries (xcb
/// takes the item count from the reply as it came, so a broken server would make us read past
/// the buffer).
std::optional<std::size_t> valueLength(const xcb_get_property_reply_t* reply) {
    const std::uint64_t announced = std::uint64_t{reply->value_len} * (reply->format / 8u);
    if (announced > std::uint64_t{reply->length} * 4u) return std::nullopt;
    return static_cast<std::size_t>(announced);
}

std::optional<std::string_view> bytesOf(const xcb_get_property_reply_t* reply) {
    if (reply == nullptr || reply->format != 8 || reply->type == XCB_ATOM_NONE) return std::nullopt;
    const auto length = valueLength(reply);
    if (!length) return std::nullopt;
    return std::string_view(static_cast<const char*>(xcb_get_property_value(reply)), *length);
}

std::string decode(std::string_view bytes, xcb_atom_t type) {
    return type == XCB_ATOM_STRING ? utf8FromLatin1(bytes) : utf8FromUntrusted(bytes);
}

}  // namespace

std::optional<std::vector<std::uint32_t>> cardinals(const xcb_get_property_reply_t* reply, xcb_atom_t type) {
    if (reply == nullptr || reply->type != type || reply->format != 32) return std::nullopt;
    const auto length = valueLength(reply);
    if (!length) return std::nullopt;
    // The value of a format-32 property is aligned for 32-bit reads; an empty one may be null.
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    return std::vector<std::uint32_t>(values, values + *length / sizeof(std::uint32_t));
}

std::optional<std::uint32_t> firstCardinal(const xcb_get_property_reply_t* reply, xcb_atom_t type) {
    auto items = cardinals(reply, type);
    if (!items || items->empty()) return std::nullopt;
    return items->front();
}

std::optional<std::string> text(const xcb_get_property_reply_t* reply, xcb_atom_t compoundText) {
    const auto bytes = bytesOf(reply);
    if (!bytes) return std::nullopt;
    // Cut by the request's length limit: the last character may be incomplete, not invalid.
    const bool cutShort = reply->bytes_after > 0;
    if (reply->type == XCB_ATOM_STRING) return utf8FromLatin1(*bytes);
    if (reply->type == compoundText) return utf8FromCompoundText(*bytes, cutShort);
    return utf8FromUntrusted(cutShort ? withoutIncompleteLastCharacter(*bytes) : *bytes);
}

std::optional<WindowClass> windowClass(const xcb_get_property_reply_t* reply) {
    auto bytes = bytesOf(reply);
    if (!bytes) return std::nullopt;
    size_t split = bytes->find('\0');
    std::string_view instance = bytes->substr(0, split);
    std::string_view className = split == std::string_view::npos ? std::string_view() : bytes->substr(split + 1);
    WindowClass result{decode(instance, reply->type), decode(className, reply->type)};
    if (result.instance.empty() && result.className.empty()) return std::nullopt;
    return result;
}

std::optional<platform::WindowIcon> windowIcon(const xcb_get_property_reply_t* reply, int preferredSize) {
    const auto items = cardinals(reply, XCB_ATOM_CARDINAL);
    if (!items) return std::nullopt;
    const std::uint32_t* best = nullptr;
    std::uint64_t bestWidth = 0;
    std::uint64_t bestHeight = 0;
    const auto wanted = static_cast<std::uint64_t>(std::max(preferredSize, 1));
    auto better = [&](std::uint64_t width) {
        if (best == nullptr) return true;
        const bool fits = width >= wanted;
        const bool bestFits = bestWidth >= wanted;
        if (fits != bestFits) return fits;
        return fits ? width < bestWidth : width > bestWidth;
    };
    for (std::size_t at = 0; at + 2 <= items->size();) {
        const std::uint64_t width = (*items)[at];
        const std::uint64_t height = (*items)[at + 1];
        // Sizes come from another client: 64-bit arithmetic cannot overflow on 32-bit factors.
        const std::uint64_t pixels = width * height;
        if (width == 0 || height == 0 || pixels > items->size() - at - 2) break;
        if (better(width)) {
            best = items->data() + at + 2;
            bestWidth = width;
            bestHeight = height;
        }
        at += 2 + pixels;
    }
    if (best == nullptr) return std::nullopt;
    return platform::WindowIcon{static_cast<int>(bestWidth), static_cast<int>(bestHeight),
                                std::vector<std::uint32_t>(best, best + bestWidth * bestHeight)};
}

}  // namespace zerlith::x11
