#include "ranking/code_point_facts.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

namespace zerlith::FuzzyMatcher {
namespace {

TEST(ForeignAsciiKeys, ListEveryCodePointOutsideAsciiWhoseKeyIsOneAsciiByte) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    std::set<std::pair<char, std::string>> found;
    for (UChar32 c = 0x80; c < 0x110000; ++c) {
        if (c >= 0xD800 && c < 0xE000) continue;
        const icu::UnicodeString key =
            nfd->normalize(icu::UnicodeString(c).toLower(icu::Locale::getRoot()), status);
        if (key.length() != 1 || key.charAt(0) >= 0x80) continue;
        std::string utf8;
        icu::UnicodeString(c).toUTF8String(utf8);
        found.insert({static_cast<char>(key.charAt(0)), utf8});
    }
    std::set<std::pair<char, std::string>> listed;
    for (const ForeignAsciiKey& foreign : foreignAsciiKeys()) {
        listed.insert({foreign.key, std::string(foreign.utf8)});
    }
    EXPECT_EQ(found, listed);
}

}  // namespace
}  // namespace zerlith::FuzzyMatcher
