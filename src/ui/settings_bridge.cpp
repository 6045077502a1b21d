#include "ui/settings_bridge.hpp"

#include <QGuiApplication>
#include <QPalette>
#include <QVariantMap>

#include "platform/platform.hpp"
#include "ui/recorded_key.hpp"

namespace zerlith::ui {
namespace {

using Role = HotKeyManager::Role;
using Status = Permissions::AutomationStatus;

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
    if (!ready()) return "Grant the permissions below to finish setup.";
    return QString::fromStdString("Ready — press " + model_.displayString(model_.paletteShortcut()) + " to switch.");
}

QVariantList browserRows(const SettingsModel& model) {
    // Where tabs come through an extension, asking is no use until the extension is added.
    const bool throughExtension = platform::current().browserBridge() != nullptr;
    QVariantList rows;
    for (const auto& [browser, status] : model.automation()) {
        const bool explainExtension = throughExtension && status != Status::allowed;
        rows.push_back(QVariantMap{
            {"browser", QString::fromUtf8(rawValue(browser))},
            {"title", QString::fromStdString("Automation — " + std::string(applicationName(browser)))},
            {"detail", explainExtension ? "Add Zerlith's extension to this browser and run "
                                          "“zerlith --install-browser-hosts” (see the README)."
                                        : "List open tabs and switch to one."},
            {"granted", status == Status::allowed},
            {"actionTitle", status == Status::denied ? "Open Settings" : "Request"},
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

void SettingsBridge::openAccessibilitySettings() { Permissions::openAccessibilitySettings(); }

void SettingsBridge::openScreenRecordingSettings() {
    platform::current().windowServer().requestScreenCaptureAccess();
    Permissions::openScreenRecordingSettings();
}

void SettingsBridge::browserAction(const QString& browser) {
    if (const auto kind = browserKindFromRaw(browser.toStdString())) model_.browserAction(*kind);
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
