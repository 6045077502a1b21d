#include "sources/source_text.hpp"

#include <array>
#include <cstdint>
#include <limits>
#include <memory>

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

namespace zerlith::SourceText {
namespace {

/// Markers editors put before a title with unsaved changes; each is tried once, in this order.
constexpr std::array<std::string_view, 3> kTitleMarkers = {"\u25CF ", "\u2022 ", "* "};

/// One character break iterator per thread: making one costs far more than using it.
icu::BreakIterator* characterIterator() {
    thread_local const std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(made) : nullptr;
    }();
    return iterator.get();
}

}  // namespace

std::string_view trimmed(std::string_view text) {
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return text;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());

    std::int32_t begin = 0;
    while (begin < length) {
        std::int32_t next = begin;
        UChar32 c;
        U8_NEXT(bytes, next, length, c);
        if (c < 0 || !u_isUWhiteSpace(c)) break;
        begin = next;
    }
    std::int32_t end = length;
    while (end > begin) {
        std::int32_t previous = end;
        UChar32 c;
        U8_PREV(bytes, begin, previous, c);
        if (c < 0 || !u_isUWhiteSpace(c)) break;
        end = previous;
    }
    return text.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
}

bool startsWithCharacters(std::string_view text, std::string_view prefix) {
    if (!text.starts_with(prefix)) return false;
    if (text.size() == prefix.size()) return true;
    if (prefix.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return false;
    // Boundaries inside the prefix do not depend on what follows it; only the one at its end
    // does (a combining mark would join the prefix's last character).
    icu::BreakIterator* characters = characterIterator();
    if (characters == nullptr) return false;
    UErrorCode status = U_ZERO_ERROR;
    UText utext = UTEXT_INITIALIZER;
    utext_openUTF8(&utext, text.data(), static_cast<std::int64_t>(text.size()), &status);
    characters->setText(&utext, status);
    const bool boundary =
        U_SUCCESS(status) && characters->isBoundary(static_cast<std::int32_t>(prefix.size()));
    utext_close(&utext);
    return boundary;
}

std::string cleanWindowTitle(std::string_view title) {
    for (const auto marker : kTitleMarkers) {
        if (startsWithCharacters(title, marker)) title.remove_prefix(marker.size());
    }
    return std::string(trimmed(title));
}

}  // namespace zerlith::SourceText
