#pragma once

#include <memory>
#include <string>
#include <variant>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "platform/manual_dispatch.hpp"
#include "platform/platform.hpp"
#include "platform/sim/sim_desktop.hpp"

namespace zerlith::testing {

/// A simulated desktop on a manual clock, installed as the current platform for the fixture's
/// lifetime. A desktop the loader refuses fails the test and leaves an empty desktop.
///
///     SimDesktopFixture sim({{"apps", {{{"pid", 501}, {"name", "Notes"}}}}});
///     sim.desktop().update([](sim::DesktopModel& model) { model.frontmost = 501; });
///     sim.dispatch.runMainFor(1.0);
///
/// A desktop of one member whose value is a number needs its type spelled out, as in
/// `SimDesktopFixture sim(json{{"frontmost", 501}})`, or the braces are ambiguous.
class SimDesktopFixture {
public:
    explicit SimDesktopFixture(const nlohmann::json& desktop, double startNow = 1'700'000'000.0)
        : clock(startNow), dispatch(clock), desktop_(load(desktop)), installed_(*desktop_) {}

    platform::ManualClock clock;
    platform::ManualDispatch dispatch;

    sim::SimDesktop& desktop() { return *desktop_; }

private:
    std::unique_ptr<sim::SimDesktop> load(const nlohmann::json& desktop) {
        auto parsed = sim::parseDesktop(desktop.dump(), "fixture desktop");
        if (const auto* refusal = std::get_if<std::string>(&parsed)) {
            ADD_FAILURE() << *refusal;
            return std::make_unique<sim::SimDesktop>(sim::DesktopModel{}, clock, dispatch);
        }
        return std::make_unique<sim::SimDesktop>(std::get<sim::DesktopModel>(std::move(parsed)), clock,
                                                 dispatch);
    }

    std::unique_ptr<sim::SimDesktop> desktop_;
    platform::ScopedPlatform installed_;
};

}  // namespace zerlith::testing
