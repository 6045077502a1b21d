#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/macos/accessibility.hpp"

namespace zerlith::AX {

using platform::AXElementRef;

/// Typed reads of one attribute through the installed platform. A failed read, a missing value
/// and a value of another type all give none.
std::optional<bool> boolean(const AXElementRef& element, std::string_view attribute);
std::optional<std::string> string(const AXElementRef& element, std::string_view attribute);
std::optional<AXElementRef> element(const AXElementRef& element, std::string_view attribute);
std::optional<std::vector<AXElementRef>> elements(const AXElementRef& element, std::string_view attribute);
std::optional<Point> point(const AXElementRef& element, std::string_view attribute);
std::optional<Size> size(const AXElementRef& element, std::string_view attribute);

/// "AXPosition" and "AXSize" together; none unless both read as values of the right kind.
std::optional<Rect> frame(const AXElementRef& element);

/// A fresh application element for a process with its messaging timeout already set.
AXElementRef application(Pid pid, double messagingTimeout);

}  // namespace zerlith::AX
