#include "providers/macos_model/ax.hpp"

#include "platform/platform.hpp"

namespace zerlith::AX {
namespace {

template <typename T>
std::optional<T> read(const AXElementRef& element, std::string_view attribute) {
    if (!element) return std::nullopt;
    auto reading = platform::currentMacOS().accessibility().copyAttribute(element, attribute);
    if (reading.error != platform::AXError::success || !reading.value) return std::nullopt;
    if (const T* value = std::get_if<T>(&*reading.value)) return *value;
    return std::nullopt;
}

}  // namespace

std::optional<bool> boolean(const AXElementRef& element, std::string_view attribute) {
    return read<bool>(element, attribute);
}

std::optional<std::string> string(const AXElementRef& element, std::string_view attribute) {
    return read<std::string>(element, attribute);
}

std::optional<AXElementRef> element(const AXElementRef& element, std::string_view attribute) {
    auto value = read<AXElementRef>(element, attribute);
    if (value && !*value) return std::nullopt;
    return value;
}

std::optional<std::vector<AXElementRef>> elements(const AXElementRef& element, std::string_view attribute) {
    return read<std::vector<AXElementRef>>(element, attribute);
}

std::optional<Point> point(const AXElementRef& element, std::string_view attribute) {
    return read<Point>(element, attribute);
}

std::optional<Size> size(const AXElementRef& element, std::string_view attribute) {
    return read<Size>(element, attribute);
}

std::optional<Rect> frame(const AXElementRef& element) {
    auto origin = point(element, platform::ax::kPosition);
    if (!origin) return std::nullopt;
    auto extent = size(element, platform::ax::kSize);
    if (!extent) return std::nullopt;
    return Rect{origin->x, origin->y, extent->width, extent->height};
}

AXElementRef application(Pid pid, double messagingTimeout) {
    auto& accessibility = platform::currentMacOS().accessibility();
    auto app = accessibility.application(pid);
    accessibility.setMessagingTimeout(app, messagingTimeout);
    return app;
}

}  // namespace zerlith::AX
