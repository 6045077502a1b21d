#include "platform/sim/sim_accessibility.hpp"

#include <atomic>
#include <charconv>

#include "platform/sim/desktop_rules.hpp"

namespace zerlith::sim {
namespace {

using platform::AXElementRef;
using platform::AXError;
using platform::AXReading;
using platform::AXValue;
namespace ax = platform::ax;

/// Where an element's object is found in the desktop.
struct Address {
    std::size_t menu = 0;  ///< position in the menu bar, for menu bar items, menus and menu items
    std::size_t item = 0;  ///< position in the menu, for menu items
    /// A window element's window; for an item of the derived "Window" menu, the window it raises.
    std::optional<std::int64_t> window;
};

/// A handle that names its object by its address and finds it again in the current state on
/// every call.
class Element final : public platform::AXElement {
public:
    enum class Kind { application, window, menuBar, menuBarItem, menu, menuItem };

    Element(Kind kind, Pid pid, Address address, double timeout)
        : kind_(kind), pid_(pid), address_(std::move(address)), timeout_(timeout) {}

    Kind kind() const { return kind_; }
    Pid pid() const { return pid_; }
    const Address& address() const { return address_; }
    double timeout() const { return timeout_.load(); }
    void setTimeout(double seconds) { timeout_.store(seconds); }

    /// An element read from this one: same process, same messaging timeout.
    std::shared_ptr<Element> child(Kind kind, Address address = {}) const {
        return std::make_shared<Element>(kind, pid_, std::move(address), timeout());
    }

    /// Where a window element's window stood in the window list when last seen. The list rarely
    /// changes between two reads, so looking there first spares a scan of every window.
    std::size_t positionHint() const { return positionHint_.load(std::memory_order_relaxed); }
    void setPositionHint(std::size_t position) const {
        positionHint_.store(position, std::memory_order_relaxed);
    }

private:
    Kind kind_;
    Pid pid_;
    Address address_;
    std::atomic<double> timeout_;
    mutable std::atomic<std::size_t> positionHint_{0};
};

using Kind = Element::Kind;

AXReading value(AXValue value) { return {AXError::success, std::move(value)}; }
AXReading error(AXError error) { return {error, std::nullopt}; }

std::string formatNumber(double number) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, number).ptr;
    return std::string(buffer, end);
}

std::string formatValue(const AXValue& value) {
    if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "true" : "false";
    if (const auto* point = std::get_if<Point>(&value))
        return formatNumber(point->x) + "," + formatNumber(point->y);
    if (const auto* size = std::get_if<Size>(&value))
        return formatNumber(size->width) + "," + formatNumber(size->height);
    return "?";
}

/// The menu item an item element names now, or none when it is gone.
std::optional<MenuItem> resolveItem(const DesktopModel& model, const App& app, const Element& element) {
    const Address& at = element.address();
    if (at.window) {  // the derived "Window" menu names windows, whatever their order now
        const Window* window = findWindow(model, *at.window);
        if (app.menus || window == nullptr || window->pid != app.pid) return std::nullopt;
        return MenuItem{windowMenuTitle(*window).value_or(""), window->number};
    }
    const auto bar = menuBar(model, app);
    if (at.menu >= bar.size() || at.item >= bar[at.menu].items.size()) return std::nullopt;
    return bar[at.menu].items[at.item];
}

/// The window a window element names, or none when it is gone.
const Window* findWindow(const DesktopModel& model, const Element& element) {
    const std::int64_t number = *element.address().window;
    const std::size_t hint = element.positionHint();
    if (hint < model.windows.size() && model.windows[hint].number == number) return &model.windows[hint];
    const Window* found = findWindow(model, number);
    if (found != nullptr) element.setPositionHint(static_cast<std::size_t>(found - model.windows.data()));
    return found;
}

AXValue windowElements(const DesktopModel& model, const Element& app, const std::vector<const Window*>& windows) {
    std::vector<AXElementRef> elements;
    for (const Window* window : windows) {
        auto element = app.child(Kind::window, {.window = window->number});
        element->setPositionHint(static_cast<std::size_t>(window - model.windows.data()));
        elements.push_back(std::move(element));
    }
    return elements;
}

AXReading readApplication(const DesktopModel& model, const App& app, const Element& element,
                          std::string_view attribute) {
    const bool guarded =
        attribute == ax::kWindows || attribute == ax::kFocusedWindow || attribute == ax::kMenuBar;
    if (guarded && app.axError) return error(AXError::failure);
    if (attribute == ax::kWindows) return value(windowElements(model, element, axWindows(model, app.pid)));
    if (attribute == ax::kFocusedWindow) {
        const Window* focused = focusedWindow(model, app.pid);
        if (focused == nullptr) return error(AXError::noValue);
        return value(element.child(Kind::window, {.window = focused->number}));
    }
    if (attribute == ax::kFrontmost) return value(model.frontmost == app.pid);
    if (attribute == ax::kMenuBar) return value(element.child(Kind::menuBar));
    if (attribute == ax::kTitle) return app.name ? value(*app.name) : error(AXError::noValue);
    return error(AXError::attributeUnsupported);
}

