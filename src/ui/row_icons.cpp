#include "ui/row_icons.hpp"

#include <QImageReader>

namespace zerlith::ui {
namespace {

/// Twice the 28-pixel row icon, for dense screens.
constexpr int kIconPixels = 56;

}  // namespace

const QImage& RowIcons::icon(const Target& target) {
    if (!target.bundleID.empty()) {
        const auto& application = cached("app:" + QString::fromStdString(target.bundleID),
                                         [&] { return applicationIcon(target.bundleID); });
        if (!application.isNull()) return application;
    }
    static const QImage none;
    if (!target.window) return none;
    const auto window = target.window->windowID;
    return cached("window:" + QString::number(window), [&] { return windowIcon(window); });
}

const QImage& RowIcons::cached(const QString& key, const std::function<QImage()>& read) {
    if (auto found = images_.constFind(key); found != images_.constEnd()) return *found;
    return *images_.insert(key, read());
}

QImage RowIcons::applicationIcon(const std::string& bundleID) {
    const auto icon = icons_.icon(bundleID);
    if (!icon) return {};
    QImageReader reader(QString::fromStdString(icon->path));
    reader.setScaledSize({kIconPixels, kIconPixels});
    return reader.read();
}

QImage RowIcons::windowIcon(std::uint32_t windowNumber) {
    const auto& carried = icons_.windowIcon(windowNumber);
    if (!carried) return {};
    // The pixels are 0xAARRGGBB words, as QImage's ARGB32 holds them; copied, since the cache may
    // forget them while the image lives.
    return QImage(reinterpret_cast<const uchar*>(carried->argb.data()), carried->width, carried->height,
                  QImage::Format_ARGB32)
        .copy()
        .scaled(kIconPixels, kIconPixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

}  // namespace zerlith::ui
