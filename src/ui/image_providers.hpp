#pragma once

#include <QQuickImageProvider>

#include "system/icon_cache.hpp"

namespace zerlith::ui {

/// "image://symbol/NAME/COLOUR": one of the palette's own monochrome SVG symbols, drawn in a colour.
class SymbolImageProvider final : public QQuickImageProvider {
public:
    SymbolImageProvider();
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};

/// "image://appicon/BUNDLE-ID": the icon of the application with that (percent-encoded)
/// identifier, from the icon cache; a null image when it has none, so the view draws its
/// placeholder. Images are requested on the main thread, where the cache lives.
class AppIconProvider final : public QQuickImageProvider {
public:
    explicit AppIconProvider(IconCache& icons);
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

private:
    IconCache& icons_;
};

/// "image://windowicon/WINDOW-NUMBER": the icon a window carries itself, from the icon cache.
class WindowIconProvider final : public QQuickImageProvider {
public:
    explicit WindowIconProvider(IconCache& icons);
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

private:
    IconCache& icons_;
};

}  // namespace zerlith::ui
