#include "ui/image_providers.hpp"

#include "ui/palette_look.hpp"

namespace zerlith::ui {
namespace {

constexpr int kDefaultSymbolSize = 32;

}  // namespace

SymbolImageProvider::SymbolImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {}

QImage SymbolImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize) {
    const auto slash = id.indexOf('/');
    const QColor tint(slash < 0 ? QString("black") : id.mid(slash + 1));
    const int pixels = requestedSize.isValid() ? requestedSize.width() : kDefaultSymbolSize;
    QImage image = symbolImage(id.left(slash), tint, pixels);
    if (size) *size = image.size();
    return image;
}

}  // namespace zerlith::ui
