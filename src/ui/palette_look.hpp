#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QString>

namespace zerlith::ui {

/// The palette's colours and type sizes, from the desktop's colours: text at falling strengths
/// over the window colour, and one accent.
struct PaletteLook {
    QColor accent;
    QColor background;
    QColor text;
    QColor secondary;
    QColor tertiary;
    QColor quaternary;

    static constexpr int querySize = 21;
    static constexpr int rowTitleSize = 14;
    static constexpr int rowSubtitleSize = 11;
    static constexpr int badgeSize = 10;
    static constexpr int footerSize = 11;
    static constexpr int bodySize = 13;

    static PaletteLook of(const QPalette& palette);
    /// Whether the colours are dark: light text on a dark window.
    static bool isDark(const QPalette& palette);
};

/// `color` at an opacity from 0 to 1.
QColor withAlpha(QColor color, qreal alpha);

/// The default font at a pixel size and weight.
QFont fontOf(int pixelSize, QFont::Weight weight = QFont::Normal);

/// One of the palette's monochrome symbols ("magnifyingglass", "return", …) drawn in `tint`,
/// `pixels` square; transparent when there is no such symbol. Main thread.
QImage symbolImage(const QString& name, const QColor& tint, int pixels);

}  // namespace zerlith::ui
