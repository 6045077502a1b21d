#pragma once

#include <QQuickImageProvider>

namespace zerlith::ui {

/// "image://symbol/NAME/COLOUR": one of the switcher's own monochrome SVG symbols, drawn in a
/// colour, for the settings' view.
class SymbolImageProvider final : public QQuickImageProvider {
public:
    SymbolImageProvider();
    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
};

}  // namespace zerlith::ui
