#include "providers/macos_model/scripted_tabs.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace zerlith::macos_model {
namespace {

using detail::parse;
using detail::parseInteger;

std::string record(std::string windowID, std::string visible, std::string tabIndex, std::string title,
                   std::string url, std::string activeIndex = "1") {
    const std::string fs(kFieldSeparator);
    return windowID + fs + visible + fs + activeIndex + fs + tabIndex + fs + title + fs + url +
           std::string(kRecordSeparator);
}

TEST(TabRecords, EachRuleKeepsOrSkipsTheRecord) {
    const std::string fs(kFieldSeparator);
    struct Case {
        const char* name;
        std::string output;
        bool kept;
    };
    const Case cases[] = {
        {"plain", record("1", "true", "1", "T", "https://a.example/"), true},
        {"window id surrounded by spaces", record(" \t7\n", "true", "1", "T", "u"), true},
        {"signed window id", record("+7", "true", "1", "T", "u"), true},
        {"negative window id", record("-7", "true", "1", "T", "u"), true},
        {"empty window id", record(" ", "true", "1", "T", "u"), false},
        {"window id not a number", record("w1", "true", "1", "T", "u"), false},
        {"window id beyond 64 bits", record("9223372036854775808", "true", "1", "T", "u"), false},
        {"tab index surrounded by spaces", record("1", "true", " 2", "T", "u"), false},
        {"empty tab index", record("1", "true", "", "T", "u"), false},
        {"not visible", record("1", "false", "1", "T", "u"), false},
        {"visible with spaces", record("1", " true\n", "1", "T", "u"), true},
        {"visible in capitals", record("1", "TRUE", "1", "T", "u"), false},
        {"five fields", "1" + fs + "true" + fs + "1" + fs + "1" + fs + "T" + std::string(kRecordSeparator),
         false},
        {"trailing line feed only", "\n", false},
        {"empty output", "", false},
    };
    for (const auto& [name, output, kept] : cases) {
        EXPECT_EQ(parse(output).size(), kept ? 1u : 0u) << name;
    }
}

TEST(TabRecords, FieldsBecomeTypedTabsInOrder) {
    const std::string fs(kFieldSeparator);
    const auto tabs = parse(record("5", "true", "2", "  Spaced  ", "https://a.example/", "2") +
                            record("-5", "true", "3", "", "", "2") + "6" + fs + "true" + fs + "1" + fs + "4" +
                            fs + "T" + fs + "u" + fs + "extra" + std::string(kRecordSeparator));
    ASSERT_EQ(tabs.size(), 3u);
    EXPECT_EQ(tabs[0].windowID, 5);
    EXPECT_EQ(tabs[0].index, 2);
    EXPECT_TRUE(tabs[0].active);
    EXPECT_EQ(tabs[0].title, "  Spaced  ") << "the targets trim, not the parser";
    EXPECT_EQ(tabs[1].windowID, -5);
    EXPECT_FALSE(tabs[1].active);
    EXPECT_EQ(tabs[2].url, "u") << "fields after the sixth are ignored";
}

TEST(IntegerReader, SignDigitsAndRange) {
    const std::pair<std::string, std::optional<std::int64_t>> cases[] = {
        {"0", 0},
        {"42", 42},
        {"+42", 42},
        {"-42", -42},
        {"9223372036854775807", INT64_MAX},
        {"-9223372036854775808", INT64_MIN},
        {"9223372036854775808", std::nullopt},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"+-1", std::nullopt},
        {"--1", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"1.0", std::nullopt},
        {"0x10", std::nullopt},
        {"\xD9\xA3", std::nullopt},  // an Arabic-Indic digit
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(parseInteger(text), value) << text;
}

TEST(TabConsentCodes, AllowedNotAskedOrDenied) {
    EXPECT_EQ(consentFromCode(0), desktop::TabConsent::allowed);
    EXPECT_EQ(consentFromCode(-1744), desktop::TabConsent::notDetermined);
    for (const int other : {-1743, -600, 1, -1}) EXPECT_EQ(consentFromCode(other), desktop::TabConsent::denied) << other;
}

TEST(TabScripts, AreExactLineByLine) {
    const std::string safari = listingScript(BrowserKind::safari);
    EXPECT_TRUE(safari.starts_with("tell application \"Safari\"\n    set fs to (ASCII character 31)\n"));
    EXPECT_NE(
        safari.find("\n                set out to out & wid & fs & vis & fs & act & fs & j & fs & \u00AC\n"
                    "                    (item j of ts) & fs & (item j of us) & rs\n"
                    "            end repeat\n        end try\n"),
        std::string::npos);
    EXPECT_TRUE(safari.ends_with("\n    return out\nend tell"));
    EXPECT_EQ(std::count(safari.begin(), safari.end(), '\n'), 18);

    const std::string chrome = listingScript(BrowserKind::chrome);
    EXPECT_TRUE(chrome.starts_with("tell application \"Google Chrome\"\n"));
    EXPECT_NE(chrome.find("\n    set allURLs to URL of every tab of every window\n    set out to \"\"\n"),
              std::string::npos);
    EXPECT_NE(
        chrome.find(
            "\n            set out to out & (item i of winIDs) & fs & (item i of winVis) & fs & \u00AC\n"
            "                (item i of winAct) & fs & j & fs & (item j of ts) & fs & (item j of us) & rs\n"),
        std::string::npos);
    EXPECT_TRUE(chrome.ends_with("\n    end repeat\n    return out\nend tell"));
    EXPECT_EQ(std::count(chrome.begin(), chrome.end(), '\n'), 18);
    EXPECT_TRUE(listingScript(BrowserKind::firefox).empty()) << "Firefox has no scripting";
}

}  // namespace
}  // namespace zerlith::macos_model
