#include "sources/browser_source.hpp"

#include <gtest/gtest.h>

namespace zerlith::BrowserSource {
namespace {

using detail::parse;
using detail::parseInteger;

std::string record(std::string windowID, std::string visible, std::string tabIndex, std::string title,
                   std::string url) {
    const std::string fs(kFieldSeparator);
    return windowID + fs + visible + fs + "1" + fs + tabIndex + fs + title + fs + url +
           std::string(kRecordSeparator);
}

TEST(TabRecords, AChromeRecordBecomesATabTarget) {
    const std::string url = "https://github.com/owner/repo/pull/98765";
    const auto targets = parse(record("12", "true", "3", "Docs", url) + "\n", BrowserKind::chrome);
    ASSERT_EQ(targets.size(), 1u);
    const Target& tab = targets[0];
    EXPECT_EQ(tab.id, "tab:chrome:12:" + url);
    EXPECT_EQ(tab.kind, TargetKind::tab);
    EXPECT_EQ(tab.title, "Docs");
    EXPECT_EQ(tab.subtitle, "github.com/owner/repo \u00B7 Google Chrome");
    EXPECT_EQ(tab.appName, "Google Chrome");
    EXPECT_EQ(tab.bundleID, "com.google.Chrome");
    EXPECT_EQ(tab.category, Classifier::Category::pullRequest);
    EXPECT_FALSE(tab.screenName);
    EXPECT_FALSE(tab.window);
    ASSERT_TRUE(tab.tab);
    EXPECT_EQ(tab.tab->browser, BrowserKind::chrome);
    EXPECT_EQ(tab.tab->windowID, 12);
    EXPECT_EQ(tab.tab->tabIndex, 3);
    EXPECT_EQ(tab.tab->url, url);
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
        {"title without URL", record("1", "true", "1", "T", ""), true},
        {"URL without title", record("1", "true", "1", "", "https://a.example/"), true},
        {"neither title nor URL", record("1", "true", "1", " ", "\n"), false},
        {"five fields", "1" + fs + "true" + fs + "1" + fs + "1" + fs + "T" + std::string(kRecordSeparator),
         false},
        {"trailing line feed only", "\n", false},
        {"empty output", "", false},
    };
    for (const auto& [name, output, kept] : cases) {
        EXPECT_EQ(parse(output, BrowserKind::safari).size(), kept ? 1u : 0u) << name;
    }
}

TEST(TabRecords, TitleUrlAndExtraFields) {
    const std::string fs(kFieldSeparator);
    const auto targets =
        parse(record("5", "true", "2", "  Spaced  ", " https://www.example.com/a ") +
                  record("5", "true", "3", "", "http://localhost:3000/x") + "6" + fs + "true" + fs + "1" +
                  fs + "4" + fs + "T" + fs + "u" + fs + "extra" + std::string(kRecordSeparator),
              BrowserKind::safari);
    ASSERT_EQ(targets.size(), 3u);
    EXPECT_EQ(targets[0].title, "Spaced");
    EXPECT_EQ(targets[0].tab->url, "https://www.example.com/a");
    EXPECT_EQ(targets[0].subtitle, "example.com/a \u00B7 Safari");
    EXPECT_EQ(targets[1].title, "localhost:3000") << "an empty title takes the host";
    EXPECT_EQ(targets[1].category, Classifier::Category::localhost);
    EXPECT_EQ(targets[2].tab->url, "u") << "fields after the sixth are ignored";
    EXPECT_EQ(targets[2].subtitle, "Safari");
}

TEST(TabRecords, RepeatsAreNumberedPerWindowAndUrl) {
    const auto targets = parse(record("1", "true", "1", "A", "https://x.example/") +
                                   record("1", "true", "2", "B", "https://x.example/") +
                                   record("2", "true", "1", "C", "https://x.example/") +
                                   record("1", "true", "3", "D", "https://x.example/"),
                               BrowserKind::chrome);
    ASSERT_EQ(targets.size(), 4u);
    EXPECT_EQ(targets[0].id, "tab:chrome:1:https://x.example/");
    EXPECT_EQ(targets[1].id, "tab:chrome:1:https://x.example/#1");
    EXPECT_EQ(targets[2].id, "tab:chrome:2:https://x.example/");
    EXPECT_EQ(targets[3].id, "tab:chrome:1:https://x.example/#2");
    EXPECT_EQ(targets[3].title, "D") << "records keep the browser's order";
}

TEST(TabRecords, HostileFieldsAreSafe) {
    const std::string invalid = "\xFF\xFE";
    const auto targets =
        parse(record("1", "true", "1", invalid, "not a url " + invalid), BrowserKind::chrome);
    ASSERT_EQ(targets.size(), 1u);
    EXPECT_EQ(targets[0].title, invalid);
    EXPECT_EQ(targets[0].subtitle, "Google Chrome");
    EXPECT_EQ(targets[0].category, Classifier::Category::other);
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

TEST(TabSubtitle, HostHintAndApplication) {
    EXPECT_EQ(detail::subtitle("", "about:blank", "Safari"), "Safari");
    EXPECT_EQ(detail::subtitle("example.com", "https://example.com/", "Safari"),
              "example.com \u00B7 Safari");
    EXPECT_EQ(detail::subtitle("github.com", "https://github.com/o/r/issues/98765", "Brave"),
              "github.com/o/r \u00B7 Brave");
}

TEST(TabScripts, AreExactLineByLine) {
    const std::string safari = enumerationScript(BrowserKind::safari);
    EXPECT_TRUE(safari.starts_with("tell application \"Safari\"\n    set fs to (ASCII character 31)\n"));
    EXPECT_NE(
        safari.find("\n                set out to out & wid & fs & vis & fs & act & fs & j & fs & \u00AC\n"
                    "                    (item j of ts) & fs & (item j of us) & rs\n"
                    "            end repeat\n        end try\n"),
        std::string::npos);
    EXPECT_TRUE(safari.ends_with("\n    return out\nend tell"));
    EXPECT_EQ(std::count(safari.begin(), safari.end(), '\n'), 18);

    const std::string chrome = enumerationScript(BrowserKind::chrome);
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
}

}  // namespace
}  // namespace zerlith::BrowserSource
