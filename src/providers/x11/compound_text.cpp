#include "providers/x11/compound_text.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>

#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include "providers/x11/text_encoding.hpp"

namespace zerlith::x11 {
namespace {

constexpr char kEscape = '\x1B';
constexpr std::string_view kUtf8Start = "%G";  // after ESC, as X.Org's Xlib writes it
constexpr std::string_view kUtf8End = "\x1B%@";
constexpr char kStartOfText = '\x02';            // ends the set's name in an extended segment
constexpr unsigned char kControlSequence = 0x9B;  // CSI; in compound text only direction marks
constexpr std::string_view kReplacement = "\uFFFD";

/// A character set in GL or GR: the ICU converter that reads its characters, none when this
/// backend does not decode the set, and how many bytes one character takes.
struct Charset {
    const char* converter = nullptr;
    std::size_t width = 1;
    bool highBit = false;  ///< the converter reads the bytes with the high bit set, as in EUC
};

constexpr Charset kLatin1{"ISO-8859-1"};  // ASCII in GL, the right half in GR: the sets at the start

/// The 96-character sets that ESC - F puts in GR, by F.
Charset rightHalf(char final) {
    constexpr std::pair<char, const char*> kSets[] = {
        {'A', "ISO-8859-1"},  {'B', "ISO-8859-2"},  {'C', "ISO-8859-3"},  {'D', "ISO-8859-4"},
        {'F', "ISO-8859-7"},  {'G', "ISO-8859-6"},  {'H', "ISO-8859-8"},  {'L', "ISO-8859-5"},
        {'M', "ISO-8859-9"},  {'V', "ISO-8859-10"}, {'Y', "ISO-8859-13"}, {'_', "ISO-8859-14"},
        {'b', "ISO-8859-15"}, {'f', "ISO-8859-16"},
    };
    for (auto [setFinal, converter] : kSets) {
        if (setFinal == final) return {converter};
    }
    return {};
}

/// The 94 × 94 sets that ESC $ ( F and ESC $ ) F designate, by F, read through their EUC form.
Charset doubleByte(char final) {
    switch (final) {
        case 'A': return {"GB2312", 2, true};
        case 'B': return {"EUC-JP", 2, true};
        case 'C': return {"EUC-KR", 2, true};
        default: return {nullptr, 2};
    }
}

bool isIntermediate(unsigned char byte) { return byte >= 0x20 && byte <= 0x2F; }
bool isFinal(unsigned char byte) { return byte >= 0x30 && byte <= 0x7E; }
bool isGraphicLeft(unsigned char byte) { return byte > 0x20 && byte < 0x7F; }
bool isGraphicRight(unsigned char byte) { return byte >= 0xA0; }

class Decoder {
public:
    Decoder(std::string_view bytes, bool cutShort) : bytes_(bytes.substr(0, bytes.find('\0'))), cutShort_(cutShort) {}

    std::string run() {
        while (at_ < bytes_.size()) {
            const auto byte = static_cast<unsigned char>(bytes_[at_]);
            if (byte == kEscape) {
                escapeSequence();
            } else if (byte == kControlSequence) {
                skipControlSequence();
            } else if (isGraphicLeft(byte)) {
                characters(gl_, isGraphicLeft);
            } else if (isGraphicRight(byte)) {
                characters(gr_, isGraphicRight);
            } else {
                // Space and controls mean the same in every set, as in STRING.
                out_ += utf8FromLatin1(bytes_.substr(at_++, 1));
            }
        }
        return std::move(out_);
    }

private:
    bool atEnd(std::size_t index) const { return index >= bytes_.size(); }
    unsigned char byteAt(std::size_t index) const { return static_cast<unsigned char>(bytes_[index]); }

    /// Whether a character or sequence that runs to the end was cut by the length limit, and
    /// so is dropped; one that was sent whole yet is incomplete is invalid and replaced.
    bool dropsIncompleteEnd(std::size_t end) const { return cutShort_ && atEnd(end); }

    void replace(std::size_t characters) {
        for (; characters > 0; --characters) out_ += kReplacement;
    }

    void characters(const Charset& charset, bool (*belongs)(unsigned char)) {
        std::size_t end = at_;
        while (!atEnd(end) && belongs(byteAt(end))) ++end;
        std::string run(bytes_.substr(at_, end - at_));
        const std::size_t incomplete = run.size() % charset.width;
        run.resize(run.size() - incomplete);
        convert(charset, run);
        if (incomplete > 0 && !dropsIncompleteEnd(end)) replace(1);
        at_ = end;
    }

