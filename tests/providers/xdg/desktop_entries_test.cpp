// Desktop entries: parsing, which entry names a window class, precedence and icons.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/resource.h>
#include <sys/stat.h>

#include "providers/xdg/desktop_entries.hpp"

namespace zerlith::xdg {
namespace {

namespace fs = std::filesystem;

TEST(DesktopEntryParsingTest, ReadsTheMainGroupForTheLocale) {
    const char* text =
        "# comment\n[Desktop Entry]\nType=Application\nName=Notes\nName[de]=Notizen\nName[de_AT]=Notizerl\n"
        "Icon=notes\nStartupWMClass = NotesWindow\n\n[Desktop Action New]\nName=New note\n";
    struct Case {
        const char* locale;
        const char* name;
    };
    for (const Case& c : {Case{"de_AT.UTF-8", "Notizerl"}, Case{"de_DE.UTF-8@euro", "Notizen"}, Case{"C", "Notes"},
                          Case{"", "Notes"}}) {
        auto entry = parseDesktopEntry(text, "notes", "/x/notes.desktop", c.locale);
        ASSERT_TRUE(entry) << c.locale;
        EXPECT_EQ(entry->name, c.name) << c.locale;
        EXPECT_EQ(entry->icon, "notes");
        EXPECT_EQ(entry->startupWMClass, "NotesWindow");
    }
    EXPECT_EQ(parseDesktopEntry("[Desktop Entry]\nType=Application\nName=Two\\sWords\n", "id", "p", "")->name, "Two Words");
}

TEST(DesktopEntryParsingTest, OnlyVisibleApplicationsWithANameCount) {
    for (const char* text : {"[Desktop Entry]\nType=Link\nName=Site\n", "[Desktop Entry]\nType=Application\n",
                             "[Desktop Entry]\nType=Application\nName=Gone\nHidden=true\n",
                             "[Other]\nType=Application\nName=Elsewhere\n", "garbage \xFF\n=\n[", ""}) {
        EXPECT_FALSE(parseDesktopEntry(text, "id", "p", "")) << text;
    }
}

class DesktopEntriesTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("zerlith-entries-" + std::to_string(::getpid()));
        fs::create_directories(root_ / "user/applications");
        fs::create_directories(root_ / "system/applications/vendor");
        fs::create_directories(root_ / "system/pixmaps");
    }
    void TearDown() override { fs::remove_all(root_); }

    void write(const fs::path& file, const std::string& name, const std::string& extra = "") {
        std::ofstream(root_ / file) << "[Desktop Entry]\nType=Application\nName=" << name << "\n" << extra;
    }
    DesktopEntries entries() { return DesktopEntries({root_ / "user", root_ / "system"}, "C"); }

    fs::path root_;
};

TEST_F(DesktopEntriesTest, WindowClassMatchesStartupClassBeforeDesktopIds) {
    write("system/applications/xterm.desktop", "XTerm by id");
    write("system/applications/terminal.desktop", "Terminal by class", "StartupWMClass=XTerm\n");
    write("system/applications/org.example.Editor.desktop", "Editor");
    write("system/applications/vendor/viewer.desktop", "Viewer");
    auto index = entries();

    const std::pair<WindowClass, std::optional<std::string>> cases[] = {
        {{"xterm", "XTerm"}, "terminal"},                       // the startup class first
        {{"xterm", "Other"}, "xterm"},
        {{"editor", "Editor"}, "org.example.Editor"},           // last dotted part
        {{"vendor-viewer", "Nothing"}, "vendor-viewer"},        // subfolder ids
        {{"unknown", "Unknown"}, std::nullopt},
        {{"", ""}, std::nullopt},
    };
    std::vector<const WindowClass*> classes;
    for (const auto& [windowClass, id] : cases) {
        auto entry = index.forWindowClass(windowClass);
        EXPECT_EQ(entry ? std::optional(entry->id) : std::nullopt, id) << windowClass.instance;
        classes.push_back(&windowClass);
    }
    // The batch gives the same answers, in order, and none for a window without a class.
    classes.insert(classes.begin() + 1, nullptr);
    auto batch = index.forWindowClasses(classes);
    ASSERT_EQ(batch.size(), classes.size());
    EXPECT_FALSE(batch[1]);
    batch.erase(batch.begin() + 1);
    for (std::size_t i = 0; i < batch.size(); ++i) {
        EXPECT_EQ(batch[i] ? std::optional(batch[i]->id) : std::nullopt, cases[i].second) << i;
    }
}

