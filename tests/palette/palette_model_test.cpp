#include <gtest/gtest.h>

#include <random>

#include "support/desktop_builders.hpp"
#include "palette/palette_model.hpp"

namespace zerlith::testing {
namespace {

Target scored(Target target, double score) {
    target.score = score;
    return target;
}

std::vector<std::string> idsOf(std::span<const Target* const> targets) {
    std::vector<std::string> ids;
    for (const auto* target : targets) ids.push_back(target->id);
    return ids;
}

const Target kReview = [] {
    Target tab = tabTarget(BrowserKind::chrome, 1, 1, "Fix the parser", "https://github.com/o/r/pull/1");
    tab.id = "review";
    tab.category = Classifier::Category::pullRequest;
    return tab;
}();
const Target kNotes = [] {
    Target window = windowTarget(10, "com.example.notes", "Notes");
    window.id = "notes";
    window.appName = "Notes";
    return window;
}();
const Target kNotesCopy = [] {
    Target window = kNotes;
    window.id = "notes copy";
    return window;
}();

TEST(PaletteModelTest, FiltersAndOrdersByMatchThenRelevance) {
    struct Case {
        const char* what;
        std::vector<Target> all;
        std::string query;
        std::vector<std::string> ids;
    };
    const Case cases[] = {
        {"nothing listed", {}, "n", {}},
        {"empty query: by score, ties in list order",
         {scored(kNotes, 1), scored(kReview, 5), scored(kNotesCopy, 1)}, "", {"review", "notes", "notes copy"}},
        {"no match", {kNotes, kReview}, "zzz", {}},
        {"a pull request's keyword matches", {kNotes, kReview}, "pr", {"review"}},
        {"equal keys keep list order", {kNotesCopy, kNotes}, "notes", {"notes copy", "notes"}},
        {"relevance breaks near ties", {scored(kNotesCopy, 0), scored(kNotes, 30)}, "notes", {"notes", "notes copy"}},
        {"the current window's penalty sinks it", {scored(kNotes, -1000), kReview}, "e", {"review", "notes"}},
    };
    for (const auto& c : cases) {
        PaletteModel model;
        model.setAll(c.all);
        model.setQuery(c.query);
        EXPECT_EQ(idsOf(model.results()), c.ids) << c.what;
        EXPECT_EQ(model.selection(), 0u) << c.what;
        EXPECT_EQ(model.selected() == nullptr, c.ids.empty()) << c.what;
    }
}

TEST(PaletteModelTest, SelectionWrapsAndFollowsItsTargetAcrossUpdates) {
    PaletteModel model;
    model.setAll({kNotes, kReview, kNotesCopy});
    model.setQuery("");
    model.moveSelection(-1);
    EXPECT_EQ(model.selection(), 2u);
    model.moveSelection(1);
    EXPECT_EQ(model.selection(), 0u);

    model.moveSelection(1);  // "review"
    model.update({kNotesCopy, kNotes, scored(kReview, -1)});
    EXPECT_EQ(model.selected()->id, "review") << "moved from the second row to the last";
    model.update({kNotes, kNotesCopy});
    EXPECT_EQ(model.selection(), 0u) << "gone: back to the first row";

    model.setQuery("zzz");
    model.moveSelection(1);
    EXPECT_EQ(model.selection(), 0u);
}

TEST(PaletteModelTest, TypingDeletingAndReplacingAgreeWithAFreshFilterAtEveryStep) {
    // Titles where a grown query matches fewer targets, and characters that combine with the one
    // before ("e" then U+0301 is one character "é", not an extension of "e").
    const std::vector<std::string> titles = {"Notes", "Nöte", "Ne\u0301on", "neon sign", "Éclair",
                                             "Inbox", "Index", "NOTICE", "Not a match", "né"};
    std::vector<Target> all;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        Target window = windowTarget(static_cast<Pid>(100 + i), "com.example.app", titles[i]);
        window.id = std::to_string(i);
        all.push_back(scored(window, static_cast<double>(i % 3)));
    }
    const std::vector<std::string> keys = {"n", "o", "e", "\u0301", "\u0308", "t", "i", "x", " ", "N"};
    // Replay a failure with --gtest_random_seed=SEED.
    const int seed = ::testing::UnitTest::GetInstance()->random_seed();
    std::mt19937 random(static_cast<unsigned>(seed));
    PaletteModel typed;
    typed.setAll(all);
    std::string query;
    for (int step = 0; step < 2000; ++step) {
        switch (std::uniform_int_distribution<int>(0, 5)(random)) {
            case 0: query.clear(); break;
            case 1: if (!query.empty()) query.pop_back(); break;  // may split a character: still a query
            case 2: query = keys[std::uniform_int_distribution<std::size_t>(0, keys.size() - 1)(random)]; break;
            default: query += keys[std::uniform_int_distribution<std::size_t>(0, keys.size() - 1)(random)]; break;
        }
        typed.setQuery(query);
        PaletteModel fresh;
        fresh.setAll(all);
        fresh.setQuery(query);
        ASSERT_EQ(idsOf(typed.results()), idsOf(fresh.results())) << "seed " << seed << ", step " << step;
    }
}

}  // namespace
}  // namespace zerlith::testing
