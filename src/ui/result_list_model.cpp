#include "ui/result_list_model.hpp"


#include "ranking/match_positions.hpp"
#include "ranking/unicode_text.hpp"
#include "ui/image_providers.hpp"

namespace zerlith::ui {

ResultListModel::ResultListModel(const PaletteModel& model, IconCache& icons, QObject* parent)
    : QAbstractListModel(parent), model_(model), icons_(icons), rows_(static_cast<int>(model.results().size())) {}

int ResultListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) return {};
    const Target& target = *model_.results()[static_cast<std::size_t>(index.row())];
    switch (role) {
        case titleMarkupRole:
            return titleMarkup(target, model_.query());
        case subtitleRole:
            return QString::fromStdString(target.subtitle);
        case screenNameRole:
            return QString::fromStdString(target.screenName.value_or(""));
        case otherDesktopRole:
            return target.window != nullptr && !target.window->isOnCurrentSpace;
        case iconRole:
            return iconURL(target);
        default:
            return {};
    }
}

QHash<int, QByteArray> ResultListModel::roleNames() const {
    return {{titleMarkupRole, "titleMarkup"},
            {subtitleRole, "subtitle"},
            {screenNameRole, "screenName"},
            {otherDesktopRole, "otherDesktop"},
            {iconRole, "icon"}};
}

QString ResultListModel::iconURL(const Target& target) const {
    if (icons_.icon(target.bundleID)) return IconProvider::applicationIconURL(target.bundleID);
    if (target.window && icons_.windowIcon(target.window->windowID)) {
        return IconProvider::windowIconURL(target.window->windowID);
    }
    return {};
}

void ResultListModel::resultsChanged() {
    const int rows = static_cast<int>(model_.results().size());
    if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    } else if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    }
    if (rows > 0) emit dataChanged(index(0), index(rows - 1));
}

QString ResultListModel::titleMarkup(const Target& target, const std::string& query) {
    if (target.title.size() > UnicodeText::kMaxTextBytes) return QString::fromStdString(target.title).toHtmlEscaped();
    // One decoding for both: the matcher's character indices must land on the same text.
    const auto unicode = UnicodeText::fromUtf8(target.title);
    const QString title(reinterpret_cast<const QChar*>(unicode.getBuffer()), unicode.length());
    const auto matched = FuzzyMatcher::matchedCharacters(query, PaletteModel::haystack(target));
    if (matched.empty()) return title.toHtmlEscaped();

    // The matcher counts user-perceived characters; walk the title's in the same units.
    const auto boundaries = UnicodeText::characterBoundaries(unicode);
    QString markup;
    auto next = matched.begin();
    for (std::size_t i = 0; i + 1 < boundaries.size(); ++i) {
        const auto character = title.mid(boundaries[i], boundaries[i + 1] - boundaries[i]).toHtmlEscaped();
        const bool bold = next != matched.end() && *next == i;
        if (bold) ++next;
        markup += bold ? "<b>" + character + "</b>" : character;
    }
    return markup;
}

}  // namespace zerlith::ui
