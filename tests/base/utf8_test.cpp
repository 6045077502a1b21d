#include "base/utf8.hpp"

#include <gtest/gtest.h>

#include <string>

namespace zerlith {
namespace {

TEST(Utf8Validation, AcceptsWellFormedAndRefusesEveryIllFormedShape) {
    struct Case {
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"plain ascii", true},
        {"\xC3\xA9", true},           // é
        {"\xE2\x82\xAC", true},       // €
        {"\xF0\x9F\x98\x80", true},   // 😀
        {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF
        {"\xED\x9F\xBF", true},       // U+D7FF, just below the surrogates
        {"\xC0\x80", false},          // overlong NUL
        {"\xC1\xBF", false},          // overlong
        {"\xE0\x9F\xBF", false},      // overlong three-byte form
        {"\xF0\x8F\xBF\xBF", false},  // overlong four-byte form
        {"\xED\xA0\x80", false},      // surrogate
        {"\xF4\x90\x80\x80", false},  // above U+10FFFF
        {"\xF5\x80\x80\x80", false},  // lead byte never used
        {"\x80", false},              // stray continuation
        {"\xE2\x82", false},          // truncated
        {"\xE2\x28\xA1", false},      // bad continuation
        {"\xF0\x9F\x98\x41", false},  // bad last continuation
    };
    for (const auto& [bytes, valid] : cases) {
        EXPECT_EQ(isValidUtf8(bytes), valid) << ::testing::PrintToString(bytes);
    }
}

}  // namespace
}  // namespace zerlith
