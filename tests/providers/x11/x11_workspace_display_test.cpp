// Running applications from the windows' owners and desktop entries; screens from RandR.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "x11/support/desktop_fixture.hpp"
#include "support/scoped_environment.hpp"

namespace zerlith::x11::testing {
namespace {

namespace fs = std::filesystem;
using platform::ActivationPolicy;

/// A private XDG data directory with one application's desktop entry and icon.
class X11WorkspaceTest : public X11DesktopTest {
protected:
    void SetUp() override {
        dataHome_ = fs::temp_directory_path() / ("zerlith-x11-" + std::to_string(::getpid()));
        fs::create_directories(dataHome_ / "applications");
        fs::create_directories(dataHome_ / "icons/hicolor/48x48/apps");
        std::ofstream(dataHome_ / "applications/org.example.Notes.desktop")
            << "[Desktop Entry]\nType=Application\nName=Notes\nName[de]=Notizen\nIcon=org.example.Notes\n"
               "StartupWMClass=NotesWindow\nExec=notes\n";
        std::ofstream(dataHome_ / "icons/hicolor/48x48/apps/org.example.Notes.png") << "png";
        environment_.set("XDG_DATA_HOME", dataHome_.string());
        environment_.set("XDG_DATA_DIRS", (dataHome_ / "none").string());
        environment_.set("LC_ALL", "de_DE.UTF-8");
    }
    void TearDown() override { fs::remove_all(dataHome_); }

    ScopedEnvironment environment_;
    fs::path dataHome_;
};

TEST_F(X11WorkspaceTest, ApplicationsAreTheWindowOwnersNamedByDesktopEntryOrWindowClass) {
    auto windows = map({"--title", "Shopping", "--pid", "401", "--class", "notes,NotesWindow",  //
                        "--title", "Shell", "--pid", "402", "--class", "xterm,XTerm",
                        "--title", "Panel", "--pid", "403", "--type", "dock",
                        "--title", "Untitled", "--pid", "401", "--class", "notes,NotesWindow"});
    auto applications = desktop().workspace().runningApplications();
    ASSERT_EQ(applications.size(), 3u);
    EXPECT_EQ(applications[0].pid, 401);  // in the order their first window was mapped
    EXPECT_EQ(applications[0].localizedName, "Notizen");
    EXPECT_EQ(applications[0].bundleIdentifier, "org.example.Notes");
    EXPECT_EQ(applications[0].activationPolicy, ActivationPolicy::regular);
    EXPECT_EQ(applications[1].localizedName, "XTerm");
    EXPECT_EQ(applications[1].bundleIdentifier, "xterm");
    EXPECT_EQ(applications[2].pid, 403);
    EXPECT_EQ(applications[2].activationPolicy, ActivationPolicy::accessory);

    // The change reaches the desktop's own connection a little after the probe sees it.
    EXPECT_TRUE(eventually([&] {
        const auto front = desktop().workspace().frontmostApplication();
        return probe().activeWindow() == (*windows)[3] && front && front->pid == 401;
    }));
}

TEST_F(X11WorkspaceTest, BundleIdentifierLeadsToTheDesktopEntryAndItsIcon) {
    auto& workspace = desktop().workspace();
    auto path = workspace.applicationPath("org.example.Notes");
    ASSERT_TRUE(path);
    EXPECT_EQ(fs::path(*path), dataHome_ / "applications/org.example.Notes.desktop");
    auto icon = workspace.iconForFile(*path);
    ASSERT_TRUE(icon);
    EXPECT_EQ(fs::path(icon->path), dataHome_ / "icons/hicolor/48x48/apps/org.example.Notes.png");
    EXPECT_FALSE(workspace.applicationPath("org.example.Missing"));
    EXPECT_EQ(workspace.ownPid(), ::getpid());
}

using X11DisplayTest = X11DesktopTest;

TEST_F(X11DisplayTest, MonitorsAreScreensWithTheWorkAreaAsVisibleFrame) {
    // A panel reserving 40 pixels at the bottom of the root shrinks the work area of both monitors.
    auto windows = map({"--title", "Panel", "--type", "dock", "--frame", "0,1040,3840,40", "--strut", "0,0,0,40"});
    ASSERT_TRUE(eventually([&] { return desktop().display().screens().at(0).visibleFrame.height == 1040; }));
    auto screens = desktop().display().screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].name, "LEFT");
    EXPECT_EQ(screens[0].frame, (Rect{0, 0, 1920, 1080}));
    EXPECT_EQ(screens[0].visibleFrame, (Rect{0, 40, 1920, 1040}));  // y upward: the panel is below
    EXPECT_EQ(screens[1].name, "RIGHT");
    EXPECT_EQ(screens[1].frame, (Rect{1920, 0, 1920, 1080}));
    EXPECT_NE(screens[0].id, screens[1].id);
}

TEST_F(X11DisplayTest, MainScreenHoldsTheActiveWindowAndThePointerIsBottomLeft) {
    auto windows = map({"--title", "Right side", "--pid", "501", "--frame", "2200,100,600,400"});
    ASSERT_TRUE(eventually([&] { return probe().activeWindow() == (*windows)[0]; }));
    EXPECT_EQ(desktop().display().mainScreen()->name, "RIGHT");

    probe().warpPointer(2000, 100);
    EXPECT_EQ(desktop().display().pointerLocation(), (Point{2000, 980}));
}

}  // namespace
}  // namespace zerlith::x11::testing
