#include "ui/palette_look.hpp"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

namespace zerlith::ui {
bool PaletteLook::isDark(const QPalette& palette) {
    return palette.color(QPalette::WindowText).lightness() > palette.color(QPalette::Window).lightness();
}

PaletteLook PaletteLook::of(const QPalette& palette) {
    const QColor text = palette.color(QPalette::WindowText);
    return {
        .accent = isDark(palette) ? QColor::fromRgbF(0.51f, 0.49f, 0.96f) : QColor::fromRgbF(0.35f, 0.33f, 0.85f),
        .background = palette.color(QPalette::Window),
        .text = text,
        .secondary = withAlpha(text, 0.62),
        .tertiary = withAlpha(text, 0.42),
        .quaternary = withAlpha(text, 0.2),
    };
}

QColor withAlpha(QColor color, qreal alpha) {
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

QFont fontOf(int pixelSize, QFont::Weight weight) {
    QFont font = QGuiApplication::font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

QImage symbolImage(const QString& name, const QColor& tint, int pixels) {
    // A frame draws the same few symbols again: each is rendered from its SVG once.
    static QHash<QString, QImage> drawn;
    const QString key = name + '/' + tint.name(QColor::HexArgb) + '/' + QString::number(pixels);
    if (const auto found = drawn.constFind(key); found != drawn.constEnd()) return *found;
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(":/zerlith/symbols/" + name + ".svg");
    if (renderer.isValid()) {
        QPainter painter(&image);
        renderer.render(&painter);
        // The artwork is black: keep its coverage, take the tint's colour.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), tint);
    }
    drawn.insert(key, image);
    return image;
}

}  // namespace zerlith::ui
