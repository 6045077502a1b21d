#include "ui/image_providers.hpp"

#include <QColor>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <QUrl>

namespace zerlith::ui {
namespace {

constexpr int kDefaultSymbolSize = 32;

}  // namespace

SymbolImageProvider::SymbolImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

QImage SymbolImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize) {
    const auto slash = id.indexOf('/');
    const auto name = id.left(slash);
    const QColor tint(slash < 0 ? QString("black") : id.mid(slash + 1));
    QSvgRenderer renderer(":/zerlith/symbols/" + name + ".svg");
    const QSize pixels = requestedSize.isValid() ? requestedSize : QSize(kDefaultSymbolSize, kDefaultSymbolSize);
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (renderer.isValid()) {
        QPainter painter(&image);
        renderer.render(&painter);
        // The artwork is black: keep its coverage, take the tint's colour.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), tint);
    }
    if (size) *size = pixels;
    return image;
}

IconProvider::IconProvider(IconCache& icons) : QQuickImageProvider(QQuickImageProvider::Image), icons_(icons) {}

QString IconProvider::applicationIconURL(const std::string& bundleID) {
    return "image://icon/app/" + QString::fromUtf8(QUrl::toPercentEncoding(QString::fromStdString(bundleID)));
}

QString IconProvider::windowIconURL(std::uint32_t windowNumber) {
    return "image://icon/window/" + QString::number(windowNumber);
}

QImage IconProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize) {
    const auto slash = id.indexOf('/');
    const auto kind = id.left(slash);
    const auto key = id.mid(slash + 1);
    QImage image = kind == "app" ? applicationIcon(key, requestedSize)
                   : kind == "window" ? windowIcon(key, requestedSize)
                                      : QImage();
    if (size) *size = image.size();
    return image;
}

QImage IconProvider::applicationIcon(const QString& bundleID, const QSize& requestedSize) {
    const auto icon = icons_.icon(QUrl::fromPercentEncoding(bundleID.toUtf8()).toStdString());
    if (!icon) return {};
    QImageReader reader(QString::fromStdString(icon->path));
    if (requestedSize.isValid()) reader.setScaledSize(requestedSize);
    return reader.read();
}

QImage IconProvider::windowIcon(const QString& windowNumber, const QSize& requestedSize) {
    bool number = false;
    const auto window = windowNumber.toUInt(&number);
    if (!number) return {};
    const auto& icon = icons_.windowIcon(window);
    if (!icon) return {};
    // The pixels are 0xAARRGGBB words, as QImage's ARGB32 holds them; copied, since the cache may
    // forget them while the image lives.
    QImage image = QImage(reinterpret_cast<const uchar*>(icon->argb.data()), icon->width, icon->height,
                          QImage::Format_ARGB32)
                       .copy();
    if (requestedSize.isValid()) image = image.scaled(requestedSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

}  // namespace zerlith::ui
