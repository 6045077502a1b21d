#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <sys/stat.h>

#include "platform/manual_dispatch.hpp"
#include "support/temp_folder.hpp"
#include "system/preferences_file.hpp"

namespace zerlith::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

class PreferencesFileTest : public ::testing::Test {
protected:
    fs::path path() { return folder.path() / "Zerlith" / "preferences.json"; }
    std::vector<std::string> folderEntries() {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path().parent_path())) names.push_back(entry.path().filename());
        std::ranges::sort(names);
        return names;
    }

    TempFolder folder;
    platform::ManualClock clock{1'765'111'500.0};  // 2025-12-07 12:45 UTC
    std::ostringstream warnings;
};

TEST_F(PreferencesFileTest, WritesOwnerOnlyAndReadsBack) {
    {
        PreferencesFile preferences(path(), clock, warnings);
        EXPECT_EQ(preferences.value("shortcut.palette"), std::nullopt);
        ASSERT_TRUE(preferences.setValue("shortcut.palette", {{"carbonModifiers", 2048}, {"keyCode", 49}}));
        ASSERT_TRUE(preferences.setValue("setup.shown", true));
    }
    struct stat info {};
    ASSERT_EQ(::stat(path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    PreferencesFile again(path(), clock, warnings);
    EXPECT_EQ(again.value("shortcut.palette"), (json{{"carbonModifiers", 2048}, {"keyCode", 49}}));
    EXPECT_EQ(again.value("setup.shown"), json(true));
    EXPECT_EQ(warnings.str(), "");
}

TEST_F(PreferencesFileTest, MovesABrokenFileAsideInsteadOfOverwritingIt) {
    // Two broken files in the same second: the second one must not replace the first one aside.
    const std::string aside = "preferences.json.broken-20251207T124500Z";
    const struct {
        std::string broken;
        std::vector<std::string> entries;
    } cases[] = {
        {"{\"shortcut.palette\": ", {"preferences.json", aside}},
        {"[1, 2]", {"preferences.json", aside, aside + "-2"}},
    };
    for (const auto& [broken, entries] : cases) {
        writeText(path(), broken);
        warnings.str("");
        PreferencesFile preferences(path(), clock, warnings);
        EXPECT_EQ(preferences.value("shortcut.palette"), std::nullopt);
        ASSERT_TRUE(preferences.setValue("setup.shown", true));

        EXPECT_EQ(folderEntries(), entries);
        EXPECT_EQ(readText(path().parent_path() / entries.back()), broken);
        EXPECT_NE(warnings.str().find("moved it to"), std::string::npos) << warnings.str();
        EXPECT_EQ(std::ranges::count(warnings.str(), '\n'), 1);
    }
}

TEST_F(PreferencesFileTest, MovesAsideWithoutReadingWhatIsNoRegularFileOrTooLarge) {
    fs::create_directories(path().parent_path());
    const fs::path fifo = folder.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::function<void()> plant;
        std::string why;
    } cases[] = {
        {[&] { fs::create_symlink(fifo, path()); }, "is not a regular file"},  // opening it used to wait for a writer
        {[&] { fs::create_symlink("/dev/zero", path()); }, "is not a regular file"},
        {[&] { writeText(path(), ""); fs::resize_file(path(), std::uintmax_t{4} << 30); }, "is larger than 1024 KiB"},
    };
    for (const auto& [plant, why] : cases) {
        plant();
        warnings.str("");
        PreferencesFile preferences(path(), clock, warnings);
        EXPECT_EQ(preferences.value("setup.shown"), std::nullopt);
        EXPECT_NE(warnings.str().find(why + "; moved it to"), std::string::npos) << warnings.str();
        ASSERT_TRUE(preferences.setValue("setup.shown", true));
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path())));
        for (const auto& entry : fs::directory_iterator(path().parent_path())) {
            if (entry.path() != path()) fs::remove(entry.path());
        }
        fs::remove(path());
    }
}

TEST_F(PreferencesFileTest, KeepsTheOldValuesWhenTheFileCannotBeWritten) {
    writeText(path().parent_path() / "blocker", "");
    PreferencesFile preferences(path().parent_path() / "blocker" / "preferences.json", clock, warnings);
    EXPECT_FALSE(preferences.setValue("setup.shown", true));
    EXPECT_EQ(preferences.value("setup.shown"), std::nullopt);
    EXPECT_NE(warnings.str().find("cannot write"), std::string::npos);
}

}  // namespace
}  // namespace zerlith::testing
