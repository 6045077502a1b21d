#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zerlith::platform {

/// The members of a window's bounds ("X", "Y", "Width", "Height"); any may be missing.
using WindowBounds = std::map<std::string, double, std::less<>>;

/// One value of a window record. Integers and reals are distinct, as the filters need.
using WindowValue = std::variant<bool, std::int64_t, double, std::string, WindowBounds>;

/// One window of the window server's list. Any key may be missing or hold another type than
/// usual; readers treat both as the platform would.
using WindowRecord = std::map<std::string, WindowValue, std::less<>>;

namespace window_keys {
inline constexpr std::string_view kLayer = "kCGWindowLayer";
inline constexpr std::string_view kOwnerPID = "kCGWindowOwnerPID";
inline constexpr std::string_view kNumber = "kCGWindowNumber";
inline constexpr std::string_view kBounds = "kCGWindowBounds";
inline constexpr std::string_view kName = "kCGWindowName";
inline constexpr std::string_view kAlpha = "kCGWindowAlpha";
inline constexpr std::string_view kIsOnscreen = "kCGWindowIsOnscreen";
}  // namespace window_keys

/// A window's own icon: 32-bit ARGB pixels (alpha in the high byte, not premultiplied), row by
/// row.
struct WindowIcon {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
    bool operator==(const WindowIcon&) const = default;
};

/// The window server. Any thread.
class WindowServer {
public:
    virtual ~WindowServer() = default;

    /// Whether window titles may be read (no prompt).
    virtual bool preflightScreenCaptureAccess() = 0;
    /// Asks the user for that access; the result is what is known now.
    virtual bool requestScreenCaptureAccess() = 0;
    /// Every window of every Space, front to back, desktop elements excluded.
    virtual std::vector<WindowRecord> windowList() = 0;
    /// The icon the window itself carries, in the size closest to `preferredSize` pixels (the
    /// smallest at least that large, else the largest); none when it carries none.
    virtual std::optional<WindowIcon> windowIcon(std::uint32_t /*windowNumber*/, int /*preferredSize*/) {
        return std::nullopt;
    }
};

}  // namespace zerlith::platform
