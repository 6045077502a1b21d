#include "ui/result_list.hpp"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include "ui/row_content.hpp"
#include "ui/title_line.hpp"

namespace zerlith::ui {
namespace {

constexpr int kRowInset = 7;
constexpr int kPadding = 10;
constexpr int kIconSize = 28;
constexpr int kScrollMilliseconds = 80;
constexpr qreal kBadgeAlpha = 0.14;
constexpr qreal kSelectedAlpha = 0.16;
constexpr qreal kBadgeTextAlpha = 0.6;

}  // namespace

ResultList::ResultList(const PaletteModel& model, IconCache& icons, std::function<void(int)> clicked, QWidget* parent)
    : QWidget(parent), model_(model), icons_(icons), clicked_(std::move(clicked)) {
    scrollAnimation_.setDuration(kScrollMilliseconds);
    scrollAnimation_.setEasingCurve(QEasingCurve::OutQuad);
    connect(&scrollAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        scroll_ = value.toReal();
        update();
    });
}

void ResultList::setLook(const PaletteLook& look) {
    look_ = look;
    update();
}

void ResultList::resultsChanged() {
    scrollToSelection(false);
    update();
}

void ResultList::selectionChanged() {
    scrollToSelection(true);
    update();
}

void ResultList::scrollToSelection(bool animated) {
    const int row = static_cast<int>(model_.selection());
    const qreal middle = row < rowCount() ? rowRect(row).center().y() + scroll_ - height() / 2.0 : 0;
    scrollTo(middle, animated);
}

std::pair<int, int> ResultList::rowsInView() const {
    if (rowCount() == 0) return {0, -1};
    const qreal top = scrollAnimation_.state() == QAbstractAnimation::Running ? scrollAnimation_.endValue().toReal() : scroll_;
    const qreal pitch = kRowHeight + kRowSpacing;
    const int first = std::max(0, static_cast<int>(std::floor((top - kMargin) / pitch)));
    const int last = std::min(rowCount() - 1, static_cast<int>(std::ceil((top + height() - kMargin) / pitch)) - 1);
    return {first, last};
}

qreal ResultList::contentHeight() const {
    return rowCount() == 0 ? 0 : 2 * kMargin + rowCount() * (kRowHeight + kRowSpacing) - kRowSpacing;
}

qreal ResultList::clampedScroll(qreal scroll) const {
    return std::clamp(scroll, 0.0, std::max(0.0, contentHeight() - height()));
}

void ResultList::scrollTo(qreal scroll, bool animated) {
    scrollAnimation_.stop();
    scroll = clampedScroll(scroll);
    if (!animated || !isVisible()) {
        scroll_ = scroll;
        return;
    }
    scrollAnimation_.setStartValue(scroll_);
    scrollAnimation_.setEndValue(scroll);
    scrollAnimation_.start();
}

QRectF ResultList::rowRect(int row) const {
    return {static_cast<qreal>(kRowInset), kMargin + row * (kRowHeight + kRowSpacing) - scroll_,
            static_cast<qreal>(width() - 2 * kRowInset), static_cast<qreal>(kRowHeight)};
}

void ResultList::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (rowCount() == 0) return paintEmptyState(painter);
    const qreal pitch = kRowHeight + kRowSpacing;
    const int first = std::max(0, static_cast<int>((scroll_ - kMargin) / pitch));
    for (int row = first; row < rowCount(); ++row) {
        const QRectF rect = rowRect(row);
        if (rect.top() >= height()) break;
        paintRow(painter, row, rect);
    }
    paintScrollIndicator(painter);
}

