#include "ranking/unicode_text.hpp"

#include <memory>

#include <unicode/brkiter.h>
#include <unicode/casemap.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace zerlith::UnicodeText {
namespace {

/// Creating a break iterator costs far more than using one, so each thread keeps its own.
icu::BreakIterator* characterIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status)) created.reset();
        return created;
    }();
    return iterator.get();
}

bool changes(const icu::UnicodeString& character, const icu::UnicodeString& mapped) {
    return decomposed(character) != decomposed(mapped);
}

/// No case mapping changes a character none of whose code points has Changes_When_Casemapped
/// (true of every code point on its own, and mappings act code point by code point), so most
/// characters are spared the mappings.
bool mayChangeCase(const icu::UnicodeString& character) {
    for (std::int32_t i = 0; i < character.length(); i = character.moveIndex32(i, 1)) {
        if (u_hasBinaryProperty(character.char32At(i), UCHAR_CHANGES_WHEN_CASEMAPPED)) return true;
    }
    return false;
}

}  // namespace

icu::UnicodeString fromUtf8(std::string_view utf8) {
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8.data(), static_cast<std::int32_t>(utf8.size())));
}

std::string toUtf8(const icu::UnicodeString& text) {
    std::string out;
    text.toUTF8String(out);
    return out;
}

bool isPrintableUtf8(std::string_view bytes) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto length = static_cast<std::int64_t>(bytes.size());
    for (std::int64_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(data, i, length, c);
        if (c < 0) return false;
        const std::int8_t type = u_charType(c);
        if (type == U_CONTROL_CHAR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR) return false;
    }
    return true;
}

std::vector<std::int32_t> characterBoundaries(const icu::UnicodeString& text) {
    std::vector<std::int32_t> boundaries{0};
    icu::BreakIterator* iterator = characterIterator();
    if (iterator == nullptr) {
        // Without ICU's break rules (missing data) each code point stands alone.
        for (std::int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
            if (i > 0) boundaries.push_back(i);
        }
        if (text.length() > 0) boundaries.push_back(text.length());
        return boundaries;
    }
    iterator->setText(text);
    for (std::int32_t at = iterator->next(); at != icu::BreakIterator::DONE; at = iterator->next()) {
        boundaries.push_back(at);
    }
    return boundaries;
}

std::size_t characterCount(const icu::UnicodeString& text) {
    return characterBoundaries(text).size() - 1;
}

icu::UnicodeString lowerCased(icu::UnicodeString text) {
    return text.toLower(icu::Locale::getRoot());
}

icu::UnicodeString upperCased(icu::UnicodeString text) {
    return text.toUpper(icu::Locale::getRoot());
}

icu::UnicodeString lowerCased(const icu::UnicodeString& text, icu::Edits& edits) {
    // Lower-casing rarely grows a text (İ gains a combining dot); a second pass covers it.
    std::int32_t capacity = text.length() + 16;
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode status = U_ZERO_ERROR;
        icu::UnicodeString result;
        char16_t* buffer = result.getBuffer(capacity);
        if (buffer == nullptr) break;
        const std::int32_t length =
            icu::CaseMap::toLower("", 0, text.getBuffer(), text.length(), buffer, capacity, &edits, status);
        result.releaseBuffer(U_SUCCESS(status) ? length : 0);
        if (U_SUCCESS(status)) return result;
        if (status != U_BUFFER_OVERFLOW_ERROR) break;
        capacity = length;
    }
    edits.reset();
    return text;
}

icu::UnicodeString decomposed(const icu::UnicodeString& text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status)) return text;
    icu::UnicodeString result = nfd->normalize(text, status);
    return U_SUCCESS(status) ? result : text;
}

bool isLowerCase(const icu::UnicodeString& character) {
    return mayChangeCase(character) && changes(character, upperCased(character)) &&
           !changes(character, lowerCased(character));
}

bool isUpperCase(const icu::UnicodeString& character) {
    return mayChangeCase(character) && changes(character, lowerCased(character)) &&
           !changes(character, upperCased(character));
}

bool isNumeric(const icu::UnicodeString& character) {
    return !character.isEmpty() &&
           u_getIntPropertyValue(character.char32At(0), UCHAR_NUMERIC_TYPE) != U_NT_NONE;
}

bool isWhiteSpace(const icu::UnicodeString& character) {
    if (character.isEmpty()) return false;
    for (std::int32_t i = 0; i < character.length(); i = character.moveIndex32(i, 1)) {
        if (!u_hasBinaryProperty(character.char32At(i), UCHAR_WHITE_SPACE)) return false;
    }
    return true;
}

}  // namespace zerlith::UnicodeText
