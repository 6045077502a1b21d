#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zerlith::testing
