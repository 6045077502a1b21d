#include "ui/palette_view.hpp"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

namespace zerlith::ui {
namespace {

constexpr int kBorder = 1;
constexpr int kCornerRadius = 14;
constexpr int kSearchHeight = 58;
constexpr int kFooterHeight = 28;
constexpr int kSideMargin = 16;
constexpr int kSearchSymbolSize = 15;
constexpr int kHintSpacing = 12;
/// A screen's name may be long: the hints must leave room for the others.
constexpr int kMostHintLabelWidth = 180;

}  // namespace

PaletteView::PaletteView(PaletteController& controller, IconCache& icons, QString bringHereLabel,
                         bool roundedByCompositor)
    : controller_(controller),
      bringHereLabel_(std::move(bringHereLabel)),
      rounded_(roundedByCompositor),
      query_(this),
      list_(controller.model(), icons, [this](int row) {
          const auto results = controller_.model().results();
          if (row < static_cast<int>(results.size())) controller_.activateClicked(*results[static_cast<std::size_t>(row)]);
      }, this) {
    const int width = static_cast<int>(PaletteController::kWidth);
    const int height = static_cast<int>(PaletteController::kHeight);
    resize(width, height);

    query_.setFrame(false);
    query_.setFont(fontOf(PaletteLook::querySize));
    query_.setPlaceholderText("Switch to…");
    query_.setContextMenuPolicy(Qt::NoContextMenu);  // a menu would take the focus, closing the palette
    const int queryLeft = kBorder + kSideMargin + kSearchSymbolSize + 11;
    const int queryHeight = query_.sizeHint().height();
    query_.setGeometry(queryLeft, kBorder + (kSearchHeight - queryHeight) / 2, width - kBorder - kSideMargin - queryLeft,
                       queryHeight);
    query_.setFocus();
    connect(&query_, &QLineEdit::textEdited, this,
            [this](const QString& text) { controller_.model().setQuery(text.toStdString()); });

    const int listTop = kBorder + kSearchHeight + 1;
    list_.setGeometry(kBorder, listTop, width - 2 * kBorder, height - kBorder - kFooterHeight - 1 - listTop);

    applyLook();
    controller_.model().setObserver([this](PaletteModel::Change change) { modelChanged(change); });
}

PaletteView::~PaletteView() { controller_.model().setObserver({}); }

std::vector<KeyHint> PaletteView::footerHints() const {
    auto hints = neighborHints(controller_.model().neighbors(), bringHereLabel_);
    hints.push_back({"return", "open"});
    return hints;
}

QString PaletteView::resultCountText() const {
    const auto count = controller_.model().results().size();
    return count == 0 ? QString() : QString::number(count);
}

void PaletteView::modelChanged(PaletteModel::Change change) {
    switch (change) {
        case PaletteModel::Change::query:
            if (const auto text = QString::fromStdString(controller_.model().query()); query_.text() != text) {
                query_.setText(text);
            }
            break;
        case PaletteModel::Change::results:
            list_.resultsChanged();
            update();
            break;
        case PaletteModel::Change::selection:
            list_.selectionChanged();
            break;
        case PaletteModel::Change::neighbors:
            update();
            break;
    }
}

void PaletteView::changeEvent(QEvent* event) {
    // A new desktop theme reaches the window as a palette change.
    if (event->type() == QEvent::PaletteChange) applyLook();
    QWidget::changeEvent(event);
}

void PaletteView::applyLook() {
    look_ = PaletteLook::of(palette());
    QPalette field = query_.palette();
    field.setColor(QPalette::Base, Qt::transparent);
    field.setColor(QPalette::Text, look_.text);
    field.setColor(QPalette::PlaceholderText, look_.tertiary);
    field.setColor(QPalette::Highlight, look_.accent);
    query_.setPalette(field);
    list_.setLook(look_);
    update();
}

void PaletteView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QColor::fromRgbF(1, 1, 1, 0.12f));
    painter.setBrush(look_.background);
    if (rounded_) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);  // the corners stay see-through
        painter.fillRect(rect(), Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawRoundedRect(frame, kCornerRadius, kCornerRadius);
    } else {
        painter.drawRect(frame);
    }

    const int symbolTop = kBorder + (kSearchHeight - kSearchSymbolSize) / 2;
    painter.drawImage(QRectF(kBorder + kSideMargin, symbolTop, kSearchSymbolSize, kSearchSymbolSize),
                      symbolImage("magnifyingglass", look_.tertiary, 2 * kSearchSymbolSize));

    const QColor rule = withAlpha(look_.quaternary, look_.quaternary.alphaF() * 0.5);
    painter.fillRect(QRectF(kBorder, list_.geometry().top() - 1, width() - 2 * kBorder, 1), rule);
    painter.fillRect(QRectF(kBorder, list_.geometry().bottom() + 1, width() - 2 * kBorder, 1), rule);
    paintFooter(painter, QRectF(kBorder, height() - kBorder - kFooterHeight, width() - 2 * kBorder, kFooterHeight));
    if (painted_) painted_();
}

void PaletteView::paintFooter(QPainter& painter, const QRectF& area) {
    const qreal middle = area.center().y();
    const auto hints = footerHints();
    qreal left = area.left() + kSideMargin;
    for (std::size_t i = 0; i + 1 < hints.size(); ++i) left += paintHint(painter, hints[i], left, middle) + kHintSpacing;

    // Right-aligned: opening, then the count.
    const QFont font = fontOf(PaletteLook::footerSize);
    const QString count = resultCountText();
    qreal right = area.right() - kSideMargin;
    if (!count.isEmpty()) {
        right -= QFontMetricsF(font).horizontalAdvance(count);
        painter.setFont(font);
        painter.setPen(look_.tertiary);
        painter.drawText(QRectF(right, area.top(), area.right() - right, area.height()), Qt::AlignVCenter, count);
        right -= kHintSpacing;
    }
    const KeyHint& open = hints.back();
    const qreal openWidth = 15 + 4 + QFontMetricsF(font).horizontalAdvance(open.label);  // short: never cut
    paintHint(painter, open, right - openWidth, middle);
}

qreal PaletteView::paintHint(QPainter& painter, const KeyHint& hint, qreal left, qreal middle) {
    const QRectF key(left, middle - 6.5, 15, 13);
    painter.setPen(Qt::NoPen);
    painter.setBrush(withAlpha(look_.quaternary, look_.quaternary.alphaF() * 0.55));
    painter.drawRoundedRect(key, 3.5, 3.5);
    painter.drawImage(QRectF(key.center().x() - 4, key.center().y() - 4, 8, 8), symbolImage(hint.symbol, look_.text, 16));

    const QFont font = fontOf(PaletteLook::footerSize);
    const QFontMetricsF metrics(font);
    const QString label = metrics.elidedText(hint.label, Qt::ElideRight, kMostHintLabelWidth);
    const qreal labelWidth = metrics.horizontalAdvance(label);
    painter.setFont(font);
    painter.setPen(look_.text);
    painter.drawText(QRectF(key.right() + 4, middle - 10, labelWidth + 1, 20), Qt::AlignVCenter, label);
    return key.width() + 4 + labelWidth;
}

}  // namespace zerlith::ui
