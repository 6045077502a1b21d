#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace zerlith::platform {

/// The keyboard, held for the application from a hot key's press, so that what the user types
/// next is kept in order instead of reaching the window being left. Exactly one owner holds it;
/// the keyboard is let go when the owner lets go of it or goes away, whatever path it takes.
/// Move-only. Main thread.
class KeyboardCapture {
public:
    /// What holds the keyboard on the desktop's side, addressed by the capture's number: a later
    /// press starts a new capture, and an older token then lets go of nothing.
    class Keeper {
    public:
        virtual std::string takeTyped(std::uint64_t capture) = 0;
        virtual void release(std::uint64_t capture, bool handOver) = 0;

    protected:
        ~Keeper() = default;
    };

    /// Holds nothing: the desktop captured no keys.
    KeyboardCapture() = default;
    KeyboardCapture(std::weak_ptr<Keeper> keeper, std::uint64_t capture)
        : keeper_(std::move(keeper)), capture_(capture) {}
    KeyboardCapture(KeyboardCapture&& other) noexcept;
    KeyboardCapture& operator=(KeyboardCapture&& other) noexcept;
    KeyboardCapture(const KeyboardCapture&) = delete;
    KeyboardCapture& operator=(const KeyboardCapture&) = delete;
    ~KeyboardCapture() { release(); }

    /// What was typed since the press or the last take, in order, as text with Return, Escape and
    /// BackSpace as "\r", "\x1b" and "\b"; the keyboard stays held. Keys typed after a Return or
    /// Escape are not part of it: they wait in the desktop for the window that gets the focus
    /// next, or for the next take.
    std::string takeTyped();
    /// Lets the keyboard go now, also what waits in the desktop: it reaches the focused window.
    /// Nothing when it holds nothing.
    void release() { letGo(false); }
    /// Lets the keyboard go once the window being activated now (or, when none is, the next
    /// window the desktop activates) has the focus: what the user types meanwhile waits for it
    /// rather than reaching the window being left.
    void handOver() { letGo(true); }

private:
    void letGo(bool handOver);

    std::weak_ptr<Keeper> keeper_;
    std::uint64_t capture_ = 0;
};

}  // namespace zerlith::platform
