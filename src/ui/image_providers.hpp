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

/// The palette rows' icons, from the icon cache: "image://icon/app/BUNDLE-ID" (percent-encoded) is
/// an application's installed icon, "image://icon/window/WINDOW-NUMBER" the icon a window carries
/// itself. A null image when there is none, so the view draws its placeholder. Images are
/// requested on the main thread, where the cache lives.
class IconProvider final : public QQuickImageProvider {
public:
    explicit IconProvider(IconCache& icons);
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

    static QString applicationIconURL(const std::string& bundleID);
    static QString windowIconURL(std::uint32_t windowNumber);

private:
    QImage applicationIcon(const QString& bundleID, const QSize& requestedSize);
    QImage windowIcon(const QString& windowNumber, const QSize& requestedSize);

    IconCache& icons_;
};

}  // namespace zerlith::ui
