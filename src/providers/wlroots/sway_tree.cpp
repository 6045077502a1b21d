#include "providers/wlroots/sway_tree.hpp"

namespace zerlith::wlroots {
namespace {

using nlohmann::json;

std::string text(const json& node, const char* member) {
    const auto it = node.find(member);
    return it != node.end() && it->is_string() ? it->get<std::string>() : std::string();
}

template <typename Number>
Number number(const json& node, const char* member) {
    const auto it = node.find(member);
    return it != node.end() && it->is_number() ? it->get<Number>() : Number{};
}

bool flag(const json& node, const char* member) {
    const auto it = node.find(member);
    return it != node.end() && it->is_boolean() && it->get<bool>();
}

Rect rectOf(const json& node) {
    const auto it = node.find("rect");
    if (it == node.end() || !it->is_object()) return {};
    return {number<double>(*it, "x"), number<double>(*it, "y"), number<double>(*it, "width"), number<double>(*it, "height")};
}

bool isView(const json& node) {
    const std::string type = text(node, "type");
    return (type == "con" || type == "floating_con") && node.contains("pid");
}

/// Sway's tree nests at most a few dozen levels; a reply nested deeper than this is not sway's.
constexpr int kDeepestTree = 256;

void collect(const json& node, std::string output, std::string workspace, int depth, std::vector<SwayView>& views) {
    if (!node.is_object() || depth > kDeepestTree) return;
    const std::string type = text(node, "type");
    if (type == "output") output = text(node, "name");
    if (type == "workspace") workspace = text(node, "name");
    if (isView(node)) {
        std::string appId = text(node, "app_id");
        if (const auto properties = node.find("window_properties"); appId.empty() && properties != node.end() && properties->is_object())
            appId = text(*properties, "class");
        views.push_back({number<std::int64_t>(node, "id"), number<Pid>(node, "pid"), std::move(appId),
                         text(node, "name"), rectOf(node), workspace, output});
    }
    for (const char* children : {"nodes", "floating_nodes"}) {
        const auto it = node.find(children);
        if (it == node.end() || !it->is_array()) continue;
        for (const json& child : *it) collect(child, output, workspace, depth + 1, views);
    }
}

}  // namespace

std::vector<SwayView> viewsOf(const json& tree) {
    std::vector<SwayView> views;
    collect(tree, {}, {}, 0, views);
    return views;
}

std::vector<SwayOutput> outputsOf(const json& outputs) {
    std::vector<SwayOutput> active;
    if (!outputs.is_array()) return active;
    for (const json& output : outputs) {
        if (!output.is_object() || !flag(output, "active")) continue;
        active.push_back({text(output, "name"), rectOf(output), flag(output, "focused"),
                          text(output, "current_workspace")});
    }
    return active;
}

}  // namespace zerlith::wlroots
