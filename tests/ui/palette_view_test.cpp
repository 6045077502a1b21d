#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>

#include "support/desktop_builders.hpp"
#include "cache/snapshot_store.hpp"
#include "desktop/activation_log.hpp"
#include "offscreen_app.hpp"
#include "ranking/usage_store.hpp"
#include "support/sim_fixture.hpp"
#include "system/usage_context.hpp"
#include "ui/palette_popup.hpp"
#include "ui/title_line.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;

constexpr Pid kEditor = 501;

json desktop(bool twoScreens, json windows) {
    json screens = builtInAndExternal();
    if (!twoScreens) screens.erase(1);
    return {{"screens", screens}, {"pointer", {{"x", 100}, {"y", 100}}},
            {"apps", {app(kEditor, "Editor", "com.example.editor")}}, {"windows", std::move(windows)}};
}

json editorWindows(int count = 0) {
    json elsewhere = window(2, kEditor, "Draft on another desktop");
    elsewhere["onscreen"] = false;
    json windows = {window(1, kEditor, "Notes"), elsewhere, window(3, kEditor, "Spec")};
    for (int i = 0; i < count; ++i) windows.push_back(window(10 + i, kEditor, "Window " + std::to_string(i)));
    return windows;
}

/// The palette's window over a simulated desktop, opened, as a person would see it.
class PaletteViewTest : public ::testing::Test {
protected:
    explicit PaletteViewTest(json spec = desktop(false, editorWindows())) : sim(spec) {
        offscreenApplication();
        snapshots.refreshAllBlocking();
        controller.show();
        settle();
    }

    void settle() {
        QCoreApplication::processEvents();
        window->view().grab();  // lays out and paints every part
    }
    ui::PaletteView& view() { return window->view(); }

    ActivationLog log;
    SimDesktopFixture sim;
    SnapshotStore snapshots;
    UsageStore usage{std::nullopt, sim.clock, sim.dispatch, UsageContext::currentKey};
    IconCache icons;
    ui::PalettePopup* window = nullptr;
    PaletteController controller{snapshots, usage, log, [this](PaletteController& palette) {
                                     auto made = std::make_unique<ui::PalettePopup>(
                                         palette, icons, sim.desktop().provider().bringHereKeys);
                                     window = made.get();
                                     return made;
                                 }};
};


TEST_F(PaletteViewTest, CountsTheResultsOrSaysWhyThereAreNone) {
    EXPECT_EQ(view().resultCountText(), "3");
    controller.model().setQuery("zzz");
    settle();
    EXPECT_EQ(view().resultCountText(), "");
    EXPECT_EQ(ui::emptyListText(controller.model().query()), "No matches");
    EXPECT_EQ(ui::emptyListText(""), "Nothing open to switch to");
}

