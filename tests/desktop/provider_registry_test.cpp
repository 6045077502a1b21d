#include "desktop/provider_registry.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/clock.hpp"
#include "platform/manual_dispatch.hpp"

namespace zerlith::desktop {
namespace {

using Environment = std::map<std::string, std::string>;

Session sessionOf(const Environment& environment) {
    return Session::read([&](const char* name) -> const char* {
        const auto found = environment.find(name);
        return found != environment.end() ? found->second.c_str() : nullptr;
    });
}

/// The providers this build tries for a session, by name ("wlroots x11"), or its usage error.
std::string chosenFor(const Environment& environment) {
    const auto chosen = providersFor(sessionOf(environment), registeredProviders());
    if (const auto* error = std::get_if<std::string>(&chosen)) return *error;
    std::string names;
    for (const Provider* provider : std::get<std::vector<const Provider*>>(chosen))
        names += (names.empty() ? "" : " ") + std::string(provider->name);
    return names;
}

class ProviderRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string names;
        for (const Provider& provider : registeredProviders()) names += std::string(provider.name) + " ";
        if (names != "wlroots x11 ") GTEST_SKIP() << "the cases are for a build with wlroots then x11, not: " << names;
    }
};

TEST_F(ProviderRegistryTest, ChoosesTheProvidersASessionIsOfInOrder) {
    const struct {
        const char* session;
        Environment environment;
        const char* chosen;
    } cases[] = {
        {"sway with XWayland", {{"XDG_CURRENT_DESKTOP", "sway"}, {"WAYLAND_DISPLAY", "wayland-1"}, {"DISPLAY", ":0"}, {"SWAYSOCK", "/run/sway.sock"}}, "wlroots x11"},
        {"sway without XWayland", {{"XDG_CURRENT_DESKTOP", "sway"}, {"WAYLAND_DISPLAY", "wayland-1"}}, "wlroots"},
        {"a compositor that names no desktop", {{"WAYLAND_DISPLAY", "/run/user/1000/wayland-0"}}, "wlroots"},
        {"Hyprland", {{"XDG_CURRENT_DESKTOP", "Hyprland"}, {"XDG_SESSION_TYPE", "wayland"}, {"WAYLAND_DISPLAY", "wayland-1"}, {"DISPLAY", ":1"}}, "wlroots x11"},
        {"an X11 session", {{"XDG_CURRENT_DESKTOP", "XFCE"}, {"XDG_SESSION_TYPE", "x11"}, {"DISPLAY", ":0"}}, "x11"},
        {"KDE Plasma on X11", {{"XDG_CURRENT_DESKTOP", "KDE"}, {"DISPLAY", ":0"}}, "x11"},
        // KWin and Mutter keep other applications' windows from Wayland clients: no wlroots probe.
        {"KDE Plasma on Wayland", {{"XDG_CURRENT_DESKTOP", "KDE"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":1"}}, "x11"},
        {"GNOME on Wayland, as Ubuntu names it", {{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}, "x11"},
        {"GNOME on Wayland without XWayland", {{"XDG_CURRENT_DESKTOP", "GNOME"}, {"WAYLAND_DISPLAY", "wayland-0"}}, ""},
        {"a desktop whose name only starts like GNOME's", {{"XDG_CURRENT_DESKTOP", "GNOME-Flashback-ish"}, {"WAYLAND_DISPLAY", "wayland-0"}}, "wlroots"},
        {"over ssh", {{"XDG_SESSION_TYPE", "tty"}}, ""},
        {"displays set but empty", {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, ""},
        {"the user names a provider", {{"XDG_CURRENT_DESKTOP", "sway"}, {"WAYLAND_DISPLAY", "wayland-1"}, {"DISPLAY", ":0"}, {"ZERLITH_PROVIDER", "x11"}}, "x11"},
        {"a named provider is tried though not detected", {{"XDG_CURRENT_DESKTOP", "KDE"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"ZERLITH_PROVIDER", "wlroots"}}, "wlroots"},
        {"a named provider without any display", {{"ZERLITH_PROVIDER", "x11"}}, "x11"},
        {"an empty name is no name", {{"DISPLAY", ":0"}, {"ZERLITH_PROVIDER", ""}}, "x11"},
        {"an unknown name", {{"DISPLAY", ":0"}, {"ZERLITH_PROVIDER", "kde"}}, "unknown provider \"kde\" in ZERLITH_PROVIDER; known: wlroots, x11"},
        {"names are exact", {{"DISPLAY", ":0"}, {"ZERLITH_PROVIDER", "X11"}}, "unknown provider \"X11\" in ZERLITH_PROVIDER; known: wlroots, x11"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.session);
        EXPECT_EQ(chosenFor(c.environment), c.chosen);
    }
}

TEST_F(ProviderRegistryTest, ANamedProviderWithoutItsDisplayGivesTheReasonWithoutTryingToConnect) {
    platform::ManualClock clock(0);
    platform::ManualDispatch dispatch(clock);
    const Session session = sessionOf({{"XDG_SESSION_TYPE", "tty"}});
    for (const Provider& provider : registeredProviders()) {
        SCOPED_TRACE(provider.name);
        const auto connection = provider.connect(session, clock, dispatch);
        ASSERT_TRUE(std::holds_alternative<std::string>(connection));
        EXPECT_TRUE(std::get<std::string>(connection).ends_with("is not set")) << std::get<std::string>(connection);
    }
}

}  // namespace
}  // namespace zerlith::desktop