AXReading readWindow(const DesktopModel& model, const Window& window, std::string_view attribute) {
    if (attribute == ax::kTitle) return window.axTitle ? value(*window.axTitle) : error(AXError::noValue);
    if (attribute == ax::kPosition) return value(window.axFrame.origin());
    if (attribute == ax::kSize) return value(window.axFrame.size());
    if (attribute == ax::kMinimized) return value(window.minimized);
    if (attribute == ax::kFullScreen) return value(window.fullScreen);
    if (attribute == ax::kMain) return value(focusedWindow(model, window.pid) == &window);
    return error(AXError::attributeUnsupported);
}

AXReading readMenus(const DesktopModel& model, const App& app, const Element& element,
                    std::string_view attribute) {
    const auto bar = menuBar(model, app);
    const bool menuGone = element.kind() != Kind::menuBar && element.address().menu >= bar.size();
    if (menuGone) return error(AXError::failure);
    switch (element.kind()) {
        case Kind::menuBar: {
            if (attribute != ax::kChildren) break;
            std::vector<AXElementRef> items;
            for (std::size_t i = 0; i < bar.size(); ++i)
                items.push_back(element.child(Kind::menuBarItem, {i, 0, std::nullopt}));
            return value(items);
        }
        case Kind::menuBarItem:
            if (attribute == ax::kTitle) return value(bar[element.address().menu].title);
            if (attribute == ax::kChildren)
                return value(std::vector<AXElementRef>{
                    element.child(Kind::menu, {element.address().menu, 0, std::nullopt})});
            break;
        case Kind::menu: {
            if (attribute != ax::kChildren) break;
            std::vector<AXElementRef> items;
            const auto& menu = bar[element.address().menu];
            for (std::size_t i = 0; i < menu.items.size(); ++i) {
                // Items of the derived menu keep naming their window when the windows reorder.
                const auto window = app.menus ? std::nullopt : menu.items[i].raises;
                items.push_back(element.child(Kind::menuItem, {element.address().menu, i, window}));
            }
            return value(items);
        }
        default:
            break;
    }
    return error(AXError::attributeUnsupported);
}

AXReading read(const DesktopModel& model, const Element& element, std::string_view attribute) {
    const App* app = findApp(model, element.pid());
    if (app == nullptr) return error(AXError::cannotComplete);
    switch (element.kind()) {
        case Kind::application:
            return readApplication(model, *app, element, attribute);
        case Kind::window: {
            const Window* window = findWindow(model, element);
            return window ? readWindow(model, *window, attribute) : error(AXError::failure);
        }
        case Kind::menuItem: {
            const auto item = resolveItem(model, *app, element);
            if (!item) return error(AXError::failure);
            return attribute == ax::kTitle ? value(item->title) : error(AXError::attributeUnsupported);
        }
        default:
            return readMenus(model, *app, element, attribute);
    }
}

AXError writeWindow(DesktopState& state, Window& window, std::string_view attribute,
                    const AXValue& newValue) {
    const std::int64_t number = window.number;  // `window` may move when the windows reorder
    const auto* point = std::get_if<Point>(&newValue);
    const auto* size = std::get_if<Size>(&newValue);
    const auto* flag = std::get_if<bool>(&newValue);
    if (attribute == ax::kPosition && point) {
        window.frame.x = window.axFrame.x = point->x;
        window.frame.y = window.axFrame.y = point->y;
    } else if (attribute == ax::kSize && size) {
        window.frame.width = window.axFrame.width = size->width;
        window.frame.height = window.axFrame.height = size->height;
    } else if (attribute == ax::kMinimized && flag) {
        window.minimized = *flag;
    } else if (attribute == ax::kFullScreen && flag) {
        window.fullScreen = *flag;
    } else if (attribute == ax::kMain && flag) {
        if (*flag) bringToFrontOfApp(state.model, number);
    } else {
        const bool known = attribute == ax::kPosition || attribute == ax::kSize ||
                           attribute == ax::kMinimized || attribute == ax::kFullScreen ||
                           attribute == ax::kMain;
        return known ? AXError::illegalArgument : AXError::attributeUnsupported;
    }
    state.actionLog.push_back("setAttribute window " + std::to_string(number) + " " + std::string(attribute) +
                              " " + formatValue(newValue));
    return AXError::success;
}

