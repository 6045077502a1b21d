#pragma once

#include <QFont>
#include <QList>
#include <QPainter>
#include <QString>
#include <QTextLayout>

namespace zerlith::ui {

/// A row's title laid out on one line, its matched characters bold: whole when it fits the
/// width, else cut at the end with an ellipsis. It is fitted as it is drawn, bold and regular
/// mixed, so a few bold letters do not cost the title its end. Main thread.
class TitleLine {
public:
    TitleLine(const QString& title, const QList<QTextLayout::FormatRange>& bold, const QFont& font, qreal width);

    QString text() const { return layout_.text(); }
    QList<QTextLayout::FormatRange> bold() const { return layout_.formats(); }
    qreal width() const { return layout_.lineAt(0).naturalTextWidth(); }
    void draw(QPainter& painter, const QPointF& topLeft) const { layout_.draw(&painter, topLeft); }

private:
    void layOut(qreal width);
    /// How many of the title's UTF-16 units are kept before the ellipsis.
    int cutFor(qreal width) const;

    QTextLayout layout_;
};

}  // namespace zerlith::ui
