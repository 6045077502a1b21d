#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zerlith::xdg {

/// WM_CLASS, or what a Wayland window's app id stands in for: the instance and class names.
struct WindowClass {
    std::string instance;
    std::string className;
    bool operator==(const WindowClass&) const = default;
};

/// An installed application as its XDG desktop entry describes it.
struct DesktopEntry {
    std::string id;    ///< the desktop file id without ".desktop", e.g. "org.gnome.gedit"
    std::string path;  ///< the .desktop file
    std::string name;  ///< localized for the messages locale when the entry has a translation
    std::optional<std::string> icon;            ///< the Icon key as written: a name or a path
    std::optional<std::string> startupWMClass;  ///< the WM_CLASS its windows carry
};

/// The [Desktop Entry] group of a file, for `locale` (e.g. "de_DE.UTF-8"). None unless it is an
/// application with a name that is not marked Hidden (hidden entries stand for deleted ones). The
/// id, name and window class are valid UTF-8, each invalid sequence replaced by U+FFFD.
std::optional<DesktopEntry> parseDesktopEntry(std::string_view text, std::string id, std::string path,
                                              std::string_view locale);

/// The applications' desktop entries of the XDG data directories, read on first use and again
/// when an applications folder changes: regular files of at most 256 KiB, in folders at most 8
/// deep; one that cannot be read is skipped. Any thread; one lock guards the index.
class DesktopEntries {
public:
    /// `dataDirs` in order of precedence (the user's own first); entries are read from the
    /// "applications" folder of each, icons from its "icons/hicolor" and "pixmaps" folders.
    DesktopEntries(std::vector<std::filesystem::path> dataDirs, std::string locale);
    /// $XDG_DATA_HOME and $XDG_DATA_DIRS (with their defaults) and the messages locale.
    static std::unique_ptr<DesktopEntries> fromEnvironment();

    /// The entry whose windows carry this WM_CLASS: a StartupWMClass equal to the class, then to
    /// the instance name; else a desktop id equal to the class or instance name, or ending in
    /// "." and one of them, ignoring case. None when no entry matches.
    std::optional<DesktopEntry> forWindowClass(const WindowClass& windowClass);
    /// forWindowClass of each class (none for a null one), looking at the folders only once.
    std::vector<std::optional<DesktopEntry>> forWindowClasses(std::span<const WindowClass* const> classes);
    std::optional<DesktopEntry> withId(std::string_view id);
    std::optional<DesktopEntry> atPath(std::string_view path);

    /// The entry's icon as a file: its Icon key when that is a path to a file, else a PNG, SVG or
    /// XPM of that name in the hicolor theme or the pixmaps folders. None otherwise (themed
    /// lookups beyond that are left to the user interface).
    std::optional<std::string> iconFile(const DesktopEntry& entry) const;

private:
    using Matcher = std::function<bool(const DesktopEntry&)>;
    /// The first entry that matches, in order of precedence; takes the lock.
    std::optional<DesktopEntry> first(const Matcher& matches);
    /// The same without the lock or a look at the folders.
    std::optional<DesktopEntry> firstLoaded(const Matcher& matches) const;
    std::optional<DesktopEntry> loadedForClass(const WindowClass& windowClass) const;
    void refreshIfChanged();
    std::vector<std::filesystem::file_time_type> folderTimes() const;

    std::vector<std::filesystem::path> dataDirs_;
    std::string locale_;
    std::mutex mutex_;
    bool scanned_ = false;
    std::vector<std::filesystem::file_time_type> scannedTimes_;
    std::vector<DesktopEntry> entries_;  // one per desktop id, the first data directory winning
};

}  // namespace zerlith::xdg