/// A press: the item acts as if chosen, unless its app wants to be frontmost first.
AXError press(DesktopState& state, const App& app, const MenuItem& item) {
    const std::string line = "press menuItem " + std::to_string(app.pid) + " " + item.title;
    if (app.pressNeedsActivation && state.model.frontmost != app.pid) {
        state.actionLog.push_back(line + " (app not frontmost: no effect)");
        return AXError::success;
    }
    state.actionLog.push_back(line);
    if (item.raises && findWindow(state.model, *item.raises)) {
        raiseWindow(state.model, *item.raises);
        activateApp(state.model, app.pid);
    }
    return AXError::success;
}

AXError perform(DesktopState& state, const Element& element, std::string_view action) {
    const App* app = findApp(state.model, element.pid());
    if (app == nullptr) return AXError::cannotComplete;
    if (element.kind() == Kind::window && action == ax::kRaise) {
        if (findWindow(state.model, *element.address().window) == nullptr) return AXError::failure;
        raiseWindow(state.model, *element.address().window);
        state.actionLog.push_back("performAction window " + std::to_string(*element.address().window) +
                                  " AXRaise");
        return AXError::success;
    }
    if (element.kind() == Kind::menuItem && action == ax::kPress) {
        const auto item = resolveItem(state.model, *app, element);
        return item ? press(state, *app, *item) : AXError::failure;
    }
    return AXError::actionUnsupported;
}

Element* simElement(const AXElementRef& element) { return dynamic_cast<Element*>(element.get()); }

/// Whether a call on an element may go on: success, or the error it ends with (after the
/// messaging timeout when the app hangs).
AXError admit(GuardedState& guarded, platform::Clock& clock, const Element& element) {
    enum class Admission { proceed, untrusted, notRunning, hang };
    const auto admission = guarded.with([&](const DesktopState& state) {
        const auto& model = state.model;
        if (!model.permissions.accessibility && model.selfPid != element.pid()) return Admission::untrusted;
        const App* app = findApp(model, element.pid());
        if (app == nullptr) return Admission::notRunning;
        return app->axHang ? Admission::hang : Admission::proceed;
    });
    switch (admission) {
        case Admission::proceed:
            return AXError::success;
        case Admission::untrusted:
            return AXError::failure;
        case Admission::hang:
            clock.sleep(element.timeout());
            return AXError::cannotComplete;
        case Admission::notRunning:
            break;
    }
    return AXError::cannotComplete;
}

}  // namespace

bool SimAccessibility::isProcessTrusted() {
    return state_.with([](const DesktopState& state) { return state.model.permissions.accessibility; });
}

void SimAccessibility::promptForTrust() {
    state_.with([](DesktopState& state) { state.actionLog.push_back("promptForTrust"); });
}

platform::AXElementRef SimAccessibility::application(Pid pid) {
    return std::make_shared<Element>(Kind::application, pid, Address{}, kDefaultMessagingTimeout);
}

void SimAccessibility::setMessagingTimeout(const AXElementRef& element, double seconds) {
    // Zero or less restores the default, as on a real system.
    if (Element* sim = simElement(element)) sim->setTimeout(seconds > 0 ? seconds : kDefaultMessagingTimeout);
}

AXReading SimAccessibility::copyAttribute(const AXElementRef& element, std::string_view attribute) {
    const Element* sim = simElement(element);
    if (sim == nullptr) return error(AXError::illegalArgument);
    if (const AXError admitted = admit(state_, clock_, *sim); admitted != AXError::success)
        return error(admitted);
    return state_.with([&](const DesktopState& state) { return read(state.model, *sim, attribute); });
}

AXError SimAccessibility::setAttribute(const AXElementRef& element, std::string_view attribute,
                                       const AXValue& newValue) {
    const Element* sim = simElement(element);
    if (sim == nullptr) return AXError::illegalArgument;
    if (const AXError admitted = admit(state_, clock_, *sim); admitted != AXError::success) return admitted;
    return state_.with([&](DesktopState& state) {
        if (sim->kind() != Kind::window) return AXError::attributeUnsupported;
        Window* window = findWindow(state.model, *sim->address().window);
        return window ? writeWindow(state, *window, attribute, newValue) : AXError::failure;
    });
}

AXError SimAccessibility::performAction(const AXElementRef& element, std::string_view action) {
    const Element* sim = simElement(element);
    if (sim == nullptr) return AXError::illegalArgument;
    if (const AXError admitted = admit(state_, clock_, *sim); admitted != AXError::success) return admitted;
    return state_.with([&](DesktopState& state) { return perform(state, *sim, action); });
}

}  // namespace zerlith::sim
