// Text from outside (an update feed's versions, screen names, window titles, application names)
// is shown as it is, never read as markup: a hostile one cannot make a view fetch an image. Every
// text item of the views says how it reads its text, so a new one cannot fall back to guessing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <QEventLoop>
#include <QQuickItem>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include "support/desktop_builders.hpp"
#include "cache/snapshot_store.hpp"
#include "desktop/activation_log.hpp"
#include "offscreen_app.hpp"
#include "ranking/usage_store.hpp"
#include "support/sim_fixture.hpp"
#include "system/usage_context.hpp"
#include "ui/palette_popup.hpp"
#include "ui/settings_quick_window.hpp"
#include "ui/status_item.hpp"

namespace zerlith::testing {
namespace {

namespace fs = std::filesystem;

/// A local port that counts the connections made to it: where the hostile texts point.
class ConnectionCounter {
public:
    ConnectionCounter() {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (auto* socket = server_.nextPendingConnection()) {
                ++connections_;
                socket->close();
            }
        });
    }

    /// A version, a name or a title that rich text would show as an image from this port.
    std::string hostileText() const {
        return "99<img src=\"http://127.0.0.1:" + std::to_string(server_.serverPort()) + "/pixel.png\">";
    }

    /// The connections made, running the event loop until the first one or for `milliseconds`:
    /// a view asks for an image while it lays its text out, well within that time.
    int connectionsWithin(int milliseconds) {
        if (connections_ == 0) {
            QEventLoop loop;
            QObject::connect(&server_, &QTcpServer::newConnection, &loop, &QEventLoop::quit);
            QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return connections_;
    }

private:
    QTcpServer server_;
    int connections_ = 0;
};

/// The items of the tree under `item` that show text, visible or not.
void collectTexts(QQuickItem* item, std::vector<QQuickItem*>& texts) {
    if (item->inherits("QQuickText")) texts.push_back(item);
    for (auto* child : item->childItems()) collectTexts(child, texts);
}

/// Whether some text item under `root` shows exactly `text` as plain text.
bool showsAsPlainText(QQuickItem* root, const std::string& text) {
    std::vector<QQuickItem*> texts;
    collectTexts(root, texts);
    return std::any_of(texts.begin(), texts.end(), [&](QQuickItem* item) {
        return item->property("text").toString().contains(QString::fromStdString(text)) &&
               item->property("textFormat").toInt() == Qt::PlainText;
    });
}

/// A feed that announces one release at once.
class AnnouncingFeed final : public UpdateFeed {
public:
    explicit AnnouncingFeed(std::string version) : version_(std::move(version)) {}
    void fetch(const std::string&, std::function<void(Result)> done) override {
        done(std::vector<FeedRelease>{{version_, "https://example.org/zerlith"}});
    }

private:
    std::string version_;
};

TEST(OutsideTextTest, AFeedsVersionInTheSettingsWindowFetchesNothing) {
    offscreenApplication();
    ConnectionCounter counter;
    SimDesktopFixture sim(nlohmann::json::object());
    MemoryLoginItem loginItem;
    AnnouncingFeed feed(counter.hostileText());
    Updater updater{*sim.desktop().preferences(), sim.clock, sim.dispatch, feed, "0.1.0", "https://example.org/appcast.xml"};
    HotKeyManager hotKeys{*sim.desktop().hotKeys(), sim.dispatch};
    SettingsModel model{{*sim.desktop().preferences(), sim.dispatch, loginItem, updater, &hotKeys, nullptr,
                         sim.desktop().hotKeys()}};
    ui::SettingsQuickWindow window{model, updater, &hotKeys, sim.desktop().hotKeys()};
    updater.setListener([&](const Updater::Status&, bool) { window.bridge().updaterChanged(); });
    window.show();
    updater.checkForUpdates();
    QCoreApplication::processEvents();
    window.view().grabWindow();  // lays out and renders every item

    EXPECT_TRUE(showsAsPlainText(window.view().rootObject(), "Zerlith " + counter.hostileText() + " is available."));
    EXPECT_EQ(counter.connectionsWithin(1000), 0);
}

TEST(OutsideTextTest, TheTrayIconsTooltipIsPlainText) {
    offscreenApplication();
    ui::StatusItem item({[] {}, [] {}, [] {}, [] {}});
    item.setToolTip("Zerlith 9.9 <b>URGENT</b> <img src=\"file:///etc/hostname\"/> & more");
    EXPECT_EQ(item.toolTip().toStdString(),
              "Zerlith 9.9 &lt;b&gt;URGENT&lt;/b&gt; &lt;img src=&quot;file:///etc/hostname&quot;/&gt; &amp; more");
}

TEST(OutsideTextTest, AScreensAnAppsAndAWindowsNamesInThePaletteFetchNothing) {
    offscreenApplication();
    ConnectionCounter counter;
    const auto hostile = counter.hostileText();
    auto screens = builtInAndExternal();
    screens[0]["name"] = hostile;
    SimDesktopFixture sim({{"screens", screens}, {"pointer", {{"x", 100}, {"y", 100}}},
                           {"apps", {app(501, hostile, "com.example.hostile")}},
                           {"windows", {window(1, 501, hostile)}}});
    ActivationLog log;
    SnapshotStore snapshots;
    UsageStore usage{std::nullopt, sim.clock, sim.dispatch, UsageContext::currentKey};
    IconCache icons;
    ui::PalettePopup* view = nullptr;
    PaletteController controller{snapshots, usage, log, [&](PaletteController& palette) {
                                     auto made = std::make_unique<ui::PalettePopup>(
                                         palette, icons, sim.desktop().provider().bringHereKeys);
                                     view = made.get();
                                     return made;
                                 }};
    snapshots.refreshAllBlocking();
    controller.show();
    QCoreApplication::processEvents();
    view->view().grab();

    const auto shown = ui::rowContent(*controller.model().results().front(), "");
    EXPECT_EQ(shown.title, QString::fromStdString(hostile)) << "the title, as text";
    EXPECT_TRUE(shown.badges.contains(QString::fromStdString(hostile))) << "the screen's badge, as text";
    EXPECT_EQ(counter.connectionsWithin(1000), 0);
}

/// The text items of a QML file: each one's own lines, without those of the items it holds.
struct TextItem {
    std::string file;
    std::string objectName;
    std::string textFormat;  ///< empty when it has none
};

std::vector<TextItem> textItems(const fs::path& file) {
    std::stringstream content;
    content << std::ifstream(file).rdbuf();
    const std::string source = content.str();
    std::vector<TextItem> items;
    static const std::regex opening(R"((^|[^\w.])(Text|Label|TextEdit)\s*\{)");
    for (std::sregex_iterator it(source.begin(), source.end(), opening), end; it != end; ++it) {
        // The item's own text: what lies one level inside its braces.
        std::string own;
        int depth = 0;
        for (auto at = source.begin() + it->position() + it->length() - 1; at != source.end(); ++at) {
            depth += *at == '{' ? 1 : *at == '}' ? -1 : 0;
            if (depth == 0) break;
            if (depth == 1 && *at != '{') own += *at;
        }
        std::smatch name, format;
        std::regex_search(own, name, std::regex(R"(objectName\s*:\s*"([^"]*)\")"));
        std::regex_search(own, format, std::regex(R"(textFormat\s*:\s*Text\.(\w+))"));
        items.push_back({file.filename().string(), name.empty() ? "" : name[1].str(), format.empty() ? "" : format[1].str()});
    }
    return items;
}

TEST(OutsideTextTest, EveryTextItemOfTheViewsSaysHowItReadsItsText) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(ZERLITH_QML_DIR)) {
        if (entry.path().extension() != ".qml") continue;
        for (const auto& item : textItems(entry.path())) {
            ++count;
            const std::string where = item.file + " " + item.objectName;
            EXPECT_EQ(item.textFormat, "PlainText") << where << ": a Text without it guesses, and reads markup";
        }
    }
    EXPECT_GT(count, 15) << "the views' text items were not found";
}

}  // namespace
}  // namespace zerlith::testing
