#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/geometry.hpp"

namespace zerlith::platform {

/// An accessibility object of another application: an application, a window, a menu bar, a menu
/// or a menu item. Opaque to the core; each backend subclasses it. Shared by reference.
class AXElement {
public:
    virtual ~AXElement() = default;
};

using AXElementRef = std::shared_ptr<AXElement>;

enum class AXError {
    success,
    failure,
    cannotComplete,  ///< the application did not answer within the messaging timeout
    noValue,
    attributeUnsupported,
    actionUnsupported,
    illegalArgument,
};

/// The typed values an attribute can hold.
using AXValue = std::variant<bool, std::string, AXElementRef, std::vector<AXElementRef>, Point, Size>;

/// The outcome of reading one attribute: a status and, on success, a value.
struct AXReading {
    AXError error = AXError::noValue;
    std::optional<AXValue> value;
};

/// Attribute and action names, as the accessibility interface spells them.
namespace ax {
inline constexpr std::string_view kWindows = "AXWindows";
inline constexpr std::string_view kFocusedWindow = "AXFocusedWindow";
inline constexpr std::string_view kFrontmost = "AXFrontmost";
inline constexpr std::string_view kMenuBar = "AXMenuBar";
inline constexpr std::string_view kChildren = "AXChildren";
inline constexpr std::string_view kTitle = "AXTitle";
inline constexpr std::string_view kPosition = "AXPosition";
inline constexpr std::string_view kSize = "AXSize";
inline constexpr std::string_view kMinimized = "AXMinimized";
inline constexpr std::string_view kFullScreen = "AXFullScreen";
inline constexpr std::string_view kMain = "AXMain";
inline constexpr std::string_view kRaise = "AXRaise";
inline constexpr std::string_view kPress = "AXPress";
}  // namespace ax

/// The accessibility interface of the desktop. Any thread; calls on another application's
/// element block for at most the messaging timeout set on that element.
class Accessibility {
public:
    virtual ~Accessibility() = default;

    /// Whether this process may use accessibility (no prompt).
    virtual bool isProcessTrusted() = 0;
    /// Asks the user to trust this process; the answer arrives later, if at all.
    virtual void promptForTrust() = 0;

    /// A fresh application element for a process (it need not run: reads then fail).
    virtual AXElementRef application(Pid pid) = 0;
    virtual void setMessagingTimeout(const AXElementRef& element, double seconds) = 0;

    virtual AXReading copyAttribute(const AXElementRef& element, std::string_view attribute) = 0;
    virtual AXError setAttribute(const AXElementRef& element, std::string_view attribute,
                                 const AXValue& value) = 0;
    virtual AXError performAction(const AXElementRef& element, std::string_view action) = 0;
};

}  // namespace zerlith::platform
