#include "platform/sim/sim_desktop.hpp"

#include "platform/sim/desktop_state.hpp"
#include "platform/sim/sim_accessibility.hpp"
#include "platform/sim/sim_display.hpp"
#include "platform/sim/sim_hot_keys.hpp"
#include "platform/sim/sim_scripting.hpp"
#include "platform/sim/sim_window_server.hpp"
#include "platform/sim/sim_workspace.hpp"
#include "providers/macos_model/model_access.hpp"
#include "providers/macos_model/model_windows.hpp"
#include "providers/macos_model/scripted_tabs.hpp"

namespace zerlith::sim {

struct SimDesktop::Parts {
    Parts(DesktopModel model, platform::Clock& baseClock, platform::Dispatch& queues)
        : pinned(model.now ? std::make_unique<platform::PinnedWallClock>(baseClock, *model.now) : nullptr),
          clock(pinned ? *pinned : baseClock),
          dispatch(queues),
          state(std::move(model)),
          accessibility(state, clock),
          windowServer(state),
          workspace(state),
          display(state),
          scripting(state, clock),
          hotKeys(state),
          preferences(state.with([](const DesktopState& current) { return current.model.preferences; })) {}

    std::unique_ptr<platform::PinnedWallClock> pinned;
    platform::Clock& clock;
    platform::Dispatch& dispatch;
    GuardedState state;
    SimAccessibility accessibility;
    SimWindowServer windowServer;
    SimWorkspace workspace;
    SimDisplay display;
    SimScripting scripting;
    SimHotKeys hotKeys;
    platform::MemoryPreferences preferences;
    macos_model::ModelWindows windows;
    macos_model::ScriptedTabs tabs;
    macos_model::ModelAccess access;
};

SimDesktop::SimDesktop(DesktopModel model, platform::Clock& clock, platform::Dispatch& dispatch)
    : parts_(std::make_unique<Parts>(std::move(model), clock, dispatch)) {}

SimDesktop::~SimDesktop() = default;

desktop::ProviderInfo SimDesktop::provider() const {
    return {"macos_model",
            {.moveToScreen = true,
             .workspaces = true,
             .globalKeys = true,
             .typedAheadCapture = false,
             .tabs = true,
             .permissions = true},
            desktop::WindowSystem::any,
            "⌘↩"};
}

desktop::Windows& SimDesktop::windows() { return parts_->windows; }
desktop::DesktopTabs* SimDesktop::tabs() { return &parts_->tabs; }
desktop::Access* SimDesktop::access() { return &parts_->access; }
platform::Accessibility& SimDesktop::accessibility() { return parts_->accessibility; }
platform::WindowServer& SimDesktop::windowServer() { return parts_->windowServer; }
platform::Workspace& SimDesktop::workspace() { return parts_->workspace; }
platform::Display& SimDesktop::display() { return parts_->display; }
platform::Scripting& SimDesktop::scripting() { return parts_->scripting; }
platform::HotKeys* SimDesktop::hotKeys() { return &parts_->hotKeys; }
platform::Preferences* SimDesktop::preferences() { return &parts_->preferences; }
platform::Clock& SimDesktop::clock() { return parts_->clock; }
platform::Dispatch& SimDesktop::dispatch() { return parts_->dispatch; }

DesktopModel SimDesktop::state() const {
    return parts_->state.with([](const DesktopState& state) { return state.model; });
}

void SimDesktop::update(const std::function<void(DesktopModel&)>& change) {
    parts_->state.with([&](DesktopState& state) { change(state.model); });
}

void SimDesktop::pressHotKey(KeyChord key, std::uint32_t pressTime) { parts_->hotKeys.press(key, pressTime); }

std::vector<std::string> SimDesktop::actionLog() const {
    return parts_->state.with([](const DesktopState& state) { return state.actionLog; });
}

}  // namespace zerlith::sim
