#pragma once

#include <QObject>
#include <QString>

#include "palette/palette_controller.hpp"
#include "ui/result_list_model.hpp"

namespace zerlith::ui {

/// The palette's state as the properties the view binds to, and the two things the view writes
/// back: the typed query and a clicked row. Main thread.
class PaletteBridge final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString query READ query WRITE setQuery NOTIFY queryChanged)
    Q_PROPERTY(int selection READ selection NOTIFY selectionChanged)
    Q_PROPERTY(int resultCount READ resultCount NOTIFY resultCountChanged)
    Q_PROPERTY(QString leftNeighbor READ leftNeighbor NOTIFY neighborsChanged)
    Q_PROPERTY(QString rightNeighbor READ rightNeighbor NOTIFY neighborsChanged)
    Q_PROPERTY(QString bringHereLabel READ bringHereLabel CONSTANT)
    Q_PROPERTY(bool dark READ dark NOTIFY darkChanged)
public:
    /// `bringHereLabel` is the footer's hint for bringing a window to this screen, written as the
    /// platform's users know the key.
    PaletteBridge(PaletteController& controller, IconCache& icons, QString bringHereLabel,
                  QObject* parent = nullptr);

    ResultListModel* results() { return &results_; }

    QString query() const;
    void setQuery(const QString& query);
    int selection() const;
    int resultCount() const;
    QString leftNeighbor() const;
    QString rightNeighbor() const;
    QString bringHereLabel() const { return bringHereLabel_; }
    /// Whether the desktop's colours are dark (light text on a dark window).
    bool dark() const;

    /// A click on the row at `row`: switches to it.
    Q_INVOKABLE void activate(int row);

signals:
    void queryChanged();
    void selectionChanged();
    void resultCountChanged();
    void neighborsChanged();
    void darkChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void modelChanged(PaletteModel::Change change);

    PaletteController& controller_;
    ResultListModel results_;
    const QString bringHereLabel_;
};

}  // namespace zerlith::ui
