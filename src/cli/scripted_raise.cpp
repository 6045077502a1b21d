#include "cli/scripted_raise.hpp"

#include <iostream>

#include "activation/activator.hpp"
#include "cache/snapshot_store.hpp"
#include "cli/output_file.hpp"
#include "desktop/screens.hpp"
#include "desktop/tabs.hpp"
#include "desktop/windows.hpp"
#include "platform/platform.hpp"
#include "ranking/unicode_text.hpp"
#include "sources/browser_source.hpp"
#include "sources/source_text.hpp"

namespace zerlith::ScriptedRaise {
namespace {

using nlohmann::json;

constexpr double kSettleBeforeRaise = 0.4;
constexpr double kWaitForActivation = 4.0;
constexpr double kFocusedWindowTimeout = 0.25;

/// What to look for: the query without its kind suffix, and the kind the suffix names.
struct Query {
    std::string text;
    std::optional<TargetKind> kind;
};

Query parseQuery(std::string_view raw) {
    const auto colon = raw.rfind(':');
    if (colon != std::string_view::npos) {
        if (const auto kind = targetKindFromRaw(raw.substr(colon + 1))) {
            return {std::string(raw.substr(0, colon)), kind};
        }
    }
    return {std::string(raw), std::nullopt};
}

/// Full Unicode case folding, so that "STRASSE" finds "Straße". Texts beyond what is analysed
/// are compared as they are.
std::string folded(std::string_view text) {
    if (text.size() > UnicodeText::kMaxTextBytes) return std::string(text);
    return UnicodeText::toUtf8(UnicodeText::fromUtf8(text).foldCase());
}

bool containsIgnoringCase(std::string_view haystack, std::string_view needle) {
    return folded(haystack).find(folded(needle)) != std::string::npos;
}

std::optional<Target> firstMatch(const std::vector<Target>& targets, const Query& query) {
    if (query.text.empty()) return std::nullopt;
    for (const auto& target : targets) {
        if (query.kind && target.kind != *query.kind) continue;
        if (containsIgnoringCase(target.title, query.text)) return target;
    }
    return std::nullopt;
}

/// The screen the move value names, with "fromScreen" and "toScreen" noted in the trace.
std::optional<platform::Screen> destination(const std::string& moveValue, json& trace) {
    std::optional<platform::Screen> found;
    if (moveValue == "left" || moveValue == "right") {
        const auto active = Screens::active();
        trace["fromScreen"] = active ? active->name : "?";
        const auto direction = moveValue == "left" ? Screens::Direction::left : Screens::Direction::right;
        if (active) found = Screens::neighbor(*active, direction);
    } else {
        for (const auto& screen : platform::current().display().screens()) {
            if (containsIgnoringCase(screen.name, moveValue)) {
                found = screen;
                break;
            }
        }
    }
    trace["toScreen"] = found ? found->name : "no match";
    return found;
}

/// The title of the tab its window shows now: from the browser's extension where there is one.
std::string activeTabTitle(const TabRef& tab) {
    if (auto* bridge = platform::current().browserBridge()) {
        for (const auto& browser : bridge->connectedBrowsers()) {
            if (browser.kind != rawValue(tab.browser)) continue;
            for (const auto& each : browser.tabs) {
                if (each.windowID == tab.windowID && each.active) return std::string(SourceText::trimmed(each.title));
            }
        }
        return {};
    }
    auto* tabs = platform::current().tabs();
    return tabs != nullptr ? tabs->frontTabTitle(tab.browser).value_or("") : "";
}

/// The focused window of the target's application: the window's own process, or the browser's.
std::optional<desktop::FocusedWindow> focusedWindowAfter(const Target& target) {
    auto& windows = platform::current().windows();
    if (target.window) return windows.focusedWindow(target.window->pid, kFocusedWindowTimeout);
    if (target.kind != TargetKind::tab) return std::nullopt;
    const auto app = target.tab ? BrowserSource::runningApp(target.tab->browser) : std::nullopt;
    if (!app) return std::nullopt;
    return windows.focusedWindow(app->pid, kFocusedWindowTimeout);
}

/// Records where the activation landed: the front tab, the focused window and its screen.
void noteOutcome(const ActivationLog& log, const Target& target, const std::optional<platform::Screen>& requested, json& trace) {
    trace["trace"] = log.lastTrace();
    const auto front = platform::current().workspace().frontmostApplication();
    trace["frontmostApp"] = front && front->localizedName ? *front->localizedName : "?";

    if (target.kind == TargetKind::tab && target.tab) {
        const auto activeTab = activeTabTitle(*target.tab);
        trace["activeTabAfter"] = activeTab;
        trace["correctTab"] = activeTab == target.title;
    }

    const auto focused = focusedWindowAfter(target);
    if (!focused) return;
    const auto& title = focused->title;
    trace["focusedWindowAfter"] = title;
    trace["correctWindow"] = title.starts_with(target.title) || target.title.starts_with(title);

    if (!focused->frame) return;
    const auto holding = Screens::screenForAXRect(*focused->frame);
    trace["screenAfter"] = holding ? holding->name : "unknown";
    if (requested) trace["landedOnRequestedScreen"] = holding && *holding == *requested;
}

}  // namespace

bool raise(SnapshotStore& store, ActivationLog& log, std::string_view query,
           const std::optional<std::string>& moveValue, const std::optional<std::string>& tracePath) {
    auto& dispatch = platform::current().dispatch();
    dispatch.runMainFor(kSettleBeforeRaise);
    const auto targets = store.refreshAllBlocking();

    json trace = json::object();
    trace["query"] = std::string(query);
    const auto target = firstMatch(targets, parseQuery(query));
    if (!target) {
        trace["found"] = false;
        auto& titles = trace["available"] = json::array();
        for (const auto& candidate : targets) titles.push_back(candidate.title);
        return write(trace, tracePath);
    }

    trace["found"] = true;
    trace["requestedTitle"] = target->title;
    trace["app"] = target->appName;
    trace["onCurrentSpace"] = target->window && target->window->isOnCurrentSpace;
    trace["route"] = target->window && target->window->raisesDirectly ? "ax-direct" : "window-menu";
    const auto requested = moveValue ? destination(*moveValue, trace) : std::nullopt;
    trace["screenBefore"] = target->screenName.value_or("unknown");

    trace["activated"] = Activator::activate(log, *target, requested);
    dispatch.runMainFor(kWaitForActivation);
    noteOutcome(log, *target, requested, trace);
    return write(trace, tracePath);
}

bool write(const nlohmann::json& trace, const std::optional<std::string>& path) {
    std::string text;
    try {
        // Titles come from other applications; a stray invalid byte must not lose the trace.
        text = trace.dump(2, ' ', false, json::error_handler_t::replace);
    } catch (const json::exception&) {
        return true;
    }
    if (path) return CLI::writeOutputFile(*path, text, std::cerr);
    std::cout << text << "\n" << std::flush;
    return true;
}

}  // namespace zerlith::ScriptedRaise
