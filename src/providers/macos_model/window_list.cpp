#include "providers/macos_model/window_list.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "platform/platform.hpp"
#include "providers/macos_model/ax.hpp"
#include "sources/source_text.hpp"
#include "system/running_apps.hpp"

namespace zerlith::WindowList {
namespace {

using platform::WindowRecord;

/// The window's accessibility element, held with its target for the direct raise.
struct AXWindowHandle final : WindowHandle {
    explicit AXWindowHandle(platform::AXElementRef window) : element(std::move(window)) {}
    platform::AXElementRef element;
};

/// Applications that do not answer within this time contribute no accessibility windows.
constexpr double kMessagingTimeout = 0.25;

/// A candidate must score at least this: a title alone, or origin and size together.
constexpr int kMinimumMatchScore = 3;
/// Origin, size and an equal title: no candidate can score more.
constexpr int kPerfectMatchScore = 7;

using AppsByPid = std::unordered_map<Pid, platform::RunningApplication>;
using CandidatesByPid = std::unordered_map<Pid, std::vector<detail::AXCandidate>>;

using platform::member;

/// An integer member within [low, high]; none when missing, of another type or out of range.
std::optional<std::int64_t> integerMember(const std::optional<platform::WindowValue>& value, std::int64_t low,
                                          std::int64_t high) {
    const auto* integer = member<std::int64_t>(value);
    if (integer == nullptr || *integer < low || *integer > high) return std::nullopt;
    return *integer;
}

std::optional<double> numberMember(const std::optional<platform::WindowValue>& value) {
    if (const auto* integer = member<std::int64_t>(value)) return static_cast<double>(*integer);
    if (const auto* real = member<double>(value)) return *real;
    return std::nullopt;
}

std::optional<std::vector<detail::AXCandidate>> candidatesOf(Pid pid) {
    const auto windows = AX::elements(AX::application(pid, kMessagingTimeout), platform::ax::kWindows);
    if (!windows) return std::nullopt;
    std::vector<detail::AXCandidate> candidates;
    candidates.reserve(windows->size());
    for (const auto& window : *windows) {
        const auto title = AX::string(window, platform::ax::kTitle);
        if (!title) continue;
        const Point origin = AX::point(window, platform::ax::kPosition).value_or(Point{});
        const Size size = AX::size(window, platform::ax::kSize).value_or(Size{});
        candidates.push_back({window, SourceText::cleanWindowTitle(*title), {origin.x, origin.y, size.width, size.height}});
    }
    std::reverse(candidates.begin(), candidates.end());  // as takeBestMatch() takes them
    return candidates;
}

CandidatesByPid buildAXCandidates(const AppsByPid& apps) {
    CandidatesByPid candidates;
    if (!platform::currentMacOS().accessibility().isProcessTrusted()) return candidates;
    for (const auto& [pid, app] : apps) {
        if (auto list = candidatesOf(pid)) candidates.emplace(pid, std::move(*list));
    }
    return candidates;
}

std::vector<detail::CGWindowInfo> coreGraphicsWindows() {
    auto& windowServer = platform::currentMacOS().windowServer();
    if (!windowServer.preflightScreenCaptureAccess()) return {};
    const Pid ownPid = platform::current().workspace().ownPid();
    std::vector<detail::CGWindowInfo> windows;
    for (const auto& record : windowServer.windowList()) {
        if (auto window = detail::windowInfo(record, ownPid)) windows.push_back(std::move(*window));
    }
    return windows;
}

/// A coordinate rounded half away from zero, or none when it has no 64-bit whole value.
std::optional<std::int64_t> whole(double value) {
    // 2^63 itself does not fit; anything below it rounds to a value that does.
    constexpr double kLimit = 9223372036854775808.0;
    if (!std::isfinite(value) || std::fabs(value) >= kLimit) return std::nullopt;
    return std::llround(value);
}

bool sameWhole(double a, double b) {
    const auto left = whole(a);
    return left && left == whole(b);
}

}  // namespace

std::vector<desktop::Window> list() {
    const AppsByPid apps = RunningApps::regularByPid();
    if (apps.empty()) return {};
    CandidatesByPid candidates = buildAXCandidates(apps);
    std::vector<desktop::Window> windows;
    for (auto& window : coreGraphicsWindows()) {
        platform::AXElementRef element;
        const std::string title = SourceText::cleanWindowTitle(window.title);
        // An untitled window is never listed: it must not take a candidate another one matches.
        if (auto list = candidates.find(window.pid); list != candidates.end() && !title.empty()) {
            element = detail::takeBestMatch(list->second, window.frame, title);
        }
        desktop::Window listed{window.id, window.pid, std::move(window.title), window.frame, window.isOnscreen, false, nullptr};
        if (element) {
            listed.raisesDirectly = true;
            listed.handle = handleFor(std::move(element));
        }
        windows.push_back(std::move(listed));
    }
    return windows;
}

std::shared_ptr<const WindowHandle> handleFor(platform::AXElementRef element) {
    return std::make_shared<const AXWindowHandle>(std::move(element));
}

platform::AXElementRef elementOf(const WindowRef& window) {
    const auto* handle = dynamic_cast<const AXWindowHandle*>(window.handle.get());
    return handle != nullptr ? handle->element : nullptr;
}

namespace detail {

std::optional<CGWindowInfo> windowInfo(const WindowRecord& record, Pid ownPid) {
    const auto* layer = member<std::int64_t>(record.layer);
    if (layer == nullptr || *layer != 0) return std::nullopt;
    const auto pid =
        integerMember(record.ownerPID, std::numeric_limits<Pid>::min(), std::numeric_limits<Pid>::max());
    if (!pid || *pid == ownPid) return std::nullopt;
    const auto number = integerMember(record.number, 0, std::numeric_limits<std::uint32_t>::max());
    if (!number) return std::nullopt;
    const auto* bounds = member<platform::WindowBounds>(record.bounds);
    if (bounds == nullptr) return std::nullopt;
    const auto* name = member<std::string>(record.name);
    if (name == nullptr) return std::nullopt;
    if (const auto alpha = numberMember(record.alpha); alpha && !(*alpha > desktop::kMinimumWindowAlpha)) return std::nullopt;
    // A missing extent counts as 0.
    const Rect frame{bounds->x.value_or(0), bounds->y.value_or(0), bounds->width.value_or(0),
                     bounds->height.value_or(0)};
    if (!desktop::isSwitchableSize(frame)) return std::nullopt;

    const auto* onscreen = member<bool>(record.isOnscreen);
    return CGWindowInfo{static_cast<std::uint32_t>(*number), static_cast<Pid>(*pid), *name, frame,
                        onscreen != nullptr && *onscreen};
}

int titleAffinity(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty()) return 0;
    if (a == b) return 3;
    if (a.starts_with(b) || b.starts_with(a)) return 2;
    return 0;
}

int matchScore(const AXCandidate& ax, const Rect& frame, std::string_view cleanedTitle) {
    int score = 0;
    if (sameWhole(ax.frame.x, frame.x) && sameWhole(ax.frame.y, frame.y)) score += 2;
    if (sameWhole(ax.frame.absWidth(), frame.absWidth()) &&
        sameWhole(ax.frame.absHeight(), frame.absHeight())) {
        score += 2;
    }
    return score + titleAffinity(ax.title, cleanedTitle);
}

platform::AXElementRef takeBestMatch(std::vector<AXCandidate>& lastFirst, const Rect& frame,
                                     std::string_view cleanedTitle) {
    auto best = lastFirst.rend();
    int bestScore = 0;
    // Windows come in the order their applications list them, so the match is usually the first
    // candidate left: stopping at a perfect score keeps the join linear in the windows.
    for (auto candidate = lastFirst.rbegin(); candidate != lastFirst.rend() && bestScore < kPerfectMatchScore;
         ++candidate) {
        const int score = matchScore(*candidate, frame, cleanedTitle);
        if (best == lastFirst.rend() || score > bestScore) {
            best = candidate;
            bestScore = score;
        }
    }
    if (best == lastFirst.rend() || bestScore < kMinimumMatchScore) return nullptr;
    auto element = std::move(best->element);
    lastFirst.erase(std::next(best).base());
    return element;
}

}  // namespace detail

}  // namespace zerlith::WindowList
