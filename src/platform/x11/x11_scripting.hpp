#pragma once

#include <filesystem>

#include "platform/scripting.hpp"

namespace zerlith::x11 {

/// No browser on Linux answers to the bundle identifiers the core asks for, so none can be
/// automated: every check answers "not running" and scripts have no interpreter unless one was
/// installed where the core looks for it. Any thread.
class X11Scripting final : public platform::Scripting {
public:
    /// The status of the automation check for an application that does not run.
    static constexpr int kNotRunningStatus = -600;

    int automationStatus(std::string_view) override { return kNotRunningStatus; }
    std::optional<std::string> interpreterPath() override {
        static constexpr const char* kInterpreter = "/usr/bin/osascript";
        std::error_code error;
        if (!std::filesystem::is_regular_file(kInterpreter, error)) return std::nullopt;
        return kInterpreter;
    }
    std::optional<std::string> runInProcess(std::string_view, double) override { return std::nullopt; }
};

}  // namespace zerlith::x11