TEST_F(DesktopEntriesTest, TheUsersEntryHidesTheSystemsAndChangesAreNoticed) {
    write("system/applications/notes.desktop", "System notes");
    write("user/applications/notes.desktop", "My notes");
    write("user/applications/gone.desktop", "Gone", "Hidden=true\n");
    write("system/applications/gone.desktop", "Still there");
    auto index = entries();
    EXPECT_EQ(index.withId("notes")->name, "My notes");
    EXPECT_EQ(index.withId("notes")->path, (root_ / "user/applications/notes.desktop").string());
    EXPECT_FALSE(index.withId("gone"));

    fs::remove(root_ / "user/applications/notes.desktop");
    fs::last_write_time(root_ / "user/applications", fs::file_time_type::clock::now() + std::chrono::seconds(5));
    EXPECT_EQ(index.withId("notes")->name, "System notes");
}

TEST_F(DesktopEntriesTest, TextThatIsNotUtf8IsReplaced) {
    // A Latin-1 entry, and a file name with a byte that is not UTF-8.
    std::ofstream(root_ / "user/applications/gr\xfcn.desktop")
        << "[Desktop Entry]\nType=Application\nName=Green\nName[de]=Gr\xfc" "ner\nStartupWMClass=Gr\xfcn\n";
    auto entry = DesktopEntries({root_ / "user"}, "de_DE.UTF-8").forWindowClass({"green", "Gr\uFFFDn"});
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, "Gr\uFFFDner");
    EXPECT_EQ(entry->id, "gr\uFFFDn");
}

/// Lowers the soft limit of open descriptors to a desktop session's usual 1,024 or below while it
/// lives: what a deep folder exhausts.
class DescriptorLimit {
public:
    explicit DescriptorLimit(rlim_t soft) {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        rlimit lowered = saved_;
        lowered.rlim_cur = std::min(soft, saved_.rlim_cur);
        ::setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &saved_); }

private:
    rlimit saved_{};
};

TEST_F(DesktopEntriesTest, OversizedFilesAndDeepFoldersAreSkippedAndTheRestRead) {
    for (int i = 0; i < 20; ++i) write("system/applications/app" + std::to_string(i) + ".desktop", "App");
    fs::create_directories(root_ / "system/applications/a/b/c");
    write("system/applications/a/b/c/nested.desktop", "Nested");
    write("system/applications/huge.desktop", "Huge");
    fs::resize_file(root_ / "system/applications/huge.desktop", std::uintmax_t{4} << 30);  // sparse
    ASSERT_EQ(::mkfifo((root_ / "system/applications/fifo.desktop").c_str(), 0600), 0);
    fs::path deep = root_ / "system/applications";
    std::string deepestId;
    for (int level = 0; level < 300; ++level) {
        deep /= "d";
        deepestId += "d-";
    }
    fs::create_directories(deep);
    write(deep.lexically_relative(root_) / "deepest.desktop", "Deepest");

    const DescriptorLimit limit(128);
    auto index = entries();
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(index.withId("app" + std::to_string(i))) << i;
    EXPECT_TRUE(index.withId("a-b-c-nested"));
    EXPECT_FALSE(index.withId("huge"));
    EXPECT_FALSE(index.withId("fifo"));
    EXPECT_FALSE(index.withId(deepestId + "deepest")) << "past the depth cap";
}

TEST_F(DesktopEntriesTest, IconsResolveToFilesOnly) {
    fs::create_directories(root_ / "system/icons/hicolor/scalable/apps");
    std::ofstream(root_ / "system/icons/hicolor/scalable/apps/org.example.Themed.svg") << "<svg/>";
    std::ofstream(root_ / "system/pixmaps/legacy.xpm") << "xpm";
    std::ofstream(root_ / "absolute.png") << "png";
    auto index = entries();
    auto icon = [&](const std::string& key) {
        return index.iconFile(DesktopEntry{"id", "path", "name", key, std::nullopt});
    };
    EXPECT_EQ(icon("org.example.Themed"), (root_ / "system/icons/hicolor/scalable/apps/org.example.Themed.svg").string());
    EXPECT_EQ(icon("legacy.xpm"), (root_ / "system/pixmaps/legacy.xpm").string());
    EXPECT_EQ(icon((root_ / "absolute.png").string()), (root_ / "absolute.png").string());
    EXPECT_FALSE(icon((root_ / "missing.png").string()));
    EXPECT_FALSE(icon("missing-icon"));
}

}  // namespace
}  // namespace zerlith::xdg
