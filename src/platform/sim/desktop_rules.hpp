#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/desktop_model.hpp"

namespace zerlith::sim {

/// The derived state of a desktop and how it reacts, as plain functions of the model. They take
/// no lock: callers hold the desktop's. Pointers they return are valid until the model changes.

std::string_view bundleIdentifier(Browser browser);  ///< "com.google.Chrome", "com.apple.Safari"
std::string_view rawName(Browser browser);           ///< "chrome", "safari"

const App* findApp(const DesktopModel& model, Pid pid);
/// The first app with the browser's bundle identifier: the running browser, or none.
const App* findBrowser(const DesktopModel& model, Browser browser);
const Window* findWindow(const DesktopModel& model, std::int64_t number);
Window* findWindow(DesktopModel& model, std::int64_t number);

/// The app's windows that its "AXWindows" lists: those with `ax`, front to back.
std::vector<const Window*> axWindows(const DesktopModel& model, Pid pid);
/// The app's frontmost `ax` window that is not minimized, or none.
const Window* focusedWindow(const DesktopModel& model, Pid pid);

/// The app's menu bar: its own menus, or else one "Window" menu whose items name all its
/// windows front to back and raise them.
std::vector<Menu> menuBar(const DesktopModel& model, const App& app);
/// The title the derived "Window" menu shows for a window: `axTitle`, else `title`.
std::optional<std::string> windowMenuTitle(const Window& window);

/// The window's active tab; none when `activeTab` names no tab.
const Tab* activeTab(const Window& window);
/// A browser's windows in scripting order: its windows with tabs, front to back.
std::vector<Window*> scriptingWindows(DesktopModel& model, Pid pid);
/// The tab a script calls the front window's active one, or none without windows with tabs.
const Tab* frontActiveTab(DesktopModel& model, Pid pid);

/// Moves a window in front of its app's other windows (as "AXMain" true does).
void bringToFrontOfApp(DesktopModel& model, std::int64_t number);
/// "AXRaise": in front of its app's windows and onto the current Space; the app is not activated.
void raiseWindow(DesktopModel& model, std::int64_t number);
/// Makes the app frontmost and moves its windows, in their order, in front of all others.
void activateApp(DesktopModel& model, Pid pid);
/// Makes the tab at `index` (from 1) active, and so the titles that follow it; false when there
/// is no such tab.
bool selectTab(Window& window, std::int64_t index);

}  // namespace zerlith::sim
