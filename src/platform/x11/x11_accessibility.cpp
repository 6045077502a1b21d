#include "platform/x11/x11_accessibility.hpp"

#include <atomic>

#include "platform/x11/screen_layout.hpp"
#include "platform/x11/window_commands.hpp"

namespace zerlith::x11 {
namespace {

using platform::AXElementRef;
using platform::AXError;
using platform::AXReading;
using platform::AXValue;
namespace ax = platform::ax;

class X11Element final : public platform::AXElement {
public:
    enum class Kind { application, window };

    X11Element(Kind ofKind, Pid ofPid, xcb_window_t ofWindow) : kind(ofKind), pid(ofPid), window(ofWindow) {}

    const Kind kind;
    const Pid pid;              // of an application element
    const xcb_window_t window;  // of a window element
    std::atomic<double> timeout{kDefaultReplyTimeout};  // the messaging timeout
};

const X11Element* asX11(const AXElementRef& element) { return dynamic_cast<const X11Element*>(element.get()); }

AXElementRef windowElement(xcb_window_t window) {
    return std::make_shared<X11Element>(X11Element::Kind::window, 0, window);
}

AXReading value(AXValue value) { return {AXError::success, std::move(value)}; }

}  // namespace

AXElementRef X11Accessibility::application(Pid pid) {
    return std::make_shared<X11Element>(X11Element::Kind::application, pid, XCB_NONE);
}

void X11Accessibility::setMessagingTimeout(const AXElementRef& element, double seconds) {
    if (auto* x11 = dynamic_cast<X11Element*>(element.get()); x11 != nullptr && seconds > 0) x11->timeout = seconds;
}

AXReading X11Accessibility::copyAttribute(const AXElementRef& element, std::string_view attribute) {
    const X11Element* x11 = asX11(element);
    if (x11 == nullptr) return {AXError::illegalArgument, {}};
    if (x11->kind == X11Element::Kind::application) return readApplication(x11->pid, attribute, x11->timeout);
    return readWindow(x11->window, attribute, x11->timeout);
}

AXReading X11Accessibility::readApplication(Pid pid, std::string_view attribute, double timeout) {
    auto desktop = cache_.current(timeout, DesktopCache::Events::lastMillisecond);
    const ClientWindow* active = desktop->active();
    bool ownsActive = active != nullptr && active->pid == pid;
    if (attribute == ax::kWindows) {
        std::vector<AXElementRef> windows;
        bool known = false;
        for (const ClientWindow& window : desktop->windows()) {
            if (window.pid != pid) continue;
            known = true;
            if (!window.isDesktop && desktop->onCurrentDesktop(window)) windows.push_back(windowElement(window.id));
        }
        if (!known) return {AXError::cannotComplete, {}};  // no such application on this desktop
        return value(std::move(windows));
    }
    if (attribute == ax::kFocusedWindow) {
        if (!ownsActive) return {AXError::noValue, {}};
        return value(windowElement(active->id));
    }
    if (attribute == ax::kFrontmost) return value(ownsActive);
    return {AXError::attributeUnsupported, {}};
}

AXReading X11Accessibility::readWindow(xcb_window_t id, std::string_view attribute, double timeout) {
    auto desktop = cache_.current(timeout, DesktopCache::Events::lastMillisecond);
    const ClientWindow* window = desktop->find(id);
    if (window == nullptr) return {AXError::failure, {}};  // the window is gone
    auto frame = window->frame();
    if (attribute == ax::kTitle) {
        if (!window->title) return {AXError::noValue, {}};
        return value(*window->title);
    }
    if (attribute == ax::kPosition || attribute == ax::kSize) {
        if (!frame) return {AXError::noValue, {}};
        Rect topLeft = desktop->layout().space().toTopLeft(*frame);
        if (attribute == ax::kPosition) return value(topLeft.origin());
        return value(topLeft.size());
    }
    if (attribute == ax::kMinimized) return value(window->hidden);
    if (attribute == ax::kFullScreen) return value(window->fullScreen);
    if (attribute == ax::kMain) return value(desktop->activeWindow() == id);
    return {AXError::attributeUnsupported, {}};
}

AXError X11Accessibility::setAttribute(const AXElementRef& element, std::string_view attribute,
                                       const AXValue& newValue) {
    const X11Element* x11 = asX11(element);
    if (x11 == nullptr) return AXError::illegalArgument;
    if (x11->kind != X11Element::Kind::window) return AXError::attributeUnsupported;
    const bool* flag = std::get_if<bool>(&newValue);

    // Restoring a window and making it the main one both mean activating it here: X has no
    // main window apart from the focused one, and un-minimizing is the window manager's job.
    if (attribute == ax::kMinimized || attribute == ax::kMain) {
        if (flag == nullptr) return AXError::illegalArgument;
        bool activates = attribute == ax::kMain ? *flag : !*flag;
        if (!activates) return AXError::attributeUnsupported;
        return activation_.activateWindow(x11->window, x11->timeout) ? AXError::success : AXError::failure;
    }

    auto desktop = cache_.current(x11->timeout);
    const ClientWindow* window = desktop->find(x11->window);
    if (window == nullptr) return AXError::failure;
    if (attribute == ax::kFullScreen) {
        if (flag == nullptr) return AXError::illegalArgument;
        setFullScreen(connection_, *window, *flag);
    } else if (attribute == ax::kPosition) {
        const Point* origin = std::get_if<Point>(&newValue);
        if (origin == nullptr) return AXError::illegalArgument;
        moveFrame(connection_, *window, desktop->layout().space().rootFromTopLeft(*origin));
    } else if (attribute == ax::kSize) {
        const Size* size = std::get_if<Size>(&newValue);
        if (size == nullptr) return AXError::illegalArgument;
        resizeFrame(connection_, *window, *size);
    } else {
        return AXError::attributeUnsupported;
    }
    cache_.expire();
    return AXError::success;
}

AXError X11Accessibility::performAction(const AXElementRef& element, std::string_view action) {
    const X11Element* x11 = asX11(element);
    if (x11 == nullptr) return AXError::illegalArgument;
    if (x11->kind != X11Element::Kind::window || action != ax::kRaise) return AXError::actionUnsupported;
    return activation_.activateWindow(x11->window, x11->timeout) ? AXError::success : AXError::failure;
}

}  // namespace zerlith::x11
