#include "platform/known_browsers.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

namespace zerlith::platform {
namespace {

TEST(KnownBrowsers, NamedByTheirExecutableOrProcess) {
    struct Case {
        const char* name;
        const char* browser;  // none: nullptr
    };
    const Case cases[] = {
        {"chromium", "Chromium"},
        {"/usr/lib/chromium/chromium", "Chromium"},
        {"chromium-browser", "Chromium"},
        {"/opt/google/chrome/chrome", "Google Chrome"},
        {"/snap/chromium/2841/usr/lib/chromium-browser/chrome", "Chromium"},
        {"/home/dev/chromium/src/out/Release/chrome", "Chromium"},
        {"chrome", "Chromium"},
        {"/opt/google/chrome-beta/chrome", "Google Chrome"},
        {"/opt/google/chrome/", nullptr},
        {"google-chrome-stable", "Google Chrome"},
        {"/opt/brave.com/brave/brave", "Brave"},
        {"brave-browser", "Brave"},
        {"/opt/microsoft/msedge/msedge", "Microsoft Edge"},
        {"microsoft-edge", "Microsoft Edge"},
        {"/usr/lib/firefox-esr/firefox-esr", "Firefox"},
        {"firefox", "Firefox"},
        {"firefox-bin", "Firefox"},
        // Anything else keeps the family's name: no browser of its own.
        {"GeckoMain", nullptr},
        {"vivaldi-bin", nullptr},
        {"/usr/lib/chromium/chromium (deleted)", nullptr},
        {"Chromium", nullptr},
        {"chromium/", nullptr},
        {"", nullptr},
        {"/", nullptr},
    };
    for (const auto& [name, browser] : cases) {
        const auto* known = knownBrowserNamed(name);
        EXPECT_EQ(known != nullptr ? known->name : "", browser != nullptr ? browser : "") << name;
    }
    // A process that is no browser, and one that does not exist.
    EXPECT_EQ(knownBrowserOfProcess(::getpid()), nullptr);
    EXPECT_EQ(knownBrowserOfProcess(-1), nullptr);
}

}  // namespace
}  // namespace zerlith::platform
