#pragma once

#include <string>
#include <vector>

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextLayout>

#include "model/target.hpp"
#include "palette/palette_model.hpp"

namespace zerlith::ui {

/// What one palette row says, as plain text: nothing a title holds is read as markup.
struct RowContent {
    QString title;
    /// The title's characters the query matches, to be drawn bold.
    QList<QTextLayout::FormatRange> matched;
    QString subtitle;
    /// The screen's name, then "other desktop" for a window on another desktop.
    QStringList badges;
};

RowContent rowContent(const Target& target, const std::string& query);

/// A key's symbol and what it does, in the palette's footer.
struct KeyHint {
    QString symbol;
    QString label;
    bool operator==(const KeyHint&) const = default;
};

/// The footer's hints, left group: the screens beside and bringing a window here, where there is
/// a screen beside.
std::vector<KeyHint> neighborHints(const PaletteModel::Neighbors& neighbors, const QString& bringHereLabel);

/// Why the list is empty: nothing open, or nothing matching the query.
QString emptyListText(const std::string& query);

}  // namespace zerlith::ui
