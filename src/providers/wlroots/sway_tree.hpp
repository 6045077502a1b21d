#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/geometry.hpp"

namespace zerlith::wlroots {

/// A window in sway's tree.
struct SwayView {
    std::int64_t conId = 0;
    Pid pid = 0;
    std::string appId;  ///< the app_id, or an XWayland window's class
    std::string title;
    Rect frame;  ///< layout coordinates
    std::string workspace;
    std::string output;
    bool operator==(const SwayView&) const = default;
};

/// An output as sway reports it.
struct SwayOutput {
    std::string name;
    Rect frame;  ///< layout coordinates
    bool focused = false;
    std::string currentWorkspace;
    bool operator==(const SwayOutput&) const = default;
};

/// The windows of a `get_tree` reply, tiled and floating, in tree order; sway's scratchpad is
/// reported on output "__i3". Members missing or of the wrong type read as empty.
std::vector<SwayView> viewsOf(const nlohmann::json& tree);
/// The active outputs of a `get_outputs` reply.
std::vector<SwayOutput> outputsOf(const nlohmann::json& outputs);

}  // namespace zerlith::wlroots
