#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "desktop/windows.hpp"

namespace zerlith::xdg {

/// How the windows of a Linux desktop are raised, whichever protocol reaches them: a target by its
/// own window, else (closed since it was listed) the frontmost window of its process; a browser's
/// window showing a tab, the frontmost of its process whose title begins with the tab's title,
/// else any of its windows. A provider says how to raise one window and which is in front.
class XdgWindows : public desktop::Windows {
public:
    bool raise(ActivationLog& log, const Target& window, const std::optional<platform::Screen>& movingTo) final;
    void raiseShowing(Pid pid, const std::string& title, const std::optional<platform::Screen>& movingTo) final;

    /// Raises the frontmost window of `pid` whose title begins with `title` (any of its windows
    /// for an empty title); false without one.
    bool raiseFrontWindow(Pid pid, std::string_view title, const std::optional<platform::Screen>& movingTo);

protected:
    /// Raises the window `id`, then moves it onto `movingTo` when set; false when it is gone.
    virtual bool raiseWindow(std::uint32_t id, const std::optional<platform::Screen>& movingTo) = 0;
    /// The frontmost normal window of `pid` whose title begins with `title`; none without one.
    virtual std::optional<std::uint32_t> frontWindowOf(Pid pid, std::string_view title) = 0;
};

}  // namespace zerlith::xdg
