#include <gtest/gtest.h>

#include "settings/autostart_entry.hpp"
#include "support/temp_folder.hpp"

namespace zerlith::testing {
namespace {

namespace fs = std::filesystem;

class AutostartEntryTest : public ::testing::Test {
protected:
    fs::path user() const { return home.path() / "config" / "autostart"; }
    fs::path system() const { return home.path() / "xdg" / "autostart"; }

    TempFolder home;
    AutostartEntry entry{user(), {home.path() / "none" / "autostart", system()}, "/opt/zer lith/bin/zerlith"};
};

TEST_F(AutostartEntryTest, EnablingWritesTheEntryWithTheExecutable) {
    EXPECT_FALSE(entry.enabled());
    EXPECT_TRUE(entry.setEnabled(true));
    EXPECT_TRUE(entry.enabled());
    const auto text = readText(user() / "zerlith.desktop");
    EXPECT_NE(text.find("[Desktop Entry]\nType=Application\nName=Zerlith\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nExec=\"/opt/zer lith/bin/zerlith\"\n"), std::string::npos) << text;
    EXPECT_EQ(fs::status(user() / "zerlith.desktop").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    EXPECT_TRUE(entry.setEnabled(true));  // already on: nothing to do
}

TEST_F(AutostartEntryTest, DisablingRemovesOurEntry) {
    ASSERT_TRUE(entry.setEnabled(true));
    EXPECT_TRUE(entry.setEnabled(false));
    EXPECT_FALSE(fs::exists(user() / "zerlith.desktop"));
    EXPECT_FALSE(entry.enabled());
    EXPECT_TRUE(entry.setEnabled(false));  // already off
}

TEST_F(AutostartEntryTest, ASystemEntryIsHiddenByTheUsersAndShownAgain) {
    writeText(system() / "zerlith.desktop", "[Desktop Entry]\nType=Application\nExec=zerlith\n");
    EXPECT_TRUE(entry.enabled());
    EXPECT_TRUE(entry.setEnabled(false));
    EXPECT_FALSE(entry.enabled());
    EXPECT_NE(readText(user() / "zerlith.desktop").find("\nHidden=true\n"), std::string::npos);
    EXPECT_TRUE(entry.setEnabled(true));
    EXPECT_TRUE(entry.enabled());
    EXPECT_EQ(readText(user() / "zerlith.desktop").find("Hidden"), std::string::npos);
}

TEST_F(AutostartEntryTest, AnEntryThatSaysHiddenOrDisabledDoesNotStart) {
    writeText(user() / "zerlith.desktop", "[Desktop Entry]\nExec=zerlith\nHidden = true\n");
    EXPECT_FALSE(entry.enabled());
    writeText(user() / "zerlith.desktop", "[Desktop Entry]\nExec=zerlith\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_FALSE(entry.enabled());
    writeText(user() / "zerlith.desktop", "[Desktop Entry]\nExec=zerlith\n[Desktop Action x]\nHidden=true\n");
    EXPECT_TRUE(entry.enabled());
    EXPECT_TRUE(entry.setEnabled(false));
    EXPECT_FALSE(fs::exists(user() / "zerlith.desktop"));
    writeText(user() / "zerlith.desktop", "[Desktop Entry]\nExec=zerlith\nHidden=true\n");
    EXPECT_TRUE(entry.setEnabled(true));
    EXPECT_TRUE(entry.enabled());
}

TEST_F(AutostartEntryTest, AnUnwritableFolderFailsAndTheSwitchShowsOff) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes everywhere";
    fs::create_directories(user());
    fs::permissions(user(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(entry.setEnabled(true));
    EXPECT_FALSE(entry.enabled());
    fs::permissions(user(), fs::perms::owner_all);
}

TEST_F(AutostartEntryTest, AProgramPathAnEntryCannotHoldIsRefusedWithAReason) {
    for (const char* executable : {"/opt/z\x01/zerlith", "/opt/z\x7f/zerlith", "/opt/gr\xfcn/zerlith"}) {
        AutostartEntry refusing{user(), {system()}, executable};
        EXPECT_FALSE(refusing.setEnabled(true)) << executable;
        EXPECT_NE(refusing.failure().find("control character or is not valid UTF-8"), std::string::npos)
            << refusing.failure();
        EXPECT_FALSE(fs::exists(user() / "zerlith.desktop")) << executable;
    }
    AutostartEntry tabbed{user(), {system()}, "/opt/a\tb/zerlith"};
    EXPECT_TRUE(tabbed.setEnabled(true));
    EXPECT_EQ(tabbed.failure(), "");
    EXPECT_NE(readText(user() / "zerlith.desktop").find("\nExec=\"/opt/a\\tb/zerlith\"\n"), std::string::npos);
}

TEST(ExecArgumentTest, QuotesAndEscapesWhatTheFormatReservesAndRefusesWhatItCannotHold) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"/usr/bin/zerlith", "/usr/bin/zerlith"},
        {"/a b/z", "\"/a b/z\""},
        {"/a$b", "\"/a\\\\$b\""},
        {"/a\\b", "\"/a\\\\\\\\b\""},
        {"/100%/z", "/100%%/z"},
        {"/grün/z", "/grün/z"},
        // White space controls are written as the string escapes, never raw.
        {"/a\tb/z", "\"/a\\tb/z\""},
        {"/a\rb/z", "\"/a\\rb/z\""},
        {"/a\nb/z", "\"/a\\nb/z\""},
        // No escape exists for other controls, nor for bytes that are not UTF-8.
        {"/a\x01" "b/z", std::nullopt},
        {"/a\x1b[31m/z", std::nullopt},
        {"/a\x7f/z", std::nullopt},
        {"/gr\xfcn/z", std::nullopt},
        {"/a\xc0\xaf" "b/z", std::nullopt},
    };
    for (const auto& [argument, expected] : cases) {
        EXPECT_EQ(execArgument(argument), expected) << ::testing::PrintToString(argument);
    }
}

}  // namespace
}  // namespace zerlith::testing
