#pragma once

#include <cstdint>
#include <string>

#include "platform/keyboard_capture.hpp"

namespace zerlith {

/// The windows and menus the application delegate drives: the Qt application implements them,
/// tests record the calls. Main thread.
class AppShell {
public:
    virtual ~AppShell() = default;

    /// Undo, Redo, Cut, Copy, Paste and Select All for text fields.
    virtual void setUpEditingShortcuts() = 0;
    /// The status (tray) icon and its menu; nothing where the desktop shows none.
    virtual void setUpStatusItem() = 0;
    virtual void setStatusTooltip(const std::string& text) = 0;

    /// Hides the palette when it is on screen, else shows it; `pressTime` is the desktop's time
    /// stamp of the key press that asked (0 when none), `typing` the keyboard held since then,
    /// whose keys an opening palette takes.
    virtual void togglePalette(std::uint32_t pressTime, platform::KeyboardCapture typing) = 0;
    virtual void showPalette() = 0;
    virtual void showSettings() = 0;
    virtual void showSettingsIfSetupIncomplete() = 0;
    /// Starts the software updater, once.
    virtual void startUpdater() = 0;
    /// Brings the application to the front, then asks the updater to check.
    virtual void checkForUpdates() = 0;
};

}  // namespace zerlith
