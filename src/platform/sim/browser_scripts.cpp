#include "platform/sim/browser_scripts.hpp"

#include <charconv>

namespace zerlith::sim {
namespace {

// The texts Zerlith sends, letter for letter; "¬" continues a line in AppleScript.
constexpr std::string_view kChromeListing = R"(tell application "Google Chrome"
    set fs to (ASCII character 31)
    set rs to (ASCII character 30)
    set winIDs to id of every window
    set winVis to visible of every window
    set winAct to active tab index of every window
    set allTitles to title of every tab of every window
    set allURLs to URL of every tab of every window
    set out to ""
    repeat with i from 1 to count of winIDs
        set ts to item i of allTitles
        set us to item i of allURLs
        repeat with j from 1 to count of ts
            set out to out & (item i of winIDs) & fs & (item i of winVis) & fs & ¬
                (item i of winAct) & fs & j & fs & (item j of ts) & fs & (item j of us) & rs
        end repeat
    end repeat
    return out
end tell)";

constexpr std::string_view kSafariListing = R"(tell application "Safari"
    set fs to (ASCII character 31)
    set rs to (ASCII character 30)
    set out to ""
    repeat with w in windows
        try
            set wid to id of w
            set vis to visible of w
            set act to index of current tab of w
            set ts to name of every tab of w
            set us to URL of every tab of w
            repeat with j from 1 to count of ts
                set out to out & wid & fs & vis & fs & act & fs & j & fs & ¬
                    (item j of ts) & fs & (item j of us) & rs
            end repeat
        end try
    end repeat
    return out
end tell)";

/// A script with two numbers in it: the text before, between and after them.
struct Template {
    std::string_view head;
    std::string_view middle;
    std::string_view tail;
};

constexpr Template kChromeSelect{
    "tell application \"Google Chrome\"\n    set targetWindow to first window whose id is ",
    "\n    set active tab index of targetWindow to ", "\nend tell"};
constexpr Template kSafariSelect{
    "tell application \"Safari\"\n    set targetWindow to first window whose id is ",
    "\n    set current tab of targetWindow to tab ", " of targetWindow\nend tell"};

struct FixedScript {
    std::string_view text;
    Browser browser;
    BrowserScript::Request request;
};

constexpr FixedScript kFixedScripts[] = {
    {kChromeListing, Browser::chrome, BrowserScript::Request::listTabs},
    {kSafariListing, Browser::safari, BrowserScript::Request::listTabs},
    {"tell application \"Google Chrome\" to return URL of active tab of front window", Browser::chrome,
     BrowserScript::Request::frontTabURL},
    {"tell application \"Safari\" to return URL of current tab of front window", Browser::safari,
     BrowserScript::Request::frontTabURL},
    {"tell application \"Google Chrome\" to return title of active tab of front window", Browser::chrome,
     BrowserScript::Request::frontTabTitle},
    {"tell application \"Safari\" to return name of current tab of front window", Browser::safari,
     BrowserScript::Request::frontTabTitle},
};

/// A decimal integer written as Zerlith writes one: no sign but "-", no padding.
std::optional<std::int64_t> canonicalInteger(std::string_view text) {
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    if (std::to_string(number) != text) return std::nullopt;
    return number;
}

/// The two numbers of a script made from the template, or none when it is not.
std::optional<std::pair<std::int64_t, std::int64_t>> fill(const Template& shape, std::string_view source) {
    if (!source.starts_with(shape.head) || !source.ends_with(shape.tail)) return std::nullopt;
    if (source.size() < shape.head.size() + shape.tail.size()) return std::nullopt;
    const auto numbers =
        source.substr(shape.head.size(), source.size() - shape.head.size() - shape.tail.size());
    const auto middle = numbers.find(shape.middle);
    if (middle == std::string_view::npos) return std::nullopt;
    const auto first = canonicalInteger(numbers.substr(0, middle));
    const auto second = canonicalInteger(numbers.substr(middle + shape.middle.size()));
    if (!first || !second) return std::nullopt;
    return std::pair(*first, *second);
}

}  // namespace

std::optional<Browser> addressee(std::string_view source) {
    if (source.starts_with("tell application \"Google Chrome\"")) return Browser::chrome;
    if (source.starts_with("tell application \"Safari\"")) return Browser::safari;
    return std::nullopt;
}

std::optional<BrowserScript> understand(std::string_view source) {
    for (const auto& script : kFixedScripts)
        if (source == script.text) return BrowserScript{script.browser, script.request, 0, 0};
    for (const Browser browser : {Browser::chrome, Browser::safari}) {
        const auto numbers = fill(browser == Browser::chrome ? kChromeSelect : kSafariSelect, source);
        if (numbers)
            return BrowserScript{browser, BrowserScript::Request::selectTab, numbers->first, numbers->second};
    }
    return std::nullopt;
}

std::string tabListing(const std::vector<Window*>& windows) {
    constexpr char kField = '\x1F';
    constexpr char kRecord = '\x1E';
    std::string out;
    for (const Window* window : windows) {
        for (std::size_t i = 0; i < window->tabs.size(); ++i) {
            const auto& tab = window->tabs[i];
            out += std::to_string(window->scriptId) + kField + (window->scriptVisible ? "true" : "false") +
                   kField + std::to_string(window->activeTab) + kField + std::to_string(i + 1) + kField +
                   tab.title + kField + tab.url + kRecord;
        }
    }
    return out + "\n";
}

}  // namespace zerlith::sim
