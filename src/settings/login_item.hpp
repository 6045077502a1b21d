#pragma once

#include <string>

namespace zerlith {

/// Whether the application starts when the user logs in. Main thread.
class LoginItem {
public:
    virtual ~LoginItem() = default;

    /// What the system says now: the application starts at login.
    virtual bool enabled() = 0;
    /// Asks for the application to start at login, or not; false when that could not be done.
    /// Enabling what is already enabled changes nothing and succeeds.
    virtual bool setEnabled(bool enabled) = 0;
    /// Why the last setEnabled() failed, as a sentence the settings window shows; empty when it
    /// did not say.
    virtual std::string failure() const { return {}; }
    /// The user must still approve the item in the system's settings (never on Linux).
    virtual bool needsApproval() { return false; }
};

/// A login item that lives as long as the object: the simulated desktop's.
class MemoryLoginItem final : public LoginItem {
public:
    bool enabled() override { return enabled_; }
    bool setEnabled(bool enabled) override {
        enabled_ = enabled;
        return true;
    }

private:
    bool enabled_ = false;
};

}  // namespace zerlith
