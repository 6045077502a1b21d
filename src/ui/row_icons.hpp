#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <QHash>
#include <QImage>
#include <QString>

#include "model/target.hpp"
#include "system/icon_cache.hpp"

namespace zerlith::ui {

/// The rows' icons as images: the application's installed icon, else the one the window carries;
/// a null image without either. Each is read once until forget(), missing ones too, so a
/// keystroke reads no file. Main thread.
class RowIcons {
public:
    explicit RowIcons(IconCache& icons) : icons_(icons) {}

    const QImage& icon(const Target& target);
    /// Drops the images, so the next opening sees icons that changed.
    void forget() { images_.clear(); }

private:
    const QImage& cached(const QString& key, const std::function<QImage()>& read);
    QImage applicationIcon(const std::string& bundleID);
    QImage windowIcon(std::uint32_t windowNumber);

    IconCache& icons_;
    QHash<QString, QImage> images_;
};

}  // namespace zerlith::ui
