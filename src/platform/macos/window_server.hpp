#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zerlith::platform {

/// A window's bounds, in the window server's top-left space; any member may be missing.
struct WindowBounds {
    std::optional<double> x;
    std::optional<double> y;
    std::optional<double> width;
    std::optional<double> height;
    bool operator==(const WindowBounds&) const = default;
};

/// One value of a window record. Integers and reals are distinct, as the filters need.
using WindowValue = std::variant<bool, std::int64_t, double, std::string, WindowBounds>;

/// One window of the window server's list. Any member may be missing or hold another type than
/// usual; readers treat both as the platform would. Plain members rather than a dictionary keep
/// a list of thousands of windows cheap to build and read.
struct WindowRecord {
    std::optional<WindowValue> layer;       ///< usually an integer; 0 for ordinary windows
    std::optional<WindowValue> ownerPID;    ///< integer
    std::optional<WindowValue> number;      ///< integer, the window's id
    std::optional<WindowValue> bounds;      ///< WindowBounds
    std::optional<WindowValue> name;        ///< string, the title; missing without screen recording
    std::optional<WindowValue> alpha;       ///< real
    std::optional<WindowValue> isOnscreen;  ///< bool
};

/// The value of a record's member as a `T`, or null when it is missing or of another type.
template <typename T>
const T* member(const std::optional<WindowValue>& value) {
    return value ? std::get_if<T>(&*value) : nullptr;
}

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
};

}  // namespace zerlith::platform
