// Decoding GetProperty replies that other clients filled: every wrong shape gives none.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "providers/x11/property_decoding.hpp"

namespace zerlith::x11 {
namespace {

constexpr xcb_atom_t kUtf8String = 300;  // any atom id stands for UTF8_STRING here
constexpr xcb_atom_t kCompoundText = 301;  // and for COMPOUND_TEXT

/// A reply as the server would send it: the fixed part, then the value.
class FakeReply {
public:
    FakeReply(xcb_atom_t type, std::uint8_t format, const void* data, std::uint32_t items)
        : bytes_(sizeof(xcb_get_property_reply_t) + items * (format / 8)) {
        auto* reply = header();
        reply->response_type = 1;
        reply->format = format;
        reply->type = type;
        reply->value_len = items;
        reply->length = (items * (format / 8) + 3) / 4;
        if (items > 0) std::memcpy(bytes_.data() + sizeof(xcb_get_property_reply_t), data, items * (format / 8));
    }
    static FakeReply text(xcb_atom_t type, std::string_view value) { return {type, 8, value.data(), std::uint32_t(value.size())}; }
    static FakeReply cardinals(xcb_atom_t type, std::vector<std::uint32_t> items) {
        return {type, 32, items.data(), std::uint32_t(items.size())};
    }

    const xcb_get_property_reply_t* get() { return header(); }
    /// A broken server's reply: more items announced than the value holds.
    FakeReply& announcing(std::uint32_t items) {
        header()->value_len = items;
        return *this;
    }
    /// A reply cut short by the request's length limit.
    FakeReply& withBytesAfter(std::uint32_t count) {
        header()->bytes_after = count;
        return *this;
    }

private:
    xcb_get_property_reply_t* header() { return reinterpret_cast<xcb_get_property_reply_t*>(bytes_.data()); }
    std::vector<std::uint8_t> bytes_;
};

TEST(PropertyDecodingTest, CardinalsNeedTheirTypeAndThirtyTwoBitFormat) {
    EXPECT_EQ(cardinals(FakeReply::cardinals(XCB_ATOM_CARDINAL, {1, 2, 3}).get(), XCB_ATOM_CARDINAL),
              (std::vector<std::uint32_t>{1, 2, 3}));
    EXPECT_EQ(firstCardinal(FakeReply::cardinals(XCB_ATOM_WINDOW, {7}).get(), XCB_ATOM_WINDOW), 7u);

    const std::uint16_t shortItems[] = {1, 2};
    struct Case {
        const char* what;
        FakeReply reply;
    };
    Case wrong[] = {
        {"another type", FakeReply::cardinals(XCB_ATOM_ATOM, {1})},
        {"16-bit items", FakeReply(XCB_ATOM_CARDINAL, 16, shortItems, 2)},
        {"8-bit text", FakeReply::text(XCB_ATOM_CARDINAL, "1234")},
        {"no property", FakeReply::cardinals(XCB_ATOM_NONE, {})},
    };
    for (Case& c : wrong) EXPECT_FALSE(cardinals(c.reply.get(), XCB_ATOM_CARDINAL)) << c.what;
    EXPECT_FALSE(cardinals(nullptr, XCB_ATOM_CARDINAL));
    EXPECT_FALSE(firstCardinal(FakeReply::cardinals(XCB_ATOM_CARDINAL, {}).get(), XCB_ATOM_CARDINAL));
}

TEST(PropertyDecodingTest, TextIsValidUtf8WhateverTheBytes) {
    struct Case {
        xcb_atom_t type;
        std::string_view bytes;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {kUtf8String, "Grüße", "Grüße"},
        {kUtf8String, "bad\xFF\xFE" "end", "bad\uFFFD\uFFFDend"},
        {kUtf8String, std::string_view("cut\0after", 9), "cut"},
        {XCB_ATOM_STRING, "Caf\xE9", "Caf\u00E9"},  // ISO 8859-1
        {kUtf8String, "", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(text(FakeReply::text(c.type, c.bytes).get(), kCompoundText), c.expected) << c.bytes;
    EXPECT_FALSE(text(FakeReply::cardinals(kUtf8String, {65}).get(), kCompoundText));
    EXPECT_FALSE(text(nullptr, kCompoundText));
    EXPECT_EQ(text(FakeReply::text(kUtf8String, "cut \xE2\x80").withBytesAfter(1).get(), kCompoundText), "cut ") << "not U+FFFD";
    EXPECT_EQ(text(FakeReply::text(kUtf8String, "whole \xC3\xA9").withBytesAfter(2).get(), kCompoundText), "whole é");
}

TEST(PropertyDecodingTest, CompoundTextShowsItsCharactersNeverItsEscapes) {
    struct Case {
        std::string_view bytes;
        std::string expected;
        bool cutShort = false;
    };
    const Case cases[] = {
        {"Alpha Notes \x1B%G\xE2\x80\x94\x1B%@ vim", "Alpha Notes — vim"},  // xterm -T in a UTF-8 locale
        {"Caf\xE9 \x1B(B\x1B-Aet\xE9", "Café eté"},                            // Latin-1, at start and designated
        {"\x1B-B\xB1\x1B-F\xC1\x1B-L\xB0", "ąΑА"},                           // ISO 8859-2, -7 and -5
        {"\x1B$(B\x24\x22\x1B(B!\x1B$)C\xB0\xA1", "あ!가"},                  // JIS X 0208 in GL, KS C 5601 in GR
        {"\x1B(I12\x1B(Bx\x1B$(D\x21\x21\x1B(By", "\uFFFD\uFFFDx\uFFFDy"},  // sets not decoded
        {"\x1B%/1\x80\x8Diso8859-14\x02\xA1\xA2z", "\uFFFD\uFFFDz"},        // an extended segment
        {"\x9B" "1]ab\x9B]c\x1B#zd\x1B\x01", "abcd\x01"},                     // direction marks, odd escapes
        {"\x1B%G\xFF\x1B(Bok", "\uFFFDok"},                                     // bad UTF-8; a segment ended early
        {std::string_view("ab\0cd", 5), "ab"},
        {"ab\x1B%", "ab", true},
        {"a\x1B%G\xE2\x80", "a", true},
        {"a\x1B%G\xE2\x80", "a\uFFFD"},
        {"a\x1B$(B\x24", "a", true},
        {"a\x1B$(B\x24", "a\uFFFD"},
        {"a\x1B%/2\x80\x88" "big5\x02\xA4", "a", true},
    };
    for (const Case& c : cases) {
        FakeReply reply = FakeReply::text(kCompoundText, c.bytes);
        if (c.cutShort) reply.withBytesAfter(4);
        EXPECT_EQ(text(reply.get(), kCompoundText), c.expected) << c.bytes;
    }
}

TEST(PropertyDecodingTest, WindowClassSplitsInstanceAndClass) {
    EXPECT_EQ(windowClass(FakeReply::text(XCB_ATOM_STRING, std::string_view("xterm\0XTerm\0", 12)).get()),
              (WindowClass{"xterm", "XTerm"}));
    EXPECT_EQ(windowClass(FakeReply::text(XCB_ATOM_STRING, "lonely").get()), (WindowClass{"lonely", ""}));
    EXPECT_FALSE(windowClass(FakeReply::text(XCB_ATOM_STRING, std::string_view("\0\0", 2)).get()));
    EXPECT_FALSE(windowClass(FakeReply::cardinals(XCB_ATOM_STRING, {1}).get()));
}

TEST(PropertyDecodingTest, RepliesAnnouncingMoreThanTheyCarryGiveNone) {
    EXPECT_FALSE(text(FakeReply::text(kUtf8String, "abcd").announcing(4096).get(), kCompoundText));
    EXPECT_FALSE(windowClass(FakeReply::text(XCB_ATOM_STRING, "a").announcing(0xFFFFFFFF).get()));
    EXPECT_FALSE(cardinals(FakeReply::cardinals(XCB_ATOM_CARDINAL, {1}).announcing(0x40000001).get(), XCB_ATOM_CARDINAL));
    EXPECT_EQ(text(FakeReply::text(kUtf8String, "abcdef").announcing(3).get(), kCompoundText), "abc") << "fewer is fine";
}

}  // namespace
}  // namespace zerlith::x11
