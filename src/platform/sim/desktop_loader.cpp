#include "platform/sim/desktop_loader.hpp"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <set>
#include <sstream>
#include <utility>

#include <nlohmann/json.hpp>

namespace zerlith::sim {
namespace {

using nlohmann::json;

/// Thrown inside the loader only; parseDesktop turns it into the one-line error.
struct Refused {
    std::string message;
};

/// A JSON value and the member path that leads to it, for error messages.
class Node {
public:
    Node(const json& value, std::string path) : value_(value), path_(std::move(path)) {}

    [[noreturn]] void refuse(const std::string& what) const {
        throw Refused{path_.empty() ? what : path_ + ": " + what};
    }

    std::optional<Node> member(const char* key) const {
        const auto found = value_.find(key);
        if (found == value_.end()) return std::nullopt;
        return Node(*found, path_.empty() ? key : path_ + "." + key);
    }

    Node required(const char* key) const {
        auto found = member(key);
        if (!found) Node(value_, path_.empty() ? key : path_ + "." + key).refuse("missing");
        return *found;
    }

    bool isNull() const { return value_.is_null(); }

    void expectObject() const {
        if (!value_.is_object()) refuse("expected an object");
    }

    std::vector<Node> items() const {
        if (!value_.is_array()) refuse("expected an array");
        std::vector<Node> nodes;
        for (std::size_t i = 0; i < value_.size(); ++i)
            nodes.emplace_back(value_[i], path_ + "[" + std::to_string(i) + "]");
        return nodes;
    }

    bool boolean() const {
        if (!value_.is_boolean()) refuse("expected true or false");
        return value_.get<bool>();
    }

    double number() const {
        if (!value_.is_number()) refuse("expected a number");
        return value_.get<double>();
    }

    std::int64_t integer(std::int64_t min, std::int64_t max) const {
        if (!value_.is_number_integer()) refuse("expected an integer");
        const bool fits = value_.is_number_unsigned()
                              ? value_.get<std::uint64_t>() <= static_cast<std::uint64_t>(max)
                              : value_.get<std::int64_t>() >= min && value_.get<std::int64_t>() <= max;
        if (!fits) refuse("expected an integer from " + std::to_string(min) + " to " + std::to_string(max));
        return value_.get<std::int64_t>();
    }

    std::string string() const {
        if (!value_.is_string()) refuse("expected a string");
        return value_.get<std::string>();
    }

    /// A string or null (none).
    std::optional<std::string> nullableString() const {
        if (isNull()) return std::nullopt;
        if (!value_.is_string()) refuse("expected a string or null");
        return value_.get<std::string>();
    }

    /// One of the names, as the index of that name in the list.
    std::size_t oneOf(std::initializer_list<const char*> names) const {
        std::string expected;
        std::size_t index = 0;
        for (const char* name : names) {
            if (value_.is_string() && value_.get<std::string>() == name) return index;
            expected += (index == 0 ? "" : index + 1 == names.size() ? " or " : ", ") + json(name).dump();
            ++index;
        }
        refuse("expected " + expected);
    }

