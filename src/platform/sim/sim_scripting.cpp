#include "platform/sim/sim_scripting.hpp"

#include "platform/sim/browser_scripts.hpp"
#include "platform/sim/desktop_rules.hpp"

namespace zerlith::sim {
namespace {

/// Asks the user when the browser's automation is not determined yet; true when allowed.
bool automationAllowed(DesktopState& state, Browser browser) {
    auto& permissions = state.model.permissions;
    if (permissions.automation[browser] == Automation::notDetermined) {
        const bool allow = permissions.consent[browser] == Consent::allow;
        permissions.automation[browser] = allow ? Automation::allowed : Automation::denied;
        state.actionLog.push_back("consent " + std::string(rawName(browser)) + (allow ? " allow" : " deny"));
    }
    return permissions.automation[browser] == Automation::allowed;
}

std::optional<std::string> answer(DesktopState& state, Pid browserPid, const BrowserScript& script) {
    switch (script.request) {
        case BrowserScript::Request::listTabs:
            return tabListing(scriptingWindows(state.model, browserPid));
        case BrowserScript::Request::selectTab:
            for (Window* window : scriptingWindows(state.model, browserPid)) {
                if (window->scriptId != script.windowID) continue;
                if (!selectTab(*window, script.tabIndex)) return std::nullopt;
                state.actionLog.push_back("script " + std::string(rawName(script.browser)) +
                                          " select window " + std::to_string(script.windowID) + " tab " +
                                          std::to_string(script.tabIndex));
                return "";
            }
            return std::nullopt;
        case BrowserScript::Request::frontTabURL:
        case BrowserScript::Request::frontTabTitle: {
            const Tab* tab = frontActiveTab(state.model, browserPid);
            if (tab == nullptr) return std::nullopt;
            return (script.request == BrowserScript::Request::frontTabURL ? tab->url : tab->title) + "\n";
        }
    }
    return std::nullopt;
}

}  // namespace

int SimScripting::automationStatus(std::string_view bundleID) {
    return state_.with([bundleID](const DesktopState& state) {
        for (const Browser browser : {Browser::chrome, Browser::safari}) {
            if (bundleID != bundleIdentifier(browser) || findBrowser(state.model, browser) == nullptr)
                continue;
            switch (state.model.permissions.automation[browser]) {
                case Automation::allowed:
                    return platform::kAutomationAllowed;
                case Automation::notDetermined:
                    return platform::kAutomationNotDetermined;
                case Automation::denied:
                    return kAutomationDenied;
            }
        }
        return kNotRunning;
    });
}

std::optional<std::string> SimScripting::interpreterPath() { return std::nullopt; }

std::optional<std::string> SimScripting::runInProcess(std::string_view source, double timeout) {
    const auto browser = addressee(source);
    if (!browser) return std::nullopt;
    const auto behaviour = state_.with([&](DesktopState& state) -> std::optional<ScriptBehaviour> {
        const App* app = findBrowser(state.model, *browser);
        if (app == nullptr || !automationAllowed(state, *browser)) return std::nullopt;
        return app->script;
    });
    if (behaviour == ScriptBehaviour::hang) clock_.sleep(timeout);
    if (behaviour != ScriptBehaviour::ok) return std::nullopt;
    const auto script = understand(source);
    if (!script) return std::nullopt;
    return state_.with([&](DesktopState& state) -> std::optional<std::string> {
        const App* app = findBrowser(state.model, *browser);
        return app ? answer(state, app->pid, *script) : std::nullopt;
    });
}

}  // namespace zerlith::sim
