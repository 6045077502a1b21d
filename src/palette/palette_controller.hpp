#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "desktop/screens.hpp"
#include "palette/palette_key.hpp"
#include "palette/palette_model.hpp"
#include "palette/palette_window.hpp"
#include "platform/weak_handle.hpp"

namespace zerlith {

class ActivationLog;
class SnapshotStore;
class UsageStore;

/// Opens and closes the palette and turns its keys into switches. Opening ranks the cached targets
/// for the context the user is leaving and shows them at once, then lets a background refresh
/// re-rank them; confirming a target hides the palette, records the use, then activates it
/// (in place, onto the palette's screen, or onto the screen beside it).
///
/// Main thread only. The stores and the log must outlive the controller; refresh results that
/// arrive after it is gone are dropped.
class PaletteController {
public:
    /// Makes the palette's window; called once, at the first show().
    using WindowFactory = std::function<std::unique_ptr<PaletteWindow>(PaletteController&)>;

    /// The window's size in points.
    static constexpr double kWidth = 720;
    static constexpr double kHeight = 460;

    PaletteController(SnapshotStore& snapshots, UsageStore& usage, ActivationLog& activationLog,
                      WindowFactory makeWindow);
    ~PaletteController();
    PaletteController(const PaletteController&) = delete;
    PaletteController& operator=(const PaletteController&) = delete;

    PaletteModel& model() { return model_; }

    /// Opens the palette; without the accessibility permission asks for it instead.
    void show();
    /// Closes the palette and empties the query. Harmless when closed.
    void hide();
    /// Whether the palette is on screen.
    bool isVisible() const;
    /// hide() when visible, else show(): the palette hot key's action.
    void toggle();

    /// A key pressed while the palette is open; true when the palette used it, false when it
    /// belongs to the search field.
    bool handleKey(const PaletteKeyPress& press);
    /// A click on a row: switches to that target in place.
    void activateClicked(const Target& target);
    /// The window lost the keyboard: the palette closes.
    void windowDidResignKey() { hide(); }

private:
    void position();
    /// Reads the selection, hides, records the use and activates, moving to `destination`.
    void confirm(const Target& target, const std::optional<Screen>& destination);
    void confirmSelection(const std::optional<Screen>& destination);
    void activateSelection(Screens::Direction direction);
    /// The screen beside the palette's that a window can be sent to; none where the desktop cannot
    /// move windows between screens.
    std::optional<Screen> neighbor(Screens::Direction direction) const;

    SnapshotStore& snapshots_;
    UsageStore& usage_;
    ActivationLog& activationLog_;
    WindowFactory makeWindow_;
    PaletteModel model_;
    std::unique_ptr<PaletteWindow> window_;
    std::optional<std::string> contextKey_;
    std::optional<Screen> paletteScreen_;
    /// Refresh callbacks hold this weakly, so none reaches a controller that is gone.
    platform::WeakHandle<PaletteController> self_{this};
};

}  // namespace zerlith
