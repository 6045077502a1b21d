#include "providers/x11/x11_hot_keys.hpp"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "providers/x11/xcb_xkb.hpp"

#include "platform/latency_trace.hpp"
#include "providers/xdg/key_positions.hpp"
#include "providers/x11/property_decoding.hpp"

namespace zerlith::x11 {
namespace {

/// How long taking the typed keys may wait for the server.
constexpr double kReplyTimeout = 1.0;
/// At most this many keys are taken at once; a key held down must not keep the taker forever.
constexpr int kMostDrainPasses = 256;
/// How long the keyboard may stay stopped, keys waiting in the server for the next window: less
/// than X's usual repeat delay (660 ms), and a window manager that does not activate the window
/// must not leave the keyboard held.
constexpr double kLongestStop = 0.5;

/// The modifiers a shortcut may hold, the Carbon bit and its X11 modifier (by position: option is
/// Alt on Mod1, command is Super on Mod4).
constexpr std::pair<std::uint32_t, std::uint16_t> kModifiers[] = {
    {0x100, XCB_MOD_MASK_4}, {0x200, XCB_MOD_MASK_SHIFT}, {0x800, XCB_MOD_MASK_1}, {0x1000, XCB_MOD_MASK_CONTROL}};

std::uint16_t x11Modifiers(std::uint32_t carbonModifiers) {
    std::uint16_t mask = 0;
    for (const auto& [carbon, x11] : kModifiers)
        if (carbonModifiers & carbon) mask |= x11;
    return mask;
}

/// Keys after which what the user types belongs to another window than the palette.
bool endsTyping(std::string_view text) { return text == "\r" || text == "\x1b"; }

}  // namespace

X11HotKeys::X11HotKeys(XcbConnection& connection, platform::Dispatch& dispatch, ReplyWaiter waitForReply)
    : connection_(connection),
      dispatch_(dispatch),
      waitForReply_(std::move(waitForReply)),
      layout_(connection),
      self_(static_cast<platform::KeyboardCapture::Keeper*>(this), [](auto*) {}) {}

X11HotKeys::~X11HotKeys() {
    std::lock_guard lock(mutex_);
    self_.reset();
    if (hold_ != Hold::none) letGo();
}

void X11HotKeys::setPressHandler(PressHandler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

bool X11HotKeys::registerKey(std::uint32_t id, std::uint32_t keyCode, std::uint32_t carbonModifiers) {
    std::lock_guard lock(mutex_);
    if (const auto found = registrations_.find(id); found != registrations_.end()) {
        ungrab(found->second);
        registrations_.erase(found);
    }
    Registration registration{keyCode, carbonModifiers};
    if (!grab(registration)) return false;
    registrations_.emplace(id, registration);
    return true;
}

void X11HotKeys::unregisterKey(std::uint32_t id) {
    std::lock_guard lock(mutex_);
    if (const auto found = registrations_.find(id); found != registrations_.end()) {
        ungrab(found->second);
        registrations_.erase(found);
    }
}

std::optional<std::string> X11HotKeys::layoutKeyName(std::uint32_t keyCode) {
    const auto name = xdg::xkbKeyName(keyCode);
    if (!name) return std::nullopt;
    std::lock_guard lock(mutex_);
    const auto key = layout_.keyCode(*name);
    return key ? layout_.upperCaseName(*key) : std::nullopt;
}

std::optional<std::uint32_t> X11HotKeys::storedKeyCode(std::uint32_t nativeKey) {
    std::lock_guard lock(mutex_);
    return xdg::macKeyCode([&](std::string_view name) { return layout_.keyCode(name) == nativeKey; });
}

std::vector<std::uint16_t> X11HotKeys::lockCombinations() const {
    const std::uint16_t locks[] = {XCB_MOD_MASK_LOCK, layout_.numLockMask(), layout_.scrollLockMask()};
    std::vector<std::uint16_t> combinations{0};
    for (const std::uint16_t lockMask : locks) {
        if (lockMask == 0) continue;
        const auto before = combinations;
        for (const std::uint16_t combination : before) combinations.push_back(combination | lockMask);
    }
    std::sort(combinations.begin(), combinations.end());
    combinations.erase(std::unique(combinations.begin(), combinations.end()), combinations.end());
    return combinations;
}

bool X11HotKeys::grab(Registration& registration) {
    const auto name = xdg::xkbKeyName(registration.keyCode);
    const auto key = name ? layout_.keyCode(*name) : std::nullopt;
    if (!key) return false;
    registration.key = *key;
    registration.modifiers = x11Modifiers(registration.carbonModifiers);
    std::vector<xcb_void_cookie_t> cookies;
    for (const std::uint16_t locks : lockCombinations()) {
        // The keyboard freezes at the press until handleEvent() takes it over (see the class).
        cookies.push_back(xcb_grab_key_checked(connection_.raw(), 1, connection_.root(),
                                               registration.modifiers | locks, registration.key,
                                               XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC));
    }
    bool taken = false;
    for (const auto cookie : cookies) {
        XcbReply<xcb_generic_error_t> error{xcb_request_check(connection_.raw(), cookie)};
        if (error) taken = true;  // BadAccess: another client holds it; any other error: unusable too
    }
    if (!taken && !connection_.broken()) return true;
    ungrab(registration);
    registration.key = 0;
    return false;
}

void X11HotKeys::ungrab(const Registration& registration) {
    if (registration.key == 0) return;
    for (const std::uint16_t locks : lockCombinations())
        xcb_ungrab_key(connection_.raw(), registration.key, connection_.root(), registration.modifiers | locks);
    connection_.flush();
}

std::string X11HotKeys::takeTyped(std::uint64_t capture) {
    {
        // An earlier take stopped the keyboard (at its end or at a Return it returned): what was
        // typed meanwhile waits in the server.
        std::lock_guard lock(mutex_);
        if (capture == capture_ && hold_ == Hold::capturing && stopped_ && typed_.empty()) {
            stopped_ = false;
            nextKey();
        }
    }
    // The server hands over one key at a time: read until a round trip brings no more.
    for (int pass = 0; pass < kMostDrainPasses; ++pass) {
        std::uint64_t seen = 0;
        {
            std::lock_guard lock(mutex_);
            if (capture != capture_ || hold_ != Hold::capturing || stopped_) break;
            seen = keysSeen_;
        }
        if (!roundTrip()) break;
        std::lock_guard lock(mutex_);
        if (keysSeen_ == seen) break;
    }
    {
        std::lock_guard lock(mutex_);
        if (capture != capture_) return {};
        if (hold_ == Hold::capturing && !stopped_) stop();
    }
    // A key sent before the keyboard stopped is read now: none is on its way when the keyboard
    // is let go, so none can overtake the ones that wait in the server.
    roundTrip();
    std::lock_guard lock(mutex_);
    return capture == capture_ ? std::exchange(typed_, {}) : std::string();
}

bool X11HotKeys::roundTrip() {
    auto cookie = xcb_get_input_focus(connection_.raw());
    return XcbReply<xcb_get_input_focus_reply_t>{static_cast<xcb_get_input_focus_reply_t*>(waitForReply(cookie.sequence))} !=
           nullptr;
}

void* X11HotKeys::waitForReply(unsigned sequence) { return waitForReply_(sequence, Deadline::after(kReplyTimeout)); }

void X11HotKeys::release(std::uint64_t capture, bool handOver) {
    // Without a window asked for, the keys go to the next one activated after the one now active.
    const auto active = handOver ? activeWindow() : std::nullopt;
    std::lock_guard lock(mutex_);
    if (capture != capture_ || hold_ == Hold::none) return;
    if (!handOver || !held_.empty()) {
        letGoOnceKeysAreUp();
        return;
    }
    if (!stopped_) stop();
    hold_ = Hold::keeping;
    leavingWindow_ = active.value_or(XCB_NONE);
    // The awaited window may have become active before the keyboard was handed over.
    postStep(0, &X11HotKeys::checkHandOver, capture);
}

platform::KeyboardCapture X11HotKeys::holdKeyboard() {
    std::lock_guard lock(mutex_);
    // A hot key still down would have its release held back and sent elsewhere.
    if (!held_.empty()) return {};
    startCapture();
    stop();
    return {self_, capture_};
}

void X11HotKeys::startCapture() {
    hold_ = Hold::capturing;
    stopped_ = false;
    stopAsked_ = false;
    releaseAsked_ = false;
    down_.clear();
    awaitedWindow_ = XCB_NONE;
    typed_.clear();
    ++capture_;
}

void X11HotKeys::stop() {
    // Held longer than the keyboard's repeat delay, a key whose release waits in the server would
    // start repeating: whatever happens, the keys go on before that.
    postStep(kLongestStop, &X11HotKeys::stopTimedOut, capture_);
    // Stopped while a key is down, the keyboard holds the key's release back, and a late step
    // here (a busy machine) lets the server repeat the key after it: a press nobody typed, for
    // the next window. So it stops once no key it handed over is down.
    stopAsked_ = !down_.empty();
    if (!stopAsked_) halt();
}

void X11HotKeys::halt() {
    // Grabbing again in synchronous mode stops the keyboard at once.
    xcb_grab_keyboard(connection_.raw(), 0, connection_.root(), XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC,
                      XCB_GRAB_MODE_SYNC);
    connection_.flush();
    stopped_ = true;
    stopAsked_ = false;
}

void X11HotKeys::stopTimedOut(std::uint64_t capture) {
    std::lock_guard lock(mutex_);
    if (capture != capture_ || hold_ == Hold::none || !(stopped_ || stopAsked_)) return;
    // Keys typed up to a Return or Escape that the owner has not taken yet choose the window that
    // what follows them is for; a busy window manager may not even have shown the palette yet.
    // The owner takes them within its own bound: the keyboard goes on a moment after.
    if (hold_ == Hold::capturing && !typed_.empty() && endsTyping(typed_.substr(typed_.size() - 1))) {
        postStep(kLongestStop, &X11HotKeys::stopTimedOut, capture);
        return;
    }
    letGoOnceKeysAreUp();
}

void X11HotKeys::letGoOnceKeysAreUp() {
    if (held_.empty()) {
        letGo();
        return;
    }
    // A hot key still down would send its release to another window, and its next press would
    // look like a repeat: read on until its release comes here. Keys typed meanwhile are for
    // nobody.
    hold_ = Hold::capturing;
    releaseAsked_ = true;
    stopAsked_ = false;
    if (stopped_) {
        stopped_ = false;
        nextKey();
    }
}

void X11HotKeys::activationRequested(xcb_window_t window) {
    std::lock_guard lock(mutex_);
    if (hold_ != Hold::none) awaitedWindow_ = window;
}

void X11HotKeys::activeWindowChanged() {
    std::lock_guard lock(mutex_);
    if (hold_ != Hold::keeping) return;
    // Hiding the palette may hand the focus to the window it was opened over before the chosen
    // one gets it: only the chosen one's turn lets the keys go. Reading which window that is
    // takes a round trip, which the event reader must not wait for.
    postStep(0, &X11HotKeys::checkHandOver, capture_);
}

void X11HotKeys::postStep(double delaySeconds, void (X11HotKeys::*step)(std::uint64_t), std::uint64_t capture) {
    dispatch_.postMainAfter(delaySeconds, [weak = std::weak_ptr(self_), step, capture] {
        if (const auto self = weak.lock()) (static_cast<X11HotKeys*>(self.get())->*step)(capture);
    });
}

void X11HotKeys::checkHandOver(std::uint64_t capture) {
    const auto active = activeWindow().value_or(XCB_NONE);
    std::lock_guard lock(mutex_);
    if (capture != capture_ || hold_ != Hold::keeping) return;
    const bool arrived = awaitedWindow_ != XCB_NONE ? active == awaitedWindow_
                                                    : active != XCB_NONE && active != leavingWindow_;
    if (arrived) letGoOnceKeysAreUp();
}

std::optional<xcb_window_t> X11HotKeys::activeWindow() {
    auto cookie = xcb_get_property(connection_.raw(), 0, connection_.root(), connection_.ewmh()->_NET_ACTIVE_WINDOW,
                                   XCB_ATOM_WINDOW, 0, 1);
    XcbReply<xcb_get_property_reply_t> reply{static_cast<xcb_get_property_reply_t*>(waitForReply(cookie.sequence))};
    return firstCardinal(reply.get(), XCB_ATOM_WINDOW);
}

void X11HotKeys::nextKey() {
    // Not the last event's time: a stop grabs again at the server's present time, which may be
    // later than keys already waiting, and the server ignores an AllowEvents older than a grab.
    xcb_allow_events(connection_.raw(), XCB_ALLOW_SYNC_KEYBOARD, XCB_CURRENT_TIME);
    connection_.flush();
}

void X11HotKeys::letGo() {
    // What waits in the server goes on, in order, to the window with the focus.
    xcb_ungrab_keyboard(connection_.raw(), XCB_CURRENT_TIME);
    connection_.flush();
    hold_ = Hold::none;
    stopped_ = false;
    stopAsked_ = false;
    releaseAsked_ = false;
    down_.clear();
}

bool X11HotKeys::handleEvent(const xcb_generic_event_t& event) {
    const std::uint8_t type = event.response_type & 0x7F;
    switch (type) {
    case XCB_KEY_PRESS:
        pressed(reinterpret_cast<const xcb_key_press_event_t&>(event));
        return true;
    case XCB_KEY_RELEASE:
        released(reinterpret_cast<const xcb_key_release_event_t&>(event));
        return true;
    case XCB_MAPPING_NOTIFY:
        if (reinterpret_cast<const xcb_mapping_notify_event_t&>(event).request != XCB_MAPPING_POINTER) keyboardChanged();
        return true;
    default:
        break;
    }
    const auto xkb = layout_.firstEvent();
    if (!xkb || type != *xkb) return false;
    // XKB's notifications share one event code and tell their kind in the second byte.
    const std::uint8_t kind = reinterpret_cast<const std::uint8_t*>(&event)[1];
    if (kind == XCB_XKB_NEW_KEYBOARD_NOTIFY || kind == XCB_XKB_MAP_NOTIFY) keyboardChanged();
    return true;
}

void X11HotKeys::keyboardChanged() {
    std::lock_guard lock(mutex_);
    for (auto& [id, registration] : registrations_) ungrab(registration);
    layout_.reload();
    // A key the new layout lacks, or that another client took meanwhile, stays without a grab.
    for (auto& [id, registration] : registrations_) grab(registration);
}

void X11HotKeys::pressed(const xcb_key_press_event_t& press) {
    PressHandler handler;
    std::uint32_t id = 0;
    std::uint64_t capture = 0;
    {
        std::lock_guard lock(mutex_);
        const std::uint16_t locks = XCB_MOD_MASK_LOCK | layout_.numLockMask() | layout_.scrollLockMask();
        const std::uint16_t modifiers = press.state & 0xff & ~locks;
        const auto found = std::find_if(registrations_.begin(), registrations_.end(), [&](const auto& entry) {
            return entry.second.key == press.detail && entry.second.modifiers == modifiers;
        });
        if (found == registrations_.end()) {
            if (hold_ != Hold::none) down_.insert(press.detail);
            typedKey(press);
            return;
        }
        if (!held_.insert(press.detail).second) {
            // A repeat of the held hot key. Through a passive grab the keyboard froze at it: thaw it.
            if (hold_ == Hold::none) {
                xcb_allow_events(connection_.raw(), XCB_ALLOW_ASYNC_KEYBOARD, press.time);
                connection_.flush();
            } else {
                keySeen();
            }
            return;
        }
        // Take the keyboard while the press's grab still holds it. The server then hands over one
        // key at a time, so that it can stop anywhere with the rest still in its queue.
        connection_.discardReply(xcb_grab_keyboard(connection_.raw(), 0, connection_.root(), press.time,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC)
                                     .sequence);
        startCapture();
        down_.insert(press.detail);
        nextKey();
        capture = capture_;
        handler = handler_;
        id = found->first;
    }
    platform::latency::start("hot key read");
    platform::KeyboardCapture token(self_, capture);
    if (handler) handler(id, press.time, std::move(token));
}

void X11HotKeys::typedKey(const xcb_key_press_event_t& press) {
    if (hold_ == Hold::none) return;
    // One on its way as the keyboard stopped is still typed to the palette, but one after a
    // hand-over is for nobody.
    const auto text = hold_ == Hold::capturing ? layout_.text(press.detail, press.state) : std::string();
    typed_ += text;
    // What follows a Return or Escape belongs to the window the palette leaves for.
    if (endsTyping(text) && held_.empty()) stop();
    keySeen();
}

void X11HotKeys::keySeen() {
    ++keysSeen_;
    if (!stopped_) nextKey();
}

void X11HotKeys::released(const xcb_key_release_event_t& release) {
    std::lock_guard lock(mutex_);
    held_.erase(release.detail);
    down_.erase(release.detail);
    if (hold_ == Hold::none) return;
    if (releaseAsked_ && held_.empty()) {
        letGo();
        return;
    }
    if (stopAsked_ && down_.empty()) halt();
    keySeen();
}

}  // namespace zerlith::x11
