#include "providers/macos_model/window_menu.hpp"

#include <algorithm>
#include <memory>

#include "platform/platform.hpp"
#include "providers/macos_model/ax.hpp"
#include "ranking/unicode_text.hpp"
#include "system/running_apps.hpp"

namespace zerlith::WindowMenu {
namespace {

namespace ax = platform::ax;

constexpr double kMenuTimeout = 1.0;
constexpr double kFrontmostTimeout = 0.5;
constexpr double kFocusedWindowTimeout = 0.25;
constexpr double kPollInterval = 0.05;
constexpr double kFirstLandingTimeout = 0.45;
constexpr double kRetryLandingTimeout = 0.6;
constexpr double kPreActivationWait = 0.25;
constexpr double kRetryActivationWait = 0.4;
constexpr double kHintFreshness = 600;
constexpr std::int64_t kNoOpsToMark = 2;
constexpr std::size_t kLeastCharactersAroundEllipsis = 8;

constexpr std::string_view kEllipsis = "\u2026";
constexpr std::string_view kTitleSeparator = " \u2014 ";

std::uint64_t nowNanos() { return platform::current().clock().monotonicNanos(); }

void wait(double seconds) { platform::current().clock().sleep(seconds); }

void activateApp(Pid pid) { platform::current().workspace().activate(pid); }

/// User-perceived characters; a text too long to analyse has plenty.
std::size_t characterCount(std::string_view text) {
    if (text.size() > UnicodeText::kMaxTextBytes) return text.size();
    return UnicodeText::characterCount(UnicodeText::fromUtf8(text));
}

/// The text after the first title separator, or none when the title has no separator.
std::optional<std::string_view> partAfterSeparator(std::string_view title) {
    const auto at = title.find(kTitleSeparator);
    if (at == std::string_view::npos) return std::nullopt;
    return title.substr(at + kTitleSeparator.size());
}

/// compare() on the whole title, or on its part after the separator when that is not empty.
bool matchesWholeOrTail(std::string_view observed, std::string_view wanted) {
    if (compare(observed, wanted)) return true;
    const auto tail = partAfterSeparator(observed);
    return tail && !tail->empty() && compare(*tail, wanted);
}

/// The hint key of a process: its bundle identifier, else its decimal process id.
std::string hintKey(Pid pid) {
    const auto app = RunningApps::withPid(pid);
    if (app && app->bundleIdentifier) return *app->bundleIdentifier;
    return std::to_string(pid);
}

/// The items of the "Window" menu, or of every menu when the menu bar has none by that title.
std::vector<platform::AXElementRef> windowMenuItems(const platform::AXElementRef& app) {
    const auto menuBar = AX::element(app, ax::kMenuBar);
    if (!menuBar) return {};
    const auto barItems = AX::elements(*menuBar, ax::kChildren);
    if (!barItems) return {};

    std::vector<platform::AXElementRef> toScan = *barItems;
    for (const auto& barItem : *barItems) {
        if (AX::string(barItem, ax::kTitle) == "Window") {
            toScan = {barItem};
            break;
        }
    }

    std::vector<platform::AXElementRef> items;
    for (const auto& barItem : toScan) {
        const auto menus = AX::elements(barItem, ax::kChildren);
        if (!menus || menus->empty()) continue;
        const auto menuItems = AX::elements(menus->front(), ax::kChildren);
        if (!menuItems) continue;
        items.insert(items.end(), menuItems->begin(), menuItems->end());
    }
    return items;
}

/// Polls until `pid` is frontmost with a focused window that matches `title`, or the timeout
/// passes.
bool waitUntilLanded(Pid pid, std::string_view title, double timeout) {
    const auto app = AX::application(pid, kFrontmostTimeout);
    const auto deadline = nowNanos() + static_cast<std::uint64_t>(timeout * 1e9);
    while (nowNanos() < deadline) {
        wait(kPollInterval);
        if (AX::boolean(app, ax::kFrontmost) != true) continue;
        const auto focused = AX::element(AX::application(pid, kFocusedWindowTimeout), ax::kFocusedWindow);
        if (!focused) continue;
        const auto focusedTitle = AX::string(*focused, ax::kTitle);
        if (!focusedTitle) continue;
        if (matchesWholeOrTail(*focusedTitle, title)) return true;
    }
    return false;
}

/// Counts a press that changed nothing; the second in a row marks the application.
void recordNoOp(ActivationLog& log, const std::string& key) {
    const auto now = nowNanos();
    log.updateHint(key, [now](ActivationHint& noted) {
        noted.consecutiveNoOps += 1;
        if (noted.consecutiveNoOps >= kNoOpsToMark) noted.markedAt = now;
    });
}

/// Whether a marked hint is still young enough to activate before pressing.
bool isFresh(const ActivationHint& hint) {
    const double age = static_cast<double>(nowNanos() - *hint.markedAt) / 1e9;
    return age < kHintFreshness;
}

bool press(const platform::AXElementRef& item) {
    return platform::currentMacOS().accessibility().performAction(item, ax::kPress) == platform::AXError::success;
}

bool passes(const std::function<bool()>& verify) { return !verify || verify(); }

}  // namespace

bool compare(std::string_view observed, std::string_view wanted) {
    if (observed == wanted) return true;
    if (observed.starts_with(wanted) || wanted.starts_with(observed)) return true;
    const auto at = observed.find(kEllipsis);
    if (at == std::string_view::npos) return false;
    const auto head = observed.substr(0, at);
    const auto tail = observed.substr(at + kEllipsis.size());
    if (head.empty() || tail.empty()) return false;
    if (characterCount(head) + characterCount(tail) < kLeastCharactersAroundEllipsis) return false;
    return wanted.starts_with(head) && wanted.ends_with(tail);
}

std::vector<platform::AXElementRef> matchingItems(Pid pid, std::string_view title) {
    std::vector<platform::AXElementRef> exact;
    std::vector<platform::AXElementRef> loose;
    for (const auto& item : windowMenuItems(AX::application(pid, kMenuTimeout))) {
        const auto itemTitle = AX::string(item, ax::kTitle);
        if (!itemTitle || itemTitle->empty()) continue;
        if (*itemTitle == title) {
            exact.push_back(item);
        } else if (matchesWholeOrTail(*itemTitle, title)) {
            loose.push_back(item);
        }
    }
    exact.insert(exact.end(), loose.begin(), loose.end());
    return exact;
}

bool raise(ActivationLog& log, Pid pid, const std::string& title, std::int64_t duplicateIndex,
           const std::function<bool()>& verify) {
    log.appendTrace("menu.raise target='" + title + "'");
    const auto key = hintKey(pid);

    auto candidates = matchingItems(pid, title);
    if (candidates.empty()) {
        log.appendTrace("no matching menu entry");
        return false;
    }
    log.appendTrace("candidates=" + std::to_string(candidates.size()));
    const auto last = static_cast<std::int64_t>(candidates.size()) - 1;
    const auto start = std::clamp<std::int64_t>(duplicateIndex, 0, last);
    std::rotate(candidates.begin(), candidates.begin() + start, candidates.end());

    for (std::size_t number = 0; number < candidates.size(); ++number) {
        const auto& candidate = candidates[number];
        const auto label = std::to_string(number);
        bool preActivated = false;
        if (number == 0) {
            const auto existing = log.hint(key);
            if (existing && existing->markedAt) {
                if (isFresh(*existing)) {
                    activateApp(pid);
                    wait(kPreActivationWait);
                    preActivated = true;
                } else {
                    log.storeHint(key, ActivationHint{});
                }
            }
        }

        if (!press(candidate)) continue;

        if (waitUntilLanded(pid, title, kFirstLandingTimeout)) {
            if (passes(verify)) {
                log.appendTrace("landed on candidate " + label);
                if (!preActivated) log.storeHint(key, ActivationHint{});
                return true;
            }
            log.appendTrace("candidate " + label + " was the wrong window");
            continue;
        }

        if (number == 0 && !preActivated) {
            log.appendTrace("press was a no-op; activating and retrying");
            recordNoOp(log, key);
            activateApp(pid);
            wait(kRetryActivationWait);
            press(candidate);
            if (waitUntilLanded(pid, title, kRetryLandingTimeout) && passes(verify)) {
                log.appendTrace("landed after activation");
                return true;
            }
        }
    }
    log.appendTrace("no candidate satisfied the check");
    return false;
}

}  // namespace zerlith::WindowMenu
