#include "sources/window_source.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <unordered_map>

#include "platform/platform.hpp"
#include "sources/source_text.hpp"
#include "system/ax.hpp"
#include "system/screens.hpp"

namespace zerlith::WindowSource {
namespace {

using platform::RunningApplication;
using platform::WindowRecord;

/// Applications listed through their tabs instead of their windows.
constexpr std::array<std::string_view, 2> kTabSourcedBundleIDs = {"com.google.Chrome", "com.apple.Safari"};

/// Markers editors put before a title with unsaved changes; each is tried once, in this order.
constexpr std::array<std::string_view, 3> kTitleMarkers = {"\u25CF ", "\u2022 ", "* "};

/// Applications that do not answer within this time contribute no accessibility windows.
constexpr double kMessagingTimeout = 0.25;

constexpr double kMinimumAlpha = 0.05;
constexpr double kMinimumWidth = 120;
constexpr double kMinimumHeight = 60;

/// A candidate must score at least this: a title alone, or origin and size together.
constexpr int kMinimumMatchScore = 3;
/// Origin, size and an equal title: no candidate can score more.
constexpr int kPerfectMatchScore = 7;

using AppsByPid = std::unordered_map<Pid, RunningApplication>;
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

AppsByPid regularApps() {
    AppsByPid apps;
    for (auto& app : platform::current().workspace().runningApplications()) {
        if (app.activationPolicy == platform::ActivationPolicy::regular)
            apps.emplace(app.pid, std::move(app));
    }
    return apps;
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
        candidates.push_back({window, detail::clean(*title), {origin.x, origin.y, size.width, size.height}});
    }
    std::reverse(candidates.begin(), candidates.end());  // as takeBestMatch() takes them
    return candidates;
}

CandidatesByPid buildAXCandidates(const AppsByPid& apps) {
    CandidatesByPid candidates;
    if (!platform::current().accessibility().isProcessTrusted()) return candidates;
    for (const auto& [pid, app] : apps) {
        if (auto list = candidatesOf(pid)) candidates.emplace(pid, std::move(*list));
    }
    return candidates;
}

std::vector<detail::CGWindowInfo> coreGraphicsWindows() {
    auto& windowServer = platform::current().windowServer();
    if (!windowServer.preflightScreenCaptureAccess()) return {};
    const Pid ownPid = platform::current().workspace().ownPid();
    std::vector<detail::CGWindowInfo> windows;
    for (const auto& record : windowServer.windowList()) {
        if (auto window = detail::windowInfo(record, ownPid)) windows.push_back(std::move(*window));
    }
    return windows;
}

/// Whether an application is listed through its tabs instead of its windows: Chrome and Safari;
/// where the browsers are reached through their extension, the browsers connected now (one that
/// runs without it keeps its windows, or it would vanish from the list).
std::function<bool(Pid, std::string_view)> tabSourced() {
    if (auto* bridge = platform::current().browserBridge()) {
        std::vector<Pid> connected;
        for (const auto& browser : bridge->connectedBrowsers()) connected.push_back(browser.pid);
        return [connected](Pid pid, std::string_view) {
            return std::find(connected.begin(), connected.end(), pid) != connected.end();
        };
    }
    return [](Pid, std::string_view bundleID) {
        return std::find(kTabSourcedBundleIDs.begin(), kTabSourcedBundleIDs.end(), bundleID) != kTabSourcedBundleIDs.end();
    };
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

std::vector<Target> enumerate() {
    const AppsByPid apps = regularApps();
    if (apps.empty()) return {};
    CandidatesByPid candidates = buildAXCandidates(apps);
    const auto isTabSourced = tabSourced();
    const auto windows = coreGraphicsWindows();
    if (windows.empty()) return {};

    const auto screens = platform::current().display().screens();
    IdNumbering numbering;
    std::vector<Target> targets;
    targets.reserve(windows.size());
    for (const auto& window : windows) {
        const auto app = apps.find(window.pid);
        if (app == apps.end()) continue;
        std::string title = detail::clean(window.title);
        if (title.empty()) continue;
        const std::string appName = app->second.localizedName.value_or("Unknown");
        const std::string bundleID = app->second.bundleIdentifier.value_or("");
        if (isTabSourced(window.pid, bundleID)) continue;

        platform::AXElementRef element;
        if (auto list = candidates.find(window.pid); list != candidates.end()) {
            element = detail::takeBestMatch(list->second, window.frame, title);
        }
        auto numbered = numbering.take("win:" + bundleID + ":" + title);
        std::optional<std::string> screenName;
        if (auto screen = Screens::screenForAXRect(window.frame, screens)) screenName = std::move(screen->name);

        Target target;
        target.id = std::move(numbered.id);
        target.kind = TargetKind::window;
        target.title = std::move(title);
        target.subtitle = appName;
        target.appName = appName;
        target.bundleID = bundleID;
        target.screenName = std::move(screenName);
        target.window = std::make_shared<const WindowRef>(WindowRef{
            window.id, window.pid, window.frame, window.isOnscreen, std::move(element), numbered.repeat});
        targets.push_back(std::move(target));
    }
    return targets;
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
    if (const auto alpha = numberMember(record.alpha); alpha && !(*alpha > kMinimumAlpha)) return std::nullopt;
    // A missing extent counts as 0.
    const Rect frame{bounds->x.value_or(0), bounds->y.value_or(0), bounds->width.value_or(0),
                     bounds->height.value_or(0)};
    if (!(frame.absWidth() >= kMinimumWidth && frame.absHeight() >= kMinimumHeight)) return std::nullopt;

    const auto* onscreen = member<bool>(record.isOnscreen);
    return CGWindowInfo{static_cast<std::uint32_t>(*number), static_cast<Pid>(*pid), *name, frame,
                        onscreen != nullptr && *onscreen};
}

std::string clean(std::string_view title) {
    for (const auto marker : kTitleMarkers) {
        if (SourceText::startsWithCharacters(title, marker)) title.remove_prefix(marker.size());
    }
    return std::string(SourceText::trimmed(title));
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

}  // namespace zerlith::WindowSource
