#pragma once

#include <vector>

#include "model/target.hpp"

/// Turns the desktop's windows into window targets: titles cleaned, ids numbered, screens
/// named, and the windows of browsers listed through their tabs left out. Stateless; any thread.
namespace zerlith::WindowSource {

/// Window targets in the desktop's order, front to back. Only windows of regular applications
/// with a title are listed.
std::vector<Target> enumerate();

}  // namespace zerlith::WindowSource
