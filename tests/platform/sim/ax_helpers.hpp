#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/macos/accessibility.hpp"

namespace zerlith::testing {

/// Short typed reads for the simulated desktop's tests: none for any failure or other type.
template <class T>
std::optional<T> readAs(platform::Accessibility& ax, const platform::AXElementRef& element,
                        std::string_view attribute) {
    const auto reading = ax.copyAttribute(element, attribute);
    if (reading.error != platform::AXError::success || !reading.value) return std::nullopt;
    const T* typed = std::get_if<T>(&*reading.value);
    return typed ? std::optional<T>(*typed) : std::nullopt;
}

inline std::vector<platform::AXElementRef> children(platform::Accessibility& ax,
                                                    const platform::AXElementRef& element,
                                                    std::string_view attribute = platform::ax::kChildren) {
    return readAs<std::vector<platform::AXElementRef>>(ax, element, attribute)
        .value_or(std::vector<platform::AXElementRef>{});
}

/// The "AXTitle" of each element, "?" where it cannot be read.
inline std::vector<std::string> titles(platform::Accessibility& ax,
                                       const std::vector<platform::AXElementRef>& elements) {
    std::vector<std::string> result;
    for (const auto& element : elements)
        result.push_back(readAs<std::string>(ax, element, platform::ax::kTitle).value_or("?"));
    return result;
}

/// The items of the app's menu titled `menu`, in order.
inline std::vector<platform::AXElementRef> menuItems(platform::Accessibility& ax, Pid pid,
                                                     std::string_view menu) {
    const auto bar = readAs<platform::AXElementRef>(ax, ax.application(pid), platform::ax::kMenuBar);
    if (!bar) return {};
    for (const auto& barItem : children(ax, *bar)) {
        if (readAs<std::string>(ax, barItem, platform::ax::kTitle) != menu) continue;
        const auto menus = children(ax, barItem);
        return menus.empty() ? std::vector<platform::AXElementRef>{} : children(ax, menus.front());
    }
    return {};
}

}  // namespace zerlith::testing
