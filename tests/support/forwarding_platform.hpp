#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.hpp"

namespace zerlith::testing {

/// A platform that passes everything to another one. A test derives from it to replace the one
/// part the simulated desktop cannot express, and installs it over the simulated desktop.
class ForwardingPlatform : public platform::Platform, public platform::MacInterfaces {
public:
    explicit ForwardingPlatform(platform::Platform& inner) : inner_(inner) {}

    desktop::ProviderInfo provider() const override { return inner_.provider(); }
    desktop::Windows& windows() override { return inner_.windows(); }
    desktop::DesktopTabs* tabs() override { return inner_.tabs(); }
    desktop::Access* access() override { return inner_.access(); }
    platform::Workspace& workspace() override { return inner_.workspace(); }
    platform::Display& display() override { return inner_.display(); }
    platform::MacInterfaces* macOS() override { return inner_.macOS() != nullptr ? this : nullptr; }
    platform::Accessibility& accessibility() override { return inner_.macOS()->accessibility(); }
    platform::WindowServer& windowServer() override { return inner_.macOS()->windowServer(); }
    platform::Scripting& scripting() override { return inner_.macOS()->scripting(); }
    platform::Clock& clock() override { return inner_.clock(); }
    platform::Dispatch& dispatch() override { return inner_.dispatch(); }

protected:
    platform::Platform& inner_;
};

/// Scripting that records every script it is asked to run, with its time limit, before passing
/// it on; it can also name an interpreter to run scripts out of process.
class RecordingScripting : public platform::Scripting {
public:
    struct Call {
        std::string source;
        double timeout;
    };

    explicit RecordingScripting(platform::Scripting& inner, std::optional<std::string> interpreter = {})
        : inner_(inner), interpreter_(std::move(interpreter)) {}

    int automationStatus(std::string_view bundleID) override { return inner_.automationStatus(bundleID); }
    std::optional<std::string> interpreterPath() override { return interpreter_; }
    std::optional<std::string> runInProcess(std::string_view source, double timeout) override {
        calls.push_back({std::string(source), timeout});
        return inner_.runInProcess(source, timeout);
    }

    std::vector<Call> calls;

private:
    platform::Scripting& inner_;
    std::optional<std::string> interpreter_;
};

/// The installed platform with its scripting replaced by a recorder, installed while it lives.
class ScriptRecordingPlatform final : public ForwardingPlatform {
public:
    explicit ScriptRecordingPlatform(std::optional<std::string> interpreter = {})
        : ForwardingPlatform(platform::current()),
          scripts(inner_.macOS()->scripting(), std::move(interpreter)),
          installed_(*this) {}

    platform::Scripting& scripting() override { return scripts; }

    RecordingScripting scripts;

private:
    platform::ScopedPlatform installed_;
};

}  // namespace zerlith::testing
