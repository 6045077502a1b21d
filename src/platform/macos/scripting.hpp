#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zerlith::platform {

/// Status of the automation check: allowed.
inline constexpr int kAutomationAllowed = 0;
/// Status of the automation check: the user has not been asked yet.
inline constexpr int kAutomationNotDetermined = -1744;

/// The browsers' scripting interface and the automation consent that guards it. Any thread.
class Scripting {
public:
    virtual ~Scripting() = default;

    /// The status of the automation check for an application, without asking the user:
    /// kAutomationAllowed, kAutomationNotDetermined, or any other code for "denied".
    virtual int automationStatus(std::string_view bundleID) = 0;

    /// The script interpreter to run as a child process ("-e" and the source), or none when
    /// this desktop answers scripts itself through runInProcess().
    virtual std::optional<std::string> interpreterPath() = 0;

    /// Answers a script without a child process; none for a failure or after `timeout` seconds.
    /// Called only when interpreterPath() is none.
    virtual std::optional<std::string> runInProcess(std::string_view source, double timeout) = 0;
};

}  // namespace zerlith::platform
