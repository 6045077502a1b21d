#include "ui/settings_bridge.hpp"

#include <QGuiApplication>
#include <QPalette>
#include <QVariantMap>

#include "platform/platform.hpp"
#include "ui/recorded_key.hpp"

namespace zerlith::ui {
namespace {

using Role = HotKeyManager::Role;
using Status = desktop::TabConsent;

}  // namespace

SettingsBridge::SettingsBridge(SettingsModel& model, Updater& updater, HotKeyManager* hotKeys, QObject* parent)
    : QObject(parent), model_(model), updater_(updater), hotKeys_(hotKeys) {
    model_.onChange([this] {
        if (auto rows = browserRows(model_); rows != browsers_) {
            browsers_ = std::move(rows);
            emit browsersChanged();
        }
        emit changed();
    });
}

QString SettingsBridge::statusText() const {
    if (!ready() && model_.tabsThroughExtension()) return "Add Zerlith's extension to your browsers below.";
    if (!ready()) return "Grant the permissions below to finish setup.";
    if (!model_.takesGlobalKeys()) return "Ready — bind its keys as shown below.";
    return QString::fromStdString("Ready — press " + model_.displayString(model_.paletteShortcut()) + " to switch.");
}

QString SettingsBridge::noBrowsersText() const {
    return systemPermissions() ? "Start Chrome or Safari to set up tab access."
                               : "No Chromium, Google Chrome, Brave, Microsoft Edge or Firefox is installed.";
}

namespace {

/// How to add the extension to `browser`, as its own pages say it: nothing but a restart where
/// the package installed it where the browser loads it.
QString extensionSteps(const TabBrowser& browser) {
    constexpr auto firefoxSteps = "in about:debugging → This Firefox choose “Load Temporary Add-on…” and pick "
                                  "manifest.json in the extension folder.";
    if (browser.extensionInstalled && browser.kind == "firefox") {
        return QString("Extension installed with the package: Debian’s Firefox ESR loads it at start, so restart "
                       "it. Firefox from Mozilla’s own builds: ") + firefoxSteps;
    }
    if (browser.extensionInstalled) {
        return QString::fromStdString("Extension installed with the package: " + browser.name +
                                      " loads it at start, so restart it.");
    }
    if (browser.kind == "firefox")
        return QString("Extension not connected. Install the host and restart Firefox, then ") + firefoxSteps;
    return "Extension not connected. Install the host and restart the browser, then in chrome://extensions "
           "turn on Developer mode, choose “Load unpacked” and pick the extension folder.";
}

}  // namespace

QVariantList browserRows(const SettingsModel& model) {
    QVariantList rows;
    if (model.tabsThroughExtension()) {
        for (const auto& browser : model.tabBrowsers()) {
            rows.push_back(QVariantMap{
                {"browser", QString::fromStdString(browser.id)},
                {"kind", QString::fromStdString(browser.kind)},
                {"title", QString::fromStdString(browser.name)},
                {"detail", browser.connected ? "Extension connected: its tabs are listed." : extensionSteps(browser)},
                {"granted", browser.connected},
                {"actionTitle", "Install Host"},
                {"linkTitle", "Open Extension Folder"},
            });
        }
        return rows;
    }
    for (const auto& [browser, status] : model.automation()) {
        rows.push_back(QVariantMap{
            {"browser", QString::fromUtf8(rawValue(browser))},
            {"kind", QString::fromUtf8(rawValue(browser))},
            {"title", QString::fromStdString("Automation — " + std::string(applicationName(browser)))},
            {"detail", "List open tabs and switch to one."},
            {"granted", status == Status::allowed},
            {"actionTitle", status == Status::denied ? "Open Settings" : "Request"},
            {"linkTitle", ""},
        });
    }
    return rows;
}

QString SettingsBridge::paletteShortcut() const {
    return QString::fromStdString(model_.displayString(model_.paletteShortcut()));
}

QString SettingsBridge::instantShortcut() const {
    return QString::fromStdString(model_.displayString(model_.instantShortcut()));
}

QString SettingsBridge::recording() const {
    if (!recording_) return {};
    return *recording_ == Role::palette ? "palette" : "instant";
}

bool SettingsBridge::dark() const {
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

void SettingsBridge::openAccessibilitySettings() { Permissions::openSettings(desktop::Grant::controlWindows); }

void SettingsBridge::openScreenRecordingSettings() {
    Permissions::ask(desktop::Grant::readWindowTitles);
    Permissions::openSettings(desktop::Grant::readWindowTitles);
}

void SettingsBridge::browserAction(const QString& browser) {
    if (model_.tabsThroughExtension()) {
        model_.installBrowserHosts();  // one installation serves every browser found
    } else if (const auto kind = browserKindFromRaw(browser.toStdString())) {
        model_.browserAction(*kind);
    }
}

void SettingsBridge::toggleRecording(const QString& role) {
    const auto wanted = role == "palette" ? Role::palette : Role::instant;
    const bool wasThisOne = recording_ == wanted;
    stopRecording();
    if (wasThisOne) return;
    recording_ = wanted;
    // The application's own grabs would take the chord before the recorder sees it.
    if (hotKeys_ != nullptr) hotKeys_->suspend();
    emit recordingChanged();
}

void SettingsBridge::stopRecording() {
    if (!recording_) return;
    recording_.reset();
    if (hotKeys_ != nullptr) hotKeys_->resume();
    emit recordingChanged();
}

bool SettingsBridge::recordKey(int qtKey, Qt::KeyboardModifiers modifiers, std::optional<std::uint32_t> storedKey) {
    if (!recording_) return false;
    if (qtKey == Qt::Key_Escape) {
        stopRecording();
        return true;
    }
    if (isModifierKey(qtKey)) return true;  // a chord in the making
    const auto keyCode = storedKey ? storedKey : storedKeyCodeOfQtKey(qtKey);
    if (!keyCode) return true;  // a key no shortcut can name: wait for another
    const auto shortcut = shortcutFromKeyEvent(*keyCode, shortcutModifiers(modifiers));
    if (!shortcut) return true;  // a bare key is never a shortcut
    const auto role = *recording_;
    stopRecording();
    model_.apply(*shortcut, role);
    return true;
}

void SettingsBridge::openUpdateLink() {
    const auto& link = updater_.status().link;
    if (isWebLink(link)) platform::current().workspace().openURL(link);
}

}  // namespace zerlith::ui
