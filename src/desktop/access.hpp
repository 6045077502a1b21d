#pragma once

namespace zerlith::desktop {

/// What a desktop that guards other applications makes the user grant the switcher.
enum class Grant {
    controlWindows,    ///< reading, raising and moving other applications' windows
    readWindowTitles,  ///< the titles in the desktop's list of windows
};

/// The grants of a desktop that asks for them (the macOS model). A desktop without one grants
/// everything. Any thread.
class Access {
public:
    virtual ~Access() = default;

    /// Read afresh on every call; nothing is cached.
    virtual bool granted(Grant grant) = 0;
    /// Shows the desktop's own request for the grant.
    virtual void ask(Grant grant) = 0;
    /// Opens the desktop's settings where the user gives the grant.
    virtual void openSettings(Grant grant) = 0;
};

}  // namespace zerlith::desktop
