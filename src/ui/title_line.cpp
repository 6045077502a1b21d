#include "ui/title_line.hpp"

#include <algorithm>

#include <QFontMetricsF>
#include <QTextOption>

namespace zerlith::ui {
namespace {

const QString kEllipsis(QChar(0x2026));

/// The ranges of `ranges` that fall within the first `length` characters.
QList<QTextLayout::FormatRange> clipped(QList<QTextLayout::FormatRange> ranges, int length) {
    QList<QTextLayout::FormatRange> kept;
    for (auto& range : ranges) {
        if (range.start >= length) break;
        range.length = std::min(range.length, length - range.start);
        kept.append(range);
    }
    return kept;
}

/// Whether some of the text runs right to left, where a character's x on the line is no longer
/// the width of the text before it.
bool hasRightToLeftText(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(), [](QChar character) {
        switch (character.direction()) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirRLI:
            return true;
        default:
            return false;
        }
    });
}

}  // namespace

TitleLine::TitleLine(const QString& title, const QList<QTextLayout::FormatRange>& bold, const QFont& font, qreal width)
    : layout_(title, font) {
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout_.setTextOption(option);
    layout_.setFormats(bold);
    layOut(width);
    if (this->width() <= width) return;
    const int cut = cutFor(width);
    layout_.setText(title.left(cut) + kEllipsis);
    layout_.setFormats(clipped(bold, cut));
    layOut(width);
}

void TitleLine::layOut(qreal width) {
    layout_.beginLayout();
    layout_.createLine().setLineWidth(width);
    layout_.endLayout();
}

int TitleLine::cutFor(qreal width) const {
    QFont bold = layout_.font();
    bold.setWeight(QFont::Bold);
    const QFontMetricsF boldMetrics(bold);
    const QString& title = layout_.text();
    if (hasRightToLeftText(title)) {
        // Measured all bold it never overflows, though it may cut a little early.
        const QString shown = boldMetrics.elidedText(title, Qt::ElideRight, width);
        return std::clamp(static_cast<int>(shown.size()) - 1, 0, static_cast<int>(title.size()));
    }
    // Room for the ellipsis even where it follows a bold letter.
    const qreal room = width - boldMetrics.horizontalAdvance(kEllipsis);
    const QTextLine line = layout_.lineAt(0);
    int cut = std::max(0, line.xToCursor(room, QTextLine::CursorBetweenCharacters));
    // The nearest boundary may lie just past the room; cursor positions never split a character.
    while (cut > 0 && line.cursorToX(cut) > room) cut = layout_.previousCursorPosition(cut);
    return cut;
}

}  // namespace zerlith::ui