void ResultList::paintRow(QPainter& painter, int row, const QRectF& rect) {
    const Target& target = *model_.results()[static_cast<std::size_t>(row)];
    const bool selected = static_cast<std::size_t>(row) == model_.selection();
    painter.setPen(Qt::NoPen);
    if (selected) {
        painter.setBrush(withAlpha(look_.accent, kSelectedAlpha));
        painter.drawRoundedRect(rect, 7, 7);
        painter.setBrush(look_.accent);
        painter.drawRoundedRect(QRectF(rect.left() + 2, rect.center().y() - 11.5, 3, 23), 1.5, 1.5);
    }

    const QRectF iconRect(rect.left() + kPadding, rect.center().y() - kIconSize / 2.0, kIconSize, kIconSize);
    if (const QImage& icon = icons_.icon(target); !icon.isNull()) {
        painter.drawImage(iconRect, icon);
    } else {
        painter.setBrush(look_.quaternary);
        painter.drawRoundedRect(iconRect, 5, 5);
    }

    const RowContent content = rowContent(target, model_.query());
    const qreal textLeft = iconRect.right() + kPadding;
    const QRectF badgeArea(textLeft, rect.top(), rect.right() - kPadding - textLeft, rect.height());
    const qreal badgesWidth = paintBadges(painter, content.badges, badgeArea);
    const qreal textWidth = std::max(0.0, badgeArea.width() - badgesWidth - (badgesWidth > 0 ? 18 : 0));

    const QFont titleFont = fontOf(PaletteLook::rowTitleSize, QFont::Medium);
    const QFont subtitleFont = fontOf(PaletteLook::rowSubtitleSize);
    const QFontMetricsF titleMetrics(titleFont);
    const QFontMetricsF subtitleMetrics(subtitleFont);
    const qreal top = rect.center().y() - (titleMetrics.height() + 1 + subtitleMetrics.height()) / 2;
    painter.setPen(look_.text);
    TitleLine(content.title, content.matched, titleFont, textWidth).draw(painter, {textLeft, top});
    painter.setFont(subtitleFont);
    painter.setPen(selected ? look_.secondary : look_.tertiary);
    painter.drawText(QPointF(textLeft, top + titleMetrics.height() + 1 + subtitleMetrics.ascent()),
                     subtitleMetrics.elidedText(content.subtitle, Qt::ElideMiddle, textWidth));
}

qreal ResultList::paintBadges(QPainter& painter, const QStringList& badges, const QRectF& rect) {
    const QFont font = fontOf(PaletteLook::badgeSize, QFont::DemiBold);
    const QFontMetricsF metrics(font);
    const QColor tint = withAlpha(look_.text, kBadgeTextAlpha);
    painter.setFont(font);
    qreal right = rect.right();
    for (auto badge = badges.crbegin(); badge != badges.crend(); ++badge) {
        const QSizeF size(metrics.horizontalAdvance(*badge) + 12, metrics.height() + 5);
        const QRectF capsule(right - size.width(), rect.center().y() - size.height() / 2, size.width(), size.height());
        painter.setPen(Qt::NoPen);
        painter.setBrush(withAlpha(tint, kBadgeAlpha));
        painter.drawRoundedRect(capsule, size.height() / 2, size.height() / 2);
        painter.setPen(tint);
        painter.drawText(capsule, Qt::AlignCenter, *badge);
        right = capsule.left() - 6;
    }
    return badges.isEmpty() ? 0 : rect.right() - right - 6;
}

void ResultList::paintEmptyState(QPainter& painter) {
    const bool nothingOpen = model_.query().empty();
    const QFont font = fontOf(PaletteLook::bodySize);
    const QFontMetricsF metrics(font);
    constexpr int kSymbolSize = 22;
    const qreal top = (height() - (kSymbolSize + 5 + metrics.height())) / 2;
    const QRectF symbolRect((width() - kSymbolSize) / 2.0, top, kSymbolSize, kSymbolSize);
    painter.drawImage(symbolRect, symbolImage(nothingOpen ? "squares-dashed" : "magnifyingglass", look_.quaternary,
                                              2 * kSymbolSize));
    painter.setFont(font);
    painter.setPen(look_.secondary);
    painter.drawText(QRectF(0, symbolRect.bottom() + 5, width(), metrics.height()), Qt::AlignHCenter,
                     emptyListText(model_.query()));
}

void ResultList::paintScrollIndicator(QPainter& painter) {
    const qreal content = contentHeight();
    if (content <= height()) return;
    const qreal ratio = height() / content;
    painter.setPen(Qt::NoPen);
    painter.setBrush(look_.tertiary);
    painter.drawRoundedRect(QRectF(width() - 6, scroll_ * ratio, 4, height() * ratio), 2, 2);
}

int ResultList::rowAt(const QPointF& point) const {
    const qreal pitch = kRowHeight + kRowSpacing;
    const qreal y = point.y() + scroll_ - kMargin;
    const int row = static_cast<int>(std::floor(y / pitch));
    return y >= 0 && std::fmod(y, pitch) < kRowHeight && row < rowCount() ? row : -1;
}

void ResultList::mousePressEvent(QMouseEvent* event) {
    pressedRow_ = event->button() == Qt::LeftButton ? rowAt(event->position()) : -1;
}

void ResultList::mouseReleaseEvent(QMouseEvent* event) {
    const int pressed = std::exchange(pressedRow_, -1);
    if (event->button() == Qt::LeftButton && pressed >= 0 && rowAt(event->position()) == pressed) clicked_(pressed);
}

void ResultList::wheelEvent(QWheelEvent* event) {
    scrollTo(scroll_ - event->angleDelta().y() / 2.0, false);
    update();
}

}  // namespace zerlith::ui
