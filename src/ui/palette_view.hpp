#pragma once

#include <functional>
#include <vector>

#include <QLineEdit>
#include <QString>
#include <QWidget>

#include "palette/palette_controller.hpp"
#include "ui/palette_look.hpp"
#include "ui/result_list.hpp"
#include "ui/row_content.hpp"

namespace zerlith::ui {

/// What the palette shows: the search field, the list, and a footer of key hints. Shows the
/// palette model and writes back only the typed text and clicks; the keys that switch are
/// handled before they reach the search field. Painted with QPainter: a few rows and a text
/// field need no scene graph. Main thread.
class PaletteView final : public QWidget {
public:
    /// `bringHereLabel` is the footer's hint for bringing a window to this screen, written as the
    /// platform's users know the key; `roundedByCompositor` draws rounded corners over a
    /// translucent window.
    PaletteView(PaletteController& controller, IconCache& icons, QString bringHereLabel, bool roundedByCompositor);
    ~PaletteView() override;

    bool roundedByCompositor() const { return rounded_; }
    QLineEdit& queryField() { return query_; }
    ResultList& resultList() { return list_; }
    /// The footer's hints, left to right: the screens beside and bringing here (where there is a
    /// screen beside), then opening.
    std::vector<KeyHint> footerHints() const;
    /// The footer's count of results; empty when there are none.
    QString resultCountText() const;
    /// Runs `painted` after each frame is drawn.
    void onPainted(std::function<void()> painted) { painted_ = std::move(painted); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void modelChanged(PaletteModel::Change change);
    void applyLook();
    void paintFooter(QPainter& painter, const QRectF& area);
    /// Draws one hint from `left`; returns its width.
    qreal paintHint(QPainter& painter, const KeyHint& hint, qreal left, qreal middle);

    PaletteController& controller_;
    const QString bringHereLabel_;
    const bool rounded_;
    PaletteLook look_;
    QLineEdit query_;
    ResultList list_;
    std::function<void()> painted_;
};

}  // namespace zerlith::ui
