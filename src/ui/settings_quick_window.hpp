#pragma once

#include <memory>

#include <QObject>
#include <QQuickView>

#include "settings/settings_model.hpp"
#include "ui/settings_bridge.hpp"
#include "ui/settings_window.hpp"

namespace zerlith::ui {

/// The settings window: a regular window of 520 × 640, titled "Zerlith", made at the first show()
/// and then only hidden and shown again. While it shows the model polls the system; the keys it
/// gets go to the shortcut recorder first; leaving or closing it ends a recording. Main thread.
class SettingsQuickWindow final : public QObject, public SettingsWindow {
    Q_OBJECT
public:
    static constexpr int kWidth = 520;
    static constexpr int kHeight = 640;

    /// `keys` names the desktop's keys for the recorder; none where it cannot.
    SettingsQuickWindow(SettingsModel& model, Updater& updater, HotKeyManager* hotKeys, platform::HotKeys* keys);
    ~SettingsQuickWindow() override;

    /// Refreshes the model, then brings the window to the front (centred on its first showing).
    void show() override;
    bool isVisible() const override;
    void updaterChanged() override { bridge_.updaterChanged(); }

    SettingsBridge& bridge() { return bridge_; }
    /// The hosted view, for tests and screenshots.
    QQuickView& view();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void create();

    SettingsModel& model_;
    platform::HotKeys* keys_;
    SettingsBridge bridge_;
    std::unique_ptr<QQuickView> view_;
};

}  // namespace zerlith::ui
