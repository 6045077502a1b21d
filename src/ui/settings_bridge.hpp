#pragma once

#include <optional>

#include <QObject>
#include <QString>
#include <QVariantList>

#include "platform/platform.hpp"
#include "settings/settings_model.hpp"
#include "settings/updater.hpp"

namespace zerlith::ui {

/// The settings' state as the properties the window binds to, the buttons' actions, and the
/// shortcut recorder. Main thread; the model and the updater outlive it.
class SettingsBridge final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool ready READ ready NOTIFY changed)
    Q_PROPERTY(QString statusText READ statusText NOTIFY changed)
    /// Whether the desktop asks for Accessibility and Screen Recording (the macOS model), rather
    /// than Zerlith's extension being all a user sets up (Linux).
    Q_PROPERTY(bool systemPermissions READ systemPermissions NOTIFY changed)
    /// The title of the section of permissions and browsers, and what it says without a browser.
    Q_PROPERTY(QString browsersTitle READ browsersTitle NOTIFY changed)
    Q_PROPERTY(QString noBrowsersText READ noBrowsersText NOTIFY changed)
    Q_PROPERTY(bool accessibility READ accessibility NOTIFY changed)
    Q_PROPERTY(bool screenRecording READ screenRecording NOTIFY changed)
    /// The browser rows (see browserRows()).
    Q_PROPERTY(QVariantList browsers READ browsers NOTIFY browsersChanged)
    /// What the last installation of the browsers' host said; empty before one.
    Q_PROPERTY(QString hostInstallation READ hostInstallation NOTIFY changed)
    Q_PROPERTY(QString paletteShortcut READ paletteShortcut NOTIFY changed)
    Q_PROPERTY(QString instantShortcut READ instantShortcut NOTIFY changed)
    Q_PROPERTY(QString shortcutError READ shortcutError NOTIFY changed)
    Q_PROPERTY(QString desktopNotice READ desktopNotice NOTIFY changed)
    Q_PROPERTY(bool takesGlobalKeys READ takesGlobalKeys NOTIFY changed)
    /// Whether the user chooses if the switcher binds its keys in the compositor, and the choice.
    Q_PROPERTY(bool keysNeedConsent READ keysNeedConsent CONSTANT)
    Q_PROPERTY(bool keysConsented READ keysConsented NOTIFY changed)
    /// "palette" or "instant" while that row records, else empty.
    Q_PROPERTY(QString recording READ recording NOTIFY recordingChanged)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin NOTIFY changed)
    Q_PROPERTY(bool loginItemNeedsApproval READ loginItemNeedsApproval NOTIFY changed)
    Q_PROPERTY(QString loginItemError READ loginItemError NOTIFY changed)
    Q_PROPERTY(bool automaticUpdates READ automaticUpdates NOTIFY changed)
    Q_PROPERTY(QString version READ version CONSTANT)
    Q_PROPERTY(QString updateStatus READ updateStatus NOTIFY updateChanged)
    Q_PROPERTY(QString updateLink READ updateLink NOTIFY updateChanged)
    Q_PROPERTY(bool checking READ checking NOTIFY updateChanged)
    Q_PROPERTY(bool dark READ dark CONSTANT)
public:
    /// `hotKeys`: the registry whose keys are given back while a row records; none without global
    /// keys.
    SettingsBridge(SettingsModel& model, Updater& updater, HotKeyManager* hotKeys, QObject* parent = nullptr);

    bool ready() const { return model_.allPermissionsGranted(); }
    QString statusText() const;
    bool systemPermissions() const { return platform::current().provider().capabilities.permissions; }
    QString browsersTitle() const { return systemPermissions() ? "Permissions" : "Browser tabs"; }
    QString noBrowsersText() const;
    QString hostInstallation() const { return QString::fromStdString(model_.hostInstallation().value_or("")); }
    bool accessibility() const { return model_.windowControlGranted(); }
    bool screenRecording() const { return model_.windowTitlesGranted(); }
    QVariantList browsers() const { return browsers_; }
    QString paletteShortcut() const;
    QString instantShortcut() const;
    QString shortcutError() const { return QString::fromStdString(model_.shortcutError().value_or("")); }
    QString desktopNotice() const { return QString::fromStdString(model_.desktopNotice()); }
    bool takesGlobalKeys() const { return model_.takesGlobalKeys(); }
    bool keysNeedConsent() const { return model_.keysNeedConsent(); }
    bool keysConsented() const { return model_.keysConsented(); }
    QString recording() const;
    bool launchAtLogin() const { return model_.launchAtLogin(); }
    bool loginItemNeedsApproval() const { return model_.loginItemNeedsApproval(); }
    QString loginItemError() const { return QString::fromStdString(model_.loginItemError().value_or("")); }
    bool automaticUpdates() const { return model_.automaticUpdates(); }
    QString version() const { return QString::fromStdString(updater_.currentVersion()); }
    QString updateStatus() const { return QString::fromStdString(updater_.status().text); }
    QString updateLink() const { return QString::fromStdString(updater_.status().link); }
    bool checking() const { return updater_.status().checking; }
    bool dark() const;

    Q_INVOKABLE void openAccessibilitySettings();
    Q_INVOKABLE void openScreenRecordingSettings();
    /// The button of a browser's row ("chrome", "safari"; "brave-browser" with the extension,
    /// whose button installs the hosts).
    Q_INVOKABLE void browserAction(const QString& browser);
    /// The link of a browser's row with the extension: the extension's folder for its family.
    Q_INVOKABLE void browserLink(const QString& kind) { model_.openExtensionFolder(kind.toStdString()); }
    /// The button of a shortcut row ("palette", "instant"): starts recording, or stops it.
    Q_INVOKABLE void toggleRecording(const QString& role);
    Q_INVOKABLE void stopRecording();
    Q_INVOKABLE void setKeysConsented(bool consented) { model_.setKeysConsented(consented); }
    Q_INVOKABLE void setLaunchAtLogin(bool enabled) { model_.setLaunchAtLogin(enabled); }
    Q_INVOKABLE void setAutomaticUpdates(bool enabled) { model_.setAutomaticUpdates(enabled); }
    Q_INVOKABLE void checkNow() { updater_.checkForUpdates(); }
    Q_INVOKABLE void openUpdateLink();

    /// A key press while the window has the keyboard; true when the recorder took it. `storedKey`
    /// is the key's stored code when the desktop knows it.
    bool recordKey(int qtKey, Qt::KeyboardModifiers modifiers, std::optional<std::uint32_t> storedKey);

    /// The updater's status changed.
    void updaterChanged() { emit updateChanged(); }

signals:
    void changed();
    /// Only when the rows differ: the view makes them afresh.
    void browsersChanged();
    void recordingChanged();
    void updateChanged();

private:
    SettingsModel& model_;
    Updater& updater_;
    HotKeyManager* hotKeys_;
    std::optional<HotKeyManager::Role> recording_;
    QVariantList browsers_;
};

/// The browser rows: {browser, kind, title, detail, granted, actionTitle, linkTitle}. With the
/// extension one per installed browser, named as it is ("Brave"), which is granted while its
/// extension is connected; else one per running browser's automation, Google Chrome first.
QVariantList browserRows(const SettingsModel& model);

}  // namespace zerlith::ui
