#include "system/usage_context.hpp"

#include "desktop/windows.hpp"
#include "platform/platform.hpp"

namespace zerlith::UsageContext {
namespace {

/// A hung application must not hold up the palette's opening for long.
constexpr double kContextTimeoutSeconds = 0.15;

}  // namespace

std::optional<std::string> currentKey() {
    const auto app = platform::current().workspace().frontmostApplication();
    if (!app) return std::nullopt;
    std::string key = app->bundleIdentifier.value_or("?");
    const auto window = platform::current().windows().focusedWindow(app->pid, kContextTimeoutSeconds);
    if (!window || window->title.empty()) return key;
    return key + "|" + window->title;
}

}  // namespace zerlith::UsageContext