    const json& value() const { return value_; }

private:
    const json& value_;
    std::string path_;
};

constexpr std::int64_t kPidMin = std::numeric_limits<Pid>::min();
constexpr std::int64_t kPidMax = std::numeric_limits<Pid>::max();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kWindowNumberMax = std::numeric_limits<std::uint32_t>::max();

/// The member read with `read`, or `fallback` when the member is missing.
template <class T, class Read>
T memberOr(const Node& object, const char* key, T fallback, Read read) {
    const auto found = object.member(key);
    return found ? read(*found) : std::move(fallback);
}

bool booleanOr(const Node& object, const char* key, bool fallback) {
    return memberOr(object, key, fallback, [](const Node& node) { return node.boolean(); });
}

Pid pid(const Node& node) { return static_cast<Pid>(node.integer(kPidMin, kPidMax)); }

std::optional<Pid> optionalPid(const Node& object, const char* key) {
    return memberOr(object, key, std::optional<Pid>{},
                    [](const Node& node) { return std::optional(pid(node)); });
}

Rect rect(const Node& node) {
    node.expectObject();
    return {node.required("x").number(), node.required("y").number(), node.required("w").number(),
            node.required("h").number()};
}

Point point(const Node& node) {
    node.expectObject();
    return {node.required("x").number(), node.required("y").number()};
}

PerBrowser<std::size_t> perBrowserChoice(const Node& object, const char* key,
                                         std::initializer_list<const char*> names) {
    PerBrowser<std::size_t> choice{0, 0};
    if (const auto node = object.member(key)) {
        node->expectObject();
        choice.chrome =
            memberOr(*node, "chrome", std::size_t{0}, [&](const Node& n) { return n.oneOf(names); });
        choice.safari =
            memberOr(*node, "safari", std::size_t{0}, [&](const Node& n) { return n.oneOf(names); });
    }
    return choice;
}

Permissions permissions(const Node& node) {
    node.expectObject();
    Permissions result;
    result.accessibility = booleanOr(node, "accessibility", true);
    result.screenRecording = booleanOr(node, "screenRecording", true);
    // The first name of each list is the default.
    const auto automation = perBrowserChoice(node, "automation", {"allowed", "denied", "notDetermined"});
    constexpr Automation kAutomations[] = {Automation::allowed, Automation::denied,
                                           Automation::notDetermined};
    result.automation = {kAutomations[automation.chrome], kAutomations[automation.safari]};
    const auto consent = perBrowserChoice(node, "consent", {"allow", "deny"});
    constexpr Consent kConsents[] = {Consent::allow, Consent::deny};
    result.consent = {kConsents[consent.chrome], kConsents[consent.safari]};
    return result;
}

Screen screen(const Node& node) {
    node.expectObject();
    Screen result;
    result.name = node.required("name").string();
    result.frame = rect(node.required("frame"));
    result.visibleFrame = memberOr(node, "visibleFrame", result.frame, rect);
    return result;
}

MenuItem menuItem(const Node& node) {
    if (node.value().is_string()) return {node.string(), std::nullopt};
    if (!node.value().is_object()) node.refuse("expected a string or an object");
    return {node.required("title").string(),
            memberOr(node, "raises", std::optional<std::int64_t>{},
                     [](const Node& n) { return std::optional(n.integer(kInt64Min, kInt64Max)); })};
}

Menu menu(const Node& node) {
    node.expectObject();
    Menu result;
    result.title = node.required("title").string();
    for (const auto& item : node.required("items").items()) result.items.push_back(menuItem(item));
    return result;
}

App app(const Node& node) {
    node.expectObject();
    App result;
    result.pid = pid(node.required("pid"));
    result.name = memberOr(node, "name", std::optional<std::string>{},
                           [](const Node& n) { return std::optional(n.string()); });
    result.bundleID = memberOr(node, "bundleID", std::optional<std::string>{},
                               [](const Node& n) { return std::optional(n.string()); });
    constexpr platform::ActivationPolicy kPolicies[] = {platform::ActivationPolicy::regular,
                                                        platform::ActivationPolicy::accessory,
                                                        platform::ActivationPolicy::prohibited};
    result.policy = kPolicies[memberOr(node, "policy", std::size_t{0}, [](const Node& n) {
        return n.oneOf({"regular", "accessory", "prohibited"});
    })];
    result.axError = booleanOr(node, "axError", false);
    result.axHang = booleanOr(node, "axHang", false);
    if (const auto menus = node.member("menus")) {
        result.menus.emplace();
        for (const auto& item : menus->items()) result.menus->push_back(menu(item));
    }
    result.pressNeedsActivation = booleanOr(node, "pressNeedsActivation", false);
    constexpr ScriptBehaviour kBehaviours[] = {ScriptBehaviour::ok, ScriptBehaviour::fail,
                                               ScriptBehaviour::hang};
    result.script = kBehaviours[memberOr(node, "script", std::size_t{0}, [](const Node& n) {
        return n.oneOf({"ok", "fail", "hang"});
    })];
    return result;
}

Layer layer(const Node& node) {
    if (node.value().is_number_integer()) return node.integer(kInt64Min, kInt64Max);
    return node.number();
}

Tab tab(const Node& node) {
    node.expectObject();
    return {node.required("title").string(), node.required("url").string()};
}

Window window(const Node& node) {
    node.expectObject();
    Window result;
    result.number = node.required("number").integer(0, kWindowNumberMax);
    result.pid = pid(node.required("pid"));
    if (const auto tabs = node.member("tabs"))
        for (const auto& item : tabs->items()) result.tabs.push_back(tab(item));
    result.activeTab = memberOr(node, "activeTab", std::int64_t{1},
                                [](const Node& n) { return n.integer(kInt64Min, kInt64Max); });
    if (!result.tabs.empty() &&
        (result.activeTab < 1 || result.activeTab > static_cast<std::int64_t>(result.tabs.size())))
        node.required("activeTab")
            .refuse("no tab at this position (the window has " + std::to_string(result.tabs.size()) + ")");

    if (const auto title = node.member("title")) {
        result.title = title->nullableString();
    } else if (!result.tabs.empty()) {
        result.title = result.tabs[static_cast<std::size_t>(result.activeTab - 1)].title;
        result.titleFollowsActiveTab = true;
    } else {
        node.required("title");
    }
    result.frame = rect(node.required("frame"));
    result.layer = memberOr(node, "layer", Layer{std::int64_t{0}}, layer);
    if (const auto alpha = node.member("alpha"))
        result.alpha = alpha->isNull() ? std::nullopt : std::optional(alpha->number());
    result.onscreen = booleanOr(node, "onscreen", true);
    result.ax = booleanOr(node, "ax", result.onscreen);
    if (const auto axTitle = node.member("axTitle")) {
        result.axTitle = axTitle->nullableString();
    } else {
        result.axTitle = result.title;
        result.axTitleFollowsTitle = true;
    }
    result.axFrame = memberOr(node, "axFrame", result.frame, rect);
    result.minimized = booleanOr(node, "minimized", false);
    result.fullScreen = booleanOr(node, "fullScreen", false);
    result.scriptId = memberOr(node, "scriptId", result.number,
                               [](const Node& n) { return n.integer(kInt64Min, kInt64Max); });
    result.scriptVisible = booleanOr(node, "scriptVisible", true);
    return result;
}

/// Reads every element of an array member with `read`; a missing member is an empty list.
template <class T>
std::vector<T> listOf(const Node& object, const char* key, const std::function<T(const Node&)>& read) {
    std::vector<T> result;
    if (const auto node = object.member(key))
        for (const auto& item : node->items()) result.push_back(read(item));
    return result;
}

/// Refuses the second element whose key was seen before.
template <class T, class Key>
void refuseDuplicates(const Node& root, const char* listKey, const std::vector<T>& list,
                      const char* memberKey, Key key) {
    std::set<std::int64_t> seen;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (!seen.insert(key(list[i])).second)
            root.required(listKey).items()[i].required(memberKey).refuse("used by an earlier entry");
}

KeyChord keyChord(const Node& node) {
    node.expectObject();
    constexpr std::int64_t kMax = std::numeric_limits<std::uint32_t>::max();
    return {static_cast<std::uint32_t>(node.required("keyCode").integer(0, kMax)),
            static_cast<std::uint32_t>(node.required("carbonModifiers").integer(0, kMax))};
}

/// Key codes, written as decimal strings, to what the layout writes on them.
std::map<std::uint32_t, std::string> keyNames(const Node& node) {
    node.expectObject();
    std::map<std::uint32_t, std::string> names;
    for (const auto& [code, name] : node.value().items()) {
        const Node member(name, "keyNames." + code);
        char* end = nullptr;
        const unsigned long number = std::strtoul(code.c_str(), &end, 10);
        if (code.empty() || *end != '\0' || !std::isdigit(static_cast<unsigned char>(code[0])) ||
            number > std::numeric_limits<std::uint32_t>::max())
            member.refuse("expected a key code (a decimal integer) as the member name");
        names.emplace(static_cast<std::uint32_t>(number), member.string());
    }
    return names;
}

DesktopModel desktop(const Node& root) {
    if (!root.value().is_object()) throw Refused{"expected a JSON object at the top level"};
    DesktopModel model;
    model.permissions = memberOr(root, "permissions", Permissions{}, permissions);
    model.screens = listOf<Screen>(root, "screens", screen);
    model.mainScreen = memberOr(root, "mainScreen", std::int64_t{0},
                                [](const Node& n) { return n.integer(kInt64Min, kInt64Max); });
    if (!model.screens.empty() &&
        (model.mainScreen < 0 || model.mainScreen >= static_cast<std::int64_t>(model.screens.size())))
        root.required("mainScreen")
            .refuse("no screen at this index (there are " + std::to_string(model.screens.size()) + ")");
    model.pointer = memberOr(root, "pointer", Point{}, point);
    model.apps = listOf<App>(root, "apps", app);
    refuseDuplicates(root, "apps", model.apps, "pid", [](const App& a) { return a.pid; });
    model.windows = listOf<Window>(root, "windows", window);
    refuseDuplicates(root, "windows", model.windows, "number", [](const Window& w) { return w.number; });
    model.frontmost = optionalPid(root, "frontmost");
    model.selfPid = optionalPid(root, "selfPid");
    model.now = memberOr(root, "now", std::optional<double>{},
                         [](const Node& n) { return std::optional(n.number()); });
    model.virtualTime = booleanOr(root, "virtualTime", false);
    model.heldShortcuts = listOf<KeyChord>(root, "heldShortcuts", keyChord);
    model.shortcutsNeedConsent = booleanOr(root, "shortcutsNeedConsent", false);
    if (const auto names = root.member("keyNames")) model.keyNames = keyNames(*names);
    if (const auto values = root.member("preferences")) {
        values->expectObject();
        for (const auto& [key, value] : values->value().items()) model.preferences.emplace(key, value);
    }
    return model;
}

/// Keeps the error on one line whatever the file name or the parser's message hold.
std::string oneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return text;
}

std::string refusal(std::string_view fileName, const std::string& what) {
    return oneLine(std::string(fileName) + ": " + what);
}

/// The parser's message without its "[json.exception.parse_error.101] " prefix.
std::string parserMessage(const std::exception& error) {
    std::string message = error.what();
    const auto prefixEnd = message.find("] ");
    return message.rfind("[json.exception.", 0) == 0 && prefixEnd != std::string::npos
               ? message.substr(prefixEnd + 2)
               : message;
}

}  // namespace

std::variant<DesktopModel, std::string> parseDesktop(std::string_view jsonText, std::string_view fileName) {
    json document;
    try {
        document = json::parse(jsonText);
    } catch (const json::exception& error) {
        return refusal(fileName, "not valid JSON: " + parserMessage(error));
    }
    try {
        return desktop(Node(document, ""));
    } catch (const Refused& refused) {
        return refusal(fileName, refused.message);
    } catch (const json::exception& error) {  // not expected: every access is checked first
        return refusal(fileName, parserMessage(error));
    }
}

std::variant<DesktopModel, std::string> loadDesktopFile(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return refusal(path, "cannot be read: it is a folder");
    std::ifstream file(path, std::ios::binary);
    if (!file) return refusal(path, "cannot be read");
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) return refusal(path, "cannot be read");
    return parseDesktop(text.str(), path);
}

}  // namespace zerlith::sim
