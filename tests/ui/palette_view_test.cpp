#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include <QKeyEvent>
#include <QQuickItem>

#include "support/desktop_builders.hpp"
#include "cache/snapshot_store.hpp"
#include "desktop/activation_log.hpp"
#include "offscreen_app.hpp"
#include "ranking/usage_store.hpp"
#include "support/sim_fixture.hpp"
#include "system/usage_context.hpp"
#include "ui/palette_quick_window.hpp"

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

json editorWindows() {
    json elsewhere = window(2, kEditor, "Draft on another desktop");
    elsewhere["onscreen"] = false;
    return {window(1, kEditor, std::string(300, 'T') + " end"), elsewhere, window(3, kEditor, "Spec")};
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
        window->view().grabWindow();  // lays out and renders every item
    }

    QQuickItem* item(const char* name) {
        auto* found = window->view().rootObject()->findChild<QQuickItem*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString text(const char* name) { return item(name)->property("text").toString(); }
    bool shown(const char* name) { return item(name)->isVisible(); }
    QString hintLabel(const char* name) { return item(name)->property("label").toString(); }

    /// The visible items named `part` in the rows on screen, top to bottom. Rows are the list's
    /// visual children, which QObject's own search does not reach.
    std::vector<QQuickItem*> visibleRows(const char* part) {
        const auto children = item("resultList")->property("contentItem").value<QQuickItem*>()->childItems();
        std::vector<QQuickItem*> rows(children.begin(), children.end());
        std::sort(rows.begin(), rows.end(), [](QQuickItem* a, QQuickItem* b) { return a->y() < b->y(); });
        std::vector<QQuickItem*> found;
        for (auto* row : rows) {
            if (row->isVisible()) collect(row, part, found);
        }
        return found;
    }

    static void collect(QQuickItem* item, const char* name, std::vector<QQuickItem*>& found) {
        if (!item->isVisible()) return;
        if (item->objectName() == name) found.push_back(item);
        for (auto* child : item->childItems()) collect(child, name, found);
    }

    ActivationLog log;
    SimDesktopFixture sim;
    SnapshotStore snapshots;
    UsageStore usage{std::nullopt, sim.clock, sim.dispatch, UsageContext::currentKey};
    IconCache icons;
    ui::PaletteQuickWindow* window = nullptr;
    PaletteController controller{snapshots, usage, log, [this](PaletteController& palette) {
                                     auto made = std::make_unique<ui::PaletteQuickWindow>(palette, icons);
                                     window = made.get();
                                     return made;
                                 }};
};

TEST_F(PaletteViewTest, ListsTheResultsWithCountBadgesAndOneSelectionBar) {
    EXPECT_FALSE(shown("emptyState"));
    EXPECT_EQ(text("resultCount"), "3");
    EXPECT_EQ(visibleRows("selectionBar").size(), 1u);
    controller.model().moveSelection(1);
    settle();
    EXPECT_EQ(visibleRows("selectionBar").size(), 1u);

    std::vector<QString> badges;
    for (auto* badge : visibleRows("badge")) badges.push_back(badge->property("text").toString());
    EXPECT_EQ(std::count(badges.begin(), badges.end(), "Built-in"), 3) << "every row names its screen";
    const auto elsewhere = std::find(badges.begin(), badges.end(), "other desktop");
    ASSERT_NE(elsewhere, badges.end());
    EXPECT_EQ(*std::prev(elsewhere), "Built-in") << "after the screen's badge of the same row";

    const auto titles = visibleRows("title");
    const auto longTitle = std::find_if(titles.begin(), titles.end(), [](QQuickItem* title) {
        return title->property("text").toString().endsWith(" end");
    });
    ASSERT_NE(longTitle, titles.end());
    EXPECT_EQ((*longTitle)->property("elide").toInt(), Qt::ElideRight);
    EXPECT_TRUE((*longTitle)->property("truncated").toBool()) << "the 300-character title is cut";
    EXPECT_EQ(visibleRows("subtitle").front()->property("elide").toInt(), Qt::ElideMiddle);
}

TEST_F(PaletteViewTest, KeysTypedBeforeQtMakesTheWindowActiveReachTheQuery) {
    // Until Qt makes a window active (on Wayland well after the compositor sends it the keys), no
    // item has the active focus, and Qt drops the keys that come.
    window->view().contentItem()->setFocus(false);
    ASSERT_EQ(window->view().activeFocusItem(), nullptr);
    for (const auto& [key, text] : {std::pair{Qt::Key_Q, "q"}, {Qt::Key_U, "u"}, {Qt::Key_Backspace, "\b"}, {Qt::Key_O, "o"}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(&window->view(), &press);
    }
    settle();
    EXPECT_EQ(text("queryField").toStdString(), "qo");
}

TEST_F(PaletteViewTest, SaysWhyTheListIsEmpty) {
    controller.model().setQuery("zzz");
    settle();
    EXPECT_TRUE(shown("emptyState"));
    EXPECT_EQ(text("emptyText"), "No matches");
    EXPECT_FALSE(shown("resultCount"));

    controller.model().setAll({});
    controller.model().setQuery("");
    settle();
    EXPECT_EQ(text("emptyText"), "Nothing open to switch to");
}

TEST_F(PaletteViewTest, TheFooterOfOneScreenOffersOnlyOpen) {
    EXPECT_TRUE(shown("openHint"));
    EXPECT_FALSE(shown("leftHint"));
    EXPECT_FALSE(shown("rightHint"));
    EXPECT_FALSE(shown("bringHereHint"));
}

class TwoScreenPaletteViewTest : public PaletteViewTest {
protected:
    TwoScreenPaletteViewTest() : PaletteViewTest(desktop(true, editorWindows())) {}
};

TEST_F(TwoScreenPaletteViewTest, TheFooterNamesTheScreenBesideAndBringingHere) {
    EXPECT_FALSE(shown("leftHint"));
    EXPECT_TRUE(shown("rightHint"));
    EXPECT_EQ(hintLabel("rightHint"), "External");
    EXPECT_TRUE(shown("bringHereHint"));
    EXPECT_EQ(hintLabel("bringHereHint"), "⌘↩ bring here");
}

}  // namespace
}  // namespace zerlith::testing