    void convert(const Charset& charset, std::string& run) {
        UErrorCode error = U_ZERO_ERROR;
        icu::LocalUConverterPointer converter(charset.converter ? ucnv_open(charset.converter, &error) : nullptr);
        // A one-byte substitute other than SUB makes ICU read an unmappable byte as U+FFFD, not U+001A.
        if (converter.isValid()) ucnv_setSubstChars(converter.getAlias(), "?", 1, &error);
        if (!converter.isValid() || U_FAILURE(error)) {
            replace(run.size() / charset.width);
            return;
        }
        if (charset.highBit) {
            for (char& byte : run) byte = static_cast<char>(byte | 0x80);
        }
        icu::UnicodeString(run.data(), static_cast<std::int32_t>(run.size()), converter.getAlias(), error)
            .toUTF8String(out_);
    }

    void escapeSequence() {
        std::size_t end = at_ + 1;
        while (!atEnd(end) && isIntermediate(byteAt(end))) ++end;
        if (atEnd(end) || !isFinal(byteAt(end))) {
            at_ = end;  // cut off, or no escape sequence at all: nothing of it is text
            return;
        }
        const std::string_view sequence = bytes_.substr(at_ + 1, end - at_);
        at_ = end + 1;
        if (sequence == kUtf8Start) {
            utf8Segment();
        } else if (sequence.size() == 3 && sequence.starts_with("%/")) {
            extendedSegment(sequence[2]);
        } else {
            designate(sequence);
        }
    }

    void designate(std::string_view sequence) {
        const char final = sequence.back();
        const std::string_view intermediates = sequence.substr(0, sequence.size() - 1);
        if (intermediates == "(") gl_ = final == 'B' ? kLatin1 : Charset{};
        if (intermediates == ")") gr_ = Charset{};
        if (intermediates == "-") gr_ = rightHalf(final);
        if (intermediates == "$(" || intermediates == "$") gl_ = doubleByte(final);
        if (intermediates == "$)") gr_ = doubleByte(final);
        // Any other sequence (a return from a UTF-8 segment, a revision) designates nothing.
    }

    /// UTF-8 up to ESC % @; any other escape sequence inside ends it too, to be read as one.
    void utf8Segment() {
        std::size_t end = bytes_.find(kEscape, at_);
        if (end == std::string_view::npos) end = bytes_.size();
        std::string_view text = bytes_.substr(at_, end - at_);
        if (dropsIncompleteEnd(end)) text = withoutIncompleteLastCharacter(text);
        out_ += utf8FromUntrusted(text);
        at_ = bytes_.substr(end).starts_with(kUtf8End) ? end + kUtf8End.size() : end;
    }

    /// ESC % / F M L: a set named in the segment, M × 128 + L bytes of name, STX and text. No
    /// such set is decoded; F tells the bytes per character (0: varying, counted per byte).
    void extendedSegment(char widthDigit) {
        if (atEnd(at_ + 1)) {
            at_ = bytes_.size();
            return;
        }
        const std::size_t length = (byteAt(at_) & 0x7Fu) * 128u + (byteAt(at_ + 1) & 0x7Fu);
        const std::size_t end = at_ + 2 + length;
        const std::string_view segment = bytes_.substr(at_ + 2, length);
        at_ = std::min(end, bytes_.size());
        const std::size_t nameEnd = segment.find(kStartOfText);
        if (nameEnd == std::string_view::npos) return;
        const std::size_t text = segment.size() - nameEnd - 1;
        const std::size_t width = widthDigit >= '1' && widthDigit <= '4' ? std::size_t(widthDigit - '0') : 1;
        replace(dropsIncompleteEnd(end) ? text / width : (text + width - 1) / width);
    }

    void skipControlSequence() {
        std::size_t end = at_ + 1;
        while (!atEnd(end) && byteAt(end) >= 0x20 && byteAt(end) <= 0x3F) ++end;
        at_ = !atEnd(end) && byteAt(end) >= 0x40 && byteAt(end) <= 0x7E ? end + 1 : end;
    }

    std::string_view bytes_;
    bool cutShort_;
    std::size_t at_ = 0;
    Charset gl_ = kLatin1;
    Charset gr_ = kLatin1;
    std::string out_;
};

}  // namespace

std::string utf8FromCompoundText(std::string_view bytes, bool cutShort) { return Decoder(bytes, cutShort).run(); }

}  // namespace zerlith::x11
