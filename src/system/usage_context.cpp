#include "system/usage_context.hpp"

#include "platform/platform.hpp"
#include "system/ax.hpp"

namespace zerlith::UsageContext {
namespace {

/// A hung application must not hold up the palette's opening for long.
constexpr double kContextTimeoutSeconds = 0.15;

}  // namespace

std::optional<std::string> currentKey() {
    const auto app = platform::current().workspace().frontmostApplication();
    if (!app) return std::nullopt;
    std::string key = app->bundleIdentifier.value_or("?");
    const auto application = AX::application(app->pid, kContextTimeoutSeconds);
    const auto window = AX::element(application, platform::ax::kFocusedWindow);
    if (!window) return key;
    const auto title = AX::string(*window, platform::ax::kTitle);
    if (!title || title->empty()) return key;
    return key + "|" + *title;
}

}  // namespace zerlith::UsageContext
