#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/geometry.hpp"

namespace zerlith::platform {

enum class ActivationPolicy { regular, accessory, prohibited };

struct RunningApplication {
    Pid pid = 0;
    std::optional<std::string> localizedName;     ///< absent: the application has none
    std::optional<std::string> bundleIdentifier;  ///< absent: the application has none
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
};

/// An application icon, as a file the user interface can load.
struct Icon {
    std::string path;
};

/// A window's own icon: 32-bit ARGB pixels (alpha in the high byte, not premultiplied), row by
/// row.
struct WindowIcon {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
    bool operator==(const WindowIcon&) const = default;
};

/// Running applications and what can be asked of them. Any thread.
class Workspace {
public:
    virtual ~Workspace() = default;

    virtual std::vector<RunningApplication> runningApplications() = 0;
    /// The application with the keyboard focus, or none.
    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    /// Brings the application to the front; false when it does not run.
    virtual bool activate(Pid pid) = 0;
    /// This process's own id on this desktop (its own windows are never targets).
    virtual Pid ownPid() = 0;

    /// Hands a URL to the desktop's opener; false when nothing opens it.
    virtual bool openURL(std::string_view url) = 0;
    /// Where the application with this bundle identifier is installed, or none.
    virtual std::optional<std::string> applicationPath(std::string_view bundleID) = 0;
    /// The icon of the application installed at a path, or none.
    virtual std::optional<Icon> iconForFile(std::string_view path) = 0;
};

}  // namespace zerlith::platform
