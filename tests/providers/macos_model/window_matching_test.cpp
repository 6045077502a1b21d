#include "providers/macos_model/window_list.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "sources/source_text.hpp"

namespace zerlith::WindowList::detail {
namespace {

using platform::WindowBounds;
using platform::WindowRecord;
using platform::WindowValue;

constexpr Pid kOwnPid = 999;

using Member = std::optional<WindowValue> WindowRecord::*;

WindowRecord record() {
    WindowRecord result;
    result.layer = std::int64_t{0};
    result.ownerPID = std::int64_t{42};
    result.number = std::int64_t{7};
    result.bounds = WindowBounds{10, 20, 800, 600};
    result.name = std::string("Notes");
    result.alpha = 1.0;
    result.isOnscreen = true;
    return result;
}

WindowRecord with(Member member, WindowValue value) {
    auto result = record();
    result.*member = std::move(value);
    return result;
}

WindowRecord without(Member member) {
    auto result = record();
    (result.*member).reset();
    return result;
}

WindowBounds extents(double width, double height) {
    WindowBounds bounds;
    bounds.width = width;
    bounds.height = height;
    return bounds;
}

TEST(WindowRecordFilter, ReadsAPassingRecord) {
    const auto info = windowInfo(record(), kOwnPid);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->id, 7u);
    EXPECT_EQ(info->pid, 42);
    EXPECT_EQ(info->title, "Notes");
    EXPECT_EQ(info->frame, (Rect{10, 20, 800, 600}));
    EXPECT_TRUE(info->isOnscreen);
}

TEST(WindowRecordFilter, EachRuleKeepsOrDropsTheWindow) {
    struct Case {
        const char* name;
        WindowRecord record;
        bool passes;
    };
    const Case cases[] = {
        {"layer 1", with(&WindowRecord::layer, std::int64_t{1}), false},
        {"layer -1", with(&WindowRecord::layer, std::int64_t{-1}), false},
        {"real-valued layer 0.0 is not an integer", with(&WindowRecord::layer, 0.0), false},
        {"string layer", with(&WindowRecord::layer, std::string("0")), false},
        {"no layer", without(&WindowRecord::layer), false},
        {"own process", with(&WindowRecord::ownerPID, std::int64_t{kOwnPid}), false},
        {"no owner", without(&WindowRecord::ownerPID), false},
        {"owner beyond 32 bits", with(&WindowRecord::ownerPID, std::int64_t{1} << 40), false},
        {"no number", without(&WindowRecord::number), false},
        {"number beyond 32 bits", with(&WindowRecord::number, std::int64_t{1} << 33), false},
        {"negative number", with(&WindowRecord::number, std::int64_t{-1}), false},
        {"no bounds", without(&WindowRecord::bounds), false},
        {"bounds not a map", with(&WindowRecord::bounds, 5.0), false},
        {"no name", without(&WindowRecord::name), false},
        {"name not a string", with(&WindowRecord::name, std::int64_t{3}), false},
        {"empty name still passes here", with(&WindowRecord::name, std::string()), true},
        {"alpha 0.05", with(&WindowRecord::alpha, 0.05), false},
        {"alpha 0.06", with(&WindowRecord::alpha, 0.06), true},
        {"integer alpha 0", with(&WindowRecord::alpha, std::int64_t{0}), false},
        {"integer alpha 1", with(&WindowRecord::alpha, std::int64_t{1}), true},
        {"alpha not a number", with(&WindowRecord::alpha, std::string("0")), true},
        {"no alpha", without(&WindowRecord::alpha), true},
        {"not-a-number alpha", with(&WindowRecord::alpha, std::nan("")), false},
        {"120 by 60", with(&WindowRecord::bounds, extents(120, 60)), true},
        {"119 wide", with(&WindowRecord::bounds, extents(119, 60)), false},
        {"59 high", with(&WindowRecord::bounds, extents(120, 59)), false},
        {"negative extents count as magnitudes",
         with(&WindowRecord::bounds, extents(-300, -200)), true},
        {"missing extents count as 0", with(&WindowRecord::bounds, WindowBounds{0, {}, {}, {}}), false},
    };
    for (const auto& [name, input, passes] : cases) {
        EXPECT_EQ(windowInfo(input, kOwnPid).has_value(), passes) << name;
    }
}

TEST(WindowRecordFilter, OnscreenIsFalseUnlessABooleanSaysSo) {
    EXPECT_FALSE(windowInfo(without(&WindowRecord::isOnscreen), kOwnPid)->isOnscreen);
    EXPECT_FALSE(windowInfo(with(&WindowRecord::isOnscreen, std::int64_t{1}), kOwnPid)->isOnscreen);
    EXPECT_EQ(windowInfo(with(&WindowRecord::bounds, extents(200, 100)), kOwnPid)->frame,
              (Rect{0, 0, 200, 100}));
}

TEST(TitleCleaning, RemovesEachMarkerOnceInOrderThenTrims) {
    const std::pair<std::string, std::string> cases[] = {
        {"\u2022 Notes", "Notes"},
        {"\u25CF * draft.txt", "draft.txt"},         // black circle, then asterisk
        {"* \u25CF draft.txt", "\u25CF draft.txt"},  // the circle is tried before the asterisk only
        {"* * twice", "* twice"},
        {"\u25CF ", ""},
        {"  \t\n", ""},
        {"\u3000Wide\u00A0\u2028", "Wide"},  // Unicode white space and line separators
        {"*draft", "*draft"},
        {"\u2022 \u0301Notes", "\u2022 \u0301Notes"},  // the space carries an accent: not a marker
        {"\u25CF\u0301 x", "\u25CF\u0301 x"},
        {"Plain \xFF", "Plain \xFF"},  // ill-formed bytes stay
        {" \xFF ", "\xFF"},
    };
    for (const auto& [title, cleaned] : cases) EXPECT_EQ(SourceText::cleanWindowTitle(title), cleaned) << title;
}

TEST(TitleAffinity, EqualPrefixOrNothing) {
    EXPECT_EQ(titleAffinity("Notes", "Notes"), 3);
    EXPECT_EQ(titleAffinity("Notes", "Notes — Draft"), 2);
    EXPECT_EQ(titleAffinity("Notes — Draft", "Notes"), 2);
    EXPECT_EQ(titleAffinity("Notes", "Mail"), 0);
    EXPECT_EQ(titleAffinity("", ""), 0);
    EXPECT_EQ(titleAffinity("", "Notes"), 0);
}

AXCandidate candidate(std::string title, Rect frame) {
    return {std::make_shared<platform::AXElement>(), std::move(title), frame};
}

TEST(MatchScore, OriginSizeAndTitleAddUp) {
    const Rect frame{100, 50, 800, 600};
    struct Case {
        const char* name;
        AXCandidate ax;
        int score;
    };
    const double huge = std::numeric_limits<double>::max();
    const Case cases[] = {
        {"everything", candidate("Doc", frame), 7},
        {"title only", candidate("Doc", {0, 0, 10, 10}), 3},
        {"frame without title", candidate("Other", frame), 4},
        {"origin only", candidate("", {100, 50, 1, 1}), 2},
        {"size only, prefix title", candidate("Doc 2", {0, 0, 800, 600}), 4},
        {"flipped size compares magnitudes", candidate("", {100, 50, -800, -600}), 4},
        {"not finite matches nothing", candidate("", {std::nan(""), 50, 800, huge}), 0},
    };
    for (const auto& [name, ax, score] : cases) EXPECT_EQ(matchScore(ax, frame, "Doc"), score) << name;

    const auto rounding = [](double axX, double cgX) {
        return matchScore(candidate("", {axX, 0, 1, 1}), {cgX, 0, 1, 1}, "");
    };
    EXPECT_EQ(rounding(10.4, 10.6), 2) << "10 against 11: only the size agrees";
    EXPECT_EQ(rounding(10.5, 10.6), 4) << "both round to 11";
    EXPECT_EQ(rounding(-10.5, -11.4), 4) << "halves round away from zero";
    EXPECT_EQ(rounding(-10.5, -10.4), 2);
    EXPECT_EQ(rounding(9.3e18, 9.3e18), 2) << "beyond 64 bits is not equal, not a crash";
    EXPECT_EQ(rounding(INFINITY, INFINITY), 2);
}

TEST(BestMatch, FirstHighestAtLeastThreeIsConsumed) {
    const Rect frame{0, 0, 500, 400};
    std::vector<AXCandidate> candidates = {
        // the application's order
        candidate("Other", {0, 0, 1, 1}),  // 2: origin alone is not enough
        candidate("Doc", {9, 9, 1, 1}),    // 3
        candidate("Doc", {9, 9, 1, 1}),    // 3, later: loses the tie
        candidate("Doc", frame),           // 7
    };
    const auto best = candidates[3].element;
    const auto tied = candidates[1].element;
    std::ranges::reverse(candidates);

    EXPECT_EQ(takeBestMatch(candidates, frame, "Doc"), best);
    EXPECT_EQ(candidates.size(), 3u);
    EXPECT_EQ(takeBestMatch(candidates, frame, "Doc"), tied) << "the first among equals";
    EXPECT_EQ(candidates.size(), 2u);
    EXPECT_EQ(takeBestMatch(candidates, frame, "Unrelated"), nullptr);
    EXPECT_EQ(candidates.size(), 2u) << "nothing is consumed without a match";

    std::vector<AXCandidate> none;
    EXPECT_EQ(takeBestMatch(none, frame, "Doc"), nullptr);
}

}  // namespace
}  // namespace zerlith::WindowList::detail