TEST_F(PaletteViewTest, KeysTypedBeforeTheSearchFieldHasTheKeyboardReachTheQuery) {
    // Until Qt makes a window active (on Wayland well after the compositor sends it the keys), no
    // field has the keyboard, and Qt drops the keys that come.
    view().queryField().clearFocus();
    for (const auto& [key, text] : {std::pair{Qt::Key_Q, "q"}, {Qt::Key_U, "u"}, {Qt::Key_Backspace, "\b"}, {Qt::Key_O, "o"}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(view().windowHandle(), &press);
    }
    settle();
    EXPECT_EQ(view().queryField().text().toStdString(), "qo");
    EXPECT_EQ(controller.model().query(), "qo");
}

TEST_F(PaletteViewTest, TheFooterOfOneScreenOffersOnlyOpen) {
    EXPECT_EQ(view().footerHints(), (std::vector<ui::KeyHint>{{"return", "open"}}));
}

TEST_F(PaletteViewTest, APressAndReleaseOnOneRowSwitchesToIt) {
    auto& list = view().resultList();
    auto button = [&list](QEvent::Type type, int row) {
        const QPointF point(100, ui::ResultList::kMargin + (ui::ResultList::kRowHeight + ui::ResultList::kRowSpacing) * row +
                                     ui::ResultList::kRowHeight / 2.0);
        QMouseEvent event(type, point, list.mapToGlobal(point), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&list, &event);
    };
    button(QEvent::MouseButtonPress, 0);
    button(QEvent::MouseButtonRelease, 1);
    EXPECT_TRUE(controller.isVisible()) << "pressed on one row, released on another";
    button(QEvent::MouseButtonRelease, 1);
    EXPECT_TRUE(controller.isVisible()) << "a release alone, its press elsewhere";
    button(QEvent::MouseButtonPress, 1);
    button(QEvent::MouseButtonRelease, 1);
    EXPECT_FALSE(controller.isVisible());
}

class TwoScreenPaletteViewTest : public PaletteViewTest {
protected:
    TwoScreenPaletteViewTest() : PaletteViewTest(desktop(true, editorWindows())) {}
};

TEST_F(TwoScreenPaletteViewTest, TheFooterNamesTheScreenBesideAndBringingHere) {
    EXPECT_EQ(view().footerHints(), (std::vector<ui::KeyHint>{{"arrow-right", "External"},
                                                             {"arrow-down-left", "⌘↩ bring here"},
                                                             {"return", "open"}}));
}

class LongPaletteViewTest : public PaletteViewTest {
protected:
    LongPaletteViewTest() : PaletteViewTest(desktop(false, editorWindows(60))) {}
};

TEST_F(LongPaletteViewTest, TheSelectedRowStaysInView) {
    auto inView = [this](int row) {
        const auto [first, last] = view().resultList().rowsInView();
        return first <= row && row <= last;
    };
    EXPECT_TRUE(inView(0));
    EXPECT_FALSE(inView(40));
    for (int step = 0; step < 40; ++step) controller.model().moveSelection(1);
    settle();
    EXPECT_TRUE(inView(40));
    EXPECT_FALSE(inView(0));
    controller.model().moveSelection(-41);  // wraps round to the last row
    settle();
    EXPECT_TRUE(inView(static_cast<int>(controller.model().results().size()) - 1));
}

/// What a row says, for a title and a query.
struct RowCase {
    const char* name;
    std::string title;
    std::string query;
    QString shownTitle;
    std::vector<std::pair<int, int>> bold;  ///< UTF-16 start and length of each bold run
};

TEST(RowContentTest, ShowsTheTitleAsTypedAndBoldsWhatTheQueryMatches) {
    const std::vector<RowCase> cases = {
        {"adjacent matches join", "Release notes", "rel", "Release notes", {{0, 3}}},
        {"apart matches stay apart", "Release notes", "rn", "Release notes", {{0, 1}, {8, 1}}},
        {"markup is text", "<b>bold</b> &amp; <img src=x>", "img", "<b>bold</b> &amp; <img src=x>", {{19, 3}}},
        {"a cluster is bolded whole", "Cafe\xCC\x81 menu", "cafe\xCC\x81", "Cafe\u0301 menu", {{0, 5}}},
        {"a match in the subtitle bolds nothing", "Notes", "draft", "Notes", {}},
        {"no query bolds nothing", "Notes", "", "Notes", {}},
    };
    for (const auto& test : cases) {
        Target target = windowTarget(kEditor, "com.example.editor", test.title);
        target.subtitle = "Editor — draft";
        const auto content = ui::rowContent(target, test.query);
        EXPECT_EQ(content.title, test.shownTitle) << test.name;
        std::vector<std::pair<int, int>> bold;
        for (const auto& range : content.matched) bold.emplace_back(range.start, range.length);
        EXPECT_EQ(bold, test.bold) << test.name;
    }
}

TEST(TitleLineTest, FitsTheTitleAsDrawnAndCutsOnlyWhatDoesNotFit) {
    offscreenApplication();
    QFont font;
    font.setPixelSize(14);
    QFont boldFont = font;
    boldFont.setWeight(QFont::Bold);
    QTextCharFormat boldFormat;
    boldFormat.setFontWeight(QFont::Bold);
    const QString ellipsis(QChar(0x2026));
    struct Case {
        const char* name;
        QString title;
        std::vector<std::pair<int, int>> bold;
        /// Width as a share of the title's width all regular.
        double share;
    };
    const QString pullRequest = "Fix focus race in window-menu raise by ekund · Pull Request #482 · halvorn/zerlith";
    const QString accents = QString("Cafe\u0301 ").repeated(20);
    const std::vector<Case> cases = {
        {"fits", "Notes", {{0, 2}}, 2.0},
        {"fits with its few bold letters, though not all bold", pullRequest, {{0, 3}, {10, 4}}, 1.02},
        {"cut, the bold run across the cut clipped", pullRequest, {{0, 3}, {40, 30}}, 0.6},
        {"cut, nothing bold", pullRequest, {}, 0.5},
        {"a cut keeps whole characters", accents, {{0, 5}}, 0.37},
        {"right to left", QString("\u05E9\u05DC\u05D5\u05DD ").repeated(20), {{0, 4}}, 0.5},
        {"no room at all", pullRequest, {{0, 3}}, 0.0},
    };
    for (const auto& test : cases) {
        QList<QTextLayout::FormatRange> bold;
        for (auto [start, length] : test.bold) bold.append({start, length, boldFormat});
        const qreal width = QFontMetricsF(font).horizontalAdvance(test.title) * test.share;
        const ui::TitleLine line(test.title, bold, font, width);
        if (test.share >= 1) {
            EXPECT_EQ(line.text().toStdString(), test.title.toStdString()) << test.name;
            EXPECT_EQ(line.bold().size(), bold.size()) << test.name;
            continue;
        }
        ASSERT_TRUE(line.text().endsWith(ellipsis)) << test.name;
        EXPECT_LE(line.width(), std::max(width, QFontMetricsF(boldFont).horizontalAdvance(ellipsis))) << test.name;
        const int kept = static_cast<int>(line.text().size()) - 1;
        EXPECT_TRUE(test.title.startsWith(line.text().left(kept))) << test.name;
        EXPECT_FALSE(kept < test.title.size() && test.title[kept].isMark()) << test.name << ": a character split";
        for (const auto& range : line.bold()) EXPECT_LE(range.start + range.length, kept) << test.name;
        if (test.share > 0 && !test.title.isRightToLeft()) {
            // Measured all bold, as the title once was, the cut comes earlier.
            const int allBold = static_cast<int>(QFontMetricsF(boldFont).elidedText(test.title, Qt::ElideRight, width).size()) - 1;
            EXPECT_GE(kept, allBold) << test.name;
        }
    }
}

TEST(RowContentTest, BadgesNameTheScreenThenAnotherDesktop) {
    Target target = windowTarget(kEditor, "com.example.editor", "Notes");
    EXPECT_TRUE(ui::rowContent(target, "").badges.isEmpty());
    target.screenName = "";
    EXPECT_TRUE(ui::rowContent(target, "").badges.isEmpty()) << "an unnamed screen";
    target.screenName = "External";
    auto window = std::make_shared<WindowRef>(*target.window);
    window->isOnCurrentSpace = false;
    target.window = window;
    EXPECT_EQ(ui::rowContent(target, "").badges, (QStringList{"External", "other desktop"}));
}

}  // namespace
}  // namespace zerlith::testing
