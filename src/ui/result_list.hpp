#pragma once

#include <functional>
#include <utility>

#include <QVariantAnimation>
#include <QWidget>

#include "palette/palette_model.hpp"
#include "ui/palette_look.hpp"
#include "ui/row_icons.hpp"

namespace zerlith::ui {

/// The palette's list: the matching windows and tabs, the selected one highlighted and kept in
/// the middle, or why there are none. Draws only the rows in view, from the model as it is, so a
/// keystroke over thousands of targets builds nothing per row. Main thread.
class ResultList final : public QWidget {
public:
    static constexpr int kRowHeight = 46;
    static constexpr int kRowSpacing = 1;
    static constexpr int kMargin = 6;

    /// `clicked` gets the row clicked.
    ResultList(const PaletteModel& model, IconCache& icons, std::function<void(int)> clicked, QWidget* parent);

    void setLook(const PaletteLook& look);
    /// The model's results changed: draw them with the selection in view.
    void resultsChanged();
    /// The selection moved: scroll it to the middle, briefly.
    void selectionChanged();
    /// The first and last row in view once any scroll has settled; (0, -1) without rows.
    std::pair<int, int> rowsInView() const;
    /// The palette closed: icons are read afresh at the next opening.
    void forgetIcons() { icons_.forget(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int rowCount() const { return static_cast<int>(model_.results().size()); }
    /// The row at a point of the widget; -1 between rows and past the last.
    int rowAt(const QPointF& point) const;
    qreal contentHeight() const;
    qreal clampedScroll(qreal scroll) const;
    void scrollTo(qreal scroll, bool animated);
    void scrollToSelection(bool animated);
    QRectF rowRect(int row) const;
    void paintRow(QPainter& painter, int row, const QRectF& rect);
    /// Draws the badges right-aligned in `rect`; returns their width.
    qreal paintBadges(QPainter& painter, const QStringList& badges, const QRectF& rect);
    void paintEmptyState(QPainter& painter);
    void paintScrollIndicator(QPainter& painter);

    const PaletteModel& model_;
    RowIcons icons_;
    std::function<void(int)> clicked_;
    PaletteLook look_;
    qreal scroll_ = 0;
    /// The row the button went down on: a click is a press and release on the same row.
    int pressedRow_ = -1;
    QVariantAnimation scrollAnimation_;
};

}  // namespace zerlith::ui
