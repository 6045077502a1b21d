#include "platform/keyboard_capture.hpp"

#include <utility>

namespace zerlith::platform {

KeyboardCapture::KeyboardCapture(KeyboardCapture&& other) noexcept
    : keeper_(std::exchange(other.keeper_, {})), capture_(other.capture_) {}

KeyboardCapture& KeyboardCapture::operator=(KeyboardCapture&& other) noexcept {
    if (this != &other) {
        release();
        keeper_ = std::exchange(other.keeper_, {});
        capture_ = other.capture_;
    }
    return *this;
}

std::string KeyboardCapture::takeTyped() {
    const auto keeper = keeper_.lock();
    return keeper ? keeper->takeTyped(capture_) : std::string();
}

void KeyboardCapture::letGo(bool handOver) {
    // The keeper (the desktop) may be gone already when an application tears down.
    if (const auto keeper = std::exchange(keeper_, {}).lock()) keeper->release(capture_, handOver);
}

}  // namespace zerlith::platform
