#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "platform/sim/desktop_model.hpp"

namespace zerlith::sim {

/// Parses a desktop file's text (desktop-format.md) and applies the defaults. Unknown members
/// are ignored. On failure the result is one line, "<fileName>: <what is wrong>", naming the
/// member's path when a member is at fault ("windows[3].frame.w: expected a number").
std::variant<DesktopModel, std::string> parseDesktop(std::string_view jsonText, std::string_view fileName);

/// Reads and parses a desktop file; an unreadable file gives the same kind of one-line error.
std::variant<DesktopModel, std::string> loadDesktopFile(const std::string& path);

}  // namespace zerlith::sim
