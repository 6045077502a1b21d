#include "haystacks.hpp"

#include <random>
#include <string_view>

namespace zerlith::bench {
namespace {

constexpr std::string_view kAsciiWords[] = {
    "Pull",     "Request", "Review",    "Fix",     "flaky",     "test",     "Update",   "README",
    "release",  "notes",   "Inbox",     "Design",  "System",    "Meeting",  "Notes",    "Quarterly",
    "Planning", "build",   "Dashboard", "API",     "Reference", "Settings", "Terminal", "main.cpp",
    "Roadmap",  "Budget",  "2024",      "invoice", "Welcome",   "Getting",  "Started"};
constexpr std::string_view kOtherWords[] = {
    "Café",         "Übersicht", "naïve",    "Résumé", "Zürich",      "København", "Łódź",
    "señor",        "Straße",    "İstanbul", "Привет", "Документы",   "Ελληνικά",  "日本語",
    "ドキュメント", "会議メモ",  "中文文档", "🚀",      "👩‍💻", "✅"};
constexpr std::string_view kApps[] = {
    "Google Chrome", "Safari", "Visual Studio Code", "Terminal", "Slack", "Finder", "Mail", "Notes",
    "Figma",         "Xcode"};
/// Host and path hint, and the category keyword; the subtitle's dot separator is added below.
constexpr std::string_view kTabs[][3] = {
    {"github.com", "owner/repo", "PR"},     {"github.com", "owner/repo", "issue"},
    {"mail.google.com", "", "mail"},        {"docs.python.org", "library/asyncio", "docs"},
    {"localhost:3000", "app", "local"},     {"figma.com", "file", "design"},
    {"en.wikipedia.org", "wiki/Tokyo", ""}, {"news.ycombinator.com", "", ""}};

}  // namespace

std::vector<std::string> switcherHaystacks(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    const auto pick = [&](std::size_t below) {
        return std::uniform_int_distribution<std::size_t>(0, below - 1)(random);
    };
    const auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };

    std::vector<std::string> haystacks;
    haystacks.reserve(count);
    while (haystacks.size() < count) {
        // Six in ten mix in other scripts (and typographic dashes); the rest stay ASCII.
        const bool otherScripts = chance(0.6);
        std::string title;
        for (std::size_t words = 4 + pick(4); words > 0; --words) {
            if (!title.empty()) title += chance(0.15) ? (otherScripts ? " — " : " - ") : " ";
            const bool other = otherScripts && (title.empty() || chance(0.35));
            title +=
                other ? kOtherWords[pick(std::size(kOtherWords))] : kAsciiWords[pick(std::size(kAsciiWords))];
        }
        std::string haystack;
        if (chance(0.5)) {
            const auto& tab = kTabs[pick(std::size(kTabs))];
            std::string subtitle(tab[0]);
            if (!tab[1].empty()) subtitle += (otherScripts ? " · " : " - ") + std::string(tab[1]);
            const std::string_view browser = chance(0.7) ? "Google Chrome" : "Safari";
            haystack = title + " " + subtitle + " " + std::string(browser) + " " + std::string(tab[2]);
        } else {
            const std::string app(kApps[pick(std::size(kApps))]);
            haystack = title + " " + app + " " + app + " ";
        }
        haystacks.push_back(std::move(haystack));
    }
    return haystacks;
}

}  // namespace zerlith::bench
