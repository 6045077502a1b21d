#pragma once

#include <QAbstractListModel>

#include "palette/palette_model.hpp"
#include "system/icon_cache.hpp"

namespace zerlith::ui {

/// The palette's results as a Qt list model for the view. A new result list changes the rows in
/// place (and inserts or removes the difference at the end) instead of resetting, so the view
/// keeps and rebinds the rows it has built. Row data is made when the view asks for it, so only
/// visible rows pay for their title highlighting. Main thread.
class ResultListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        titleMarkupRole = Qt::UserRole + 1,  ///< the title as styled text, matched characters in bold
        subtitleRole,
        screenNameRole,    ///< empty without one
        otherDesktopRole,  ///< a window that is not on the current desktop
        iconRole,          ///< an image URL: the application's icon, else the window's; empty without either
    };

    ResultListModel(const PaletteModel& model, IconCache& icons, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    /// The palette model's results changed.
    void resultsChanged();

    /// The title of a target as styled text: escaped, with the characters `query` matches in bold.
    static QString titleMarkup(const Target& target, const std::string& query);

private:
    QString iconURL(const Target& target) const;

    const PaletteModel& model_;
    IconCache& icons_;
    int rows_ = 0;
};

}  // namespace zerlith::ui
