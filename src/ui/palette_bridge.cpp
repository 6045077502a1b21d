#include "ui/palette_bridge.hpp"

#include <QEvent>
#include <QGuiApplication>
#include <QPalette>

namespace zerlith::ui {
namespace {

QString fromOptional(const std::optional<std::string>& text) { return QString::fromStdString(text.value_or("")); }

}  // namespace

PaletteBridge::PaletteBridge(PaletteController& controller, IconCache& icons, QString bringHereLabel,
                             QObject* parent)
    : QObject(parent),
      controller_(controller),
      results_(controller.model(), icons),
      bringHereLabel_(std::move(bringHereLabel)) {
    controller_.model().setObserver([this](PaletteModel::Change change) { modelChanged(change); });
    // A new desktop theme reaches the application object as a palette change.
    qApp->installEventFilter(this);
}

QString PaletteBridge::query() const { return QString::fromStdString(controller_.model().query()); }

void PaletteBridge::setQuery(const QString& query) { controller_.model().setQuery(query.toStdString()); }

int PaletteBridge::selection() const { return static_cast<int>(controller_.model().selection()); }

int PaletteBridge::resultCount() const { return static_cast<int>(controller_.model().results().size()); }

QString PaletteBridge::leftNeighbor() const { return fromOptional(controller_.model().neighbors().left); }

QString PaletteBridge::rightNeighbor() const { return fromOptional(controller_.model().neighbors().right); }

bool PaletteBridge::dark() const {
    const auto palette = QGuiApplication::palette();
    return palette.color(QPalette::WindowText).lightness() > palette.color(QPalette::Window).lightness();
}

void PaletteBridge::activate(int row) {
    const auto results = controller_.model().results();
    if (row < 0 || static_cast<std::size_t>(row) >= results.size()) return;
    controller_.activateClicked(*results[static_cast<std::size_t>(row)]);
}

bool PaletteBridge::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) emit darkChanged();
    return false;
}

void PaletteBridge::modelChanged(PaletteModel::Change change) {
    switch (change) {
        case PaletteModel::Change::query:
            emit queryChanged();
            break;
        case PaletteModel::Change::results:
            results_.resultsChanged();
            emit resultCountChanged();
            break;
        case PaletteModel::Change::selection:
            emit selectionChanged();
            break;
        case PaletteModel::Change::neighbors:
            emit neighborsChanged();
            break;
    }
}

}  // namespace zerlith::ui
