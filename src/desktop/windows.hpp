#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/activation_log.hpp"
#include "model/target.hpp"
#include "platform/display.hpp"
#include "platform/workspace.hpp"

namespace zerlith::desktop {

/// Windows more transparent than this, or smaller than this, are not worth switching to.
inline constexpr double kMinimumWindowAlpha = 0.05;
inline constexpr double kMinimumWindowWidth = 120;
inline constexpr double kMinimumWindowHeight = 60;

inline bool isSwitchableSize(const Rect& frame) {
    return frame.absWidth() >= kMinimumWindowWidth && frame.absHeight() >= kMinimumWindowHeight;
}

/// One switchable window as its desktop reports it, before the core makes a target of it.
struct Window {
    std::uint32_t id = 0;  ///< the desktop's own id of the window
    Pid pid = 0;           ///< the process that owns it
    std::string title;     ///< as the window shows it, markers and spaces included
    Rect frame;            ///< top-left space
    bool onCurrentWorkspace = false;
    /// Whether the provider brings this window forward by itself, rather than through its
    /// application (the dump counts these).
    bool raisesDirectly = false;
    /// The provider's own hold on the window, handed back when it is raised; may be null.
    std::shared_ptr<const WindowHandle> handle;
};

/// The window that has the focus in an application, as far as it can be read.
struct FocusedWindow {
    std::string title;
    std::optional<Rect> frame;  ///< top-left space
};

/// The windows of one kind of desktop and the ways to bring a target to the user there.
class Windows {
public:
    virtual ~Windows() = default;

    /// Any thread. The windows of the user's applications, front to back, without the
    /// switcher's own, those too small or transparent to switch to, and those without a title
    /// to read. May block for an unresponsive application, never long.
    virtual std::vector<Window> list() = 0;

    /// Any thread. The window of `pid` that has the focus, or would have it with its application
    /// in front; none when it has none or does not answer within `timeout` seconds.
    virtual std::optional<FocusedWindow> focusedWindow(Pid pid, double timeout) = 0;

    /// Any thread. The process that owns a window; none when the window is not known.
    virtual std::optional<Pid> ownerOf(std::uint32_t window) = 0;

    /// Any thread. The icon the window itself carries, in the size closest to `preferredSize`
    /// pixels (the smallest at least that large, else the largest); none when it carries none.
    virtual std::optional<platform::WindowIcon> icon(std::uint32_t /*window*/, int /*preferredSize*/) {
        return std::nullopt;
    }

    /// Main thread. Starts bringing a window target to the user, moving it onto `movingTo` when
    /// set; routes that finish on a background queue leave their outcome only in `log`'s trace,
    /// so `log` outlives them. False when the window cannot be raised here.
    virtual bool raise(ActivationLog& log, const Target& window, const std::optional<platform::Screen>& movingTo) = 0;

    /// Background queue, once a browser shows the tab: brings forward the window of `pid` whose
    /// title begins with `title`, else the application, moving it onto `movingTo` when set.
    virtual void raiseShowing(Pid pid, const std::string& title, const std::optional<platform::Screen>& movingTo) = 0;
};

}  // namespace zerlith::desktop
