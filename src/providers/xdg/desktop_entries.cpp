#include "providers/xdg/desktop_entries.hpp"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "base/file_io.hpp"
#include "base/utf8.hpp"

namespace zerlith::xdg {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kSuffix = ".desktop";
/// Real entries are a few KiB; anything above is not one.
constexpr std::size_t kMaxEntryBytes = 256 * 1024;
/// Vendors nest entries a folder or two deep ("kde4/"); a deeper tree is not walked further.
constexpr int kMaxFolderDepth = 8;

std::string_view trim(std::string_view text) {
    auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

/// The escapes a desktop entry's string values may hold.
std::string unescape(std::string_view value) {
    std::string result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            result += value[i];
            continue;
        }
        switch (value[++i]) {
        case 's': result += ' '; break;
        case 'n': result += '\n'; break;
        case 't': result += '\t'; break;
        case 'r': result += '\r'; break;
        default: result += value[i]; break;
        }
    }
    return result;
}

/// The Name keys to try for a locale such as "de_DE.UTF-8@euro", most specific first.
std::vector<std::string> nameKeys(std::string_view locale) {
    std::string_view modifier;
    if (auto at = locale.find('@'); at != std::string_view::npos) {
        modifier = locale.substr(at);
        locale = locale.substr(0, at);
    }
    locale = locale.substr(0, locale.find('.'));
    std::string_view language = locale.substr(0, locale.find('_'));
    std::vector<std::string> keys;
    auto add = [&](std::string_view tag) { keys.push_back("Name[" + std::string(tag) + "]"); };
    if (!language.empty() && language != "C" && language != "POSIX") {
        if (!modifier.empty() && locale != language) add(std::string(locale) + std::string(modifier));
        if (locale != language) add(locale);
        if (!modifier.empty()) add(std::string(language) + std::string(modifier));
        add(language);
    }
    keys.emplace_back("Name");
    return keys;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

/// A desktop id names a class when it equals it, or when its last dotted part does
/// ("org.example.Editor" for "editor").
bool idNames(std::string_view id, std::string_view name) {
    if (name.empty()) return false;
    if (equalsIgnoringCase(id, name)) return true;
    auto dot = id.rfind('.');
    return dot != std::string_view::npos && equalsIgnoringCase(id.substr(dot + 1), name);
}

std::vector<fs::path> dataDirsFromEnvironment() {
    auto variable = [](const char* name) -> std::string {
        const char* value = std::getenv(name);
        return value != nullptr ? value : "";
    };
    std::vector<fs::path> dirs;
    std::string home = variable("XDG_DATA_HOME");
    if (home.empty() && !variable("HOME").empty()) home = variable("HOME") + "/.local/share";
    if (!home.empty()) dirs.emplace_back(home);
    std::string shared = variable("XDG_DATA_DIRS");
    if (shared.empty()) shared = "/usr/local/share:/usr/share";
    std::istringstream list(shared);
    for (std::string dir; std::getline(list, dir, ':');) {
        if (!dir.empty()) dirs.emplace_back(dir);
    }
    return dirs;
}

std::string messagesLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return "";
}

/// Calls `visit` with each ".desktop" file under `applications`, at most kMaxFolderDepth folders deep.
void forEachDesktopFile(const fs::path& applications, const std::function<void(const fs::path&)>& visit) {
    // Folder by folder, each closed before the next opens: a deep tree cannot use up descriptors,
    // and a folder that cannot be read costs only its own entries.
    std::vector<std::pair<fs::path, int>> folders{{applications, 0}};
    while (!folders.empty()) {
        auto [folder, depth] = std::move(folders.back());
        folders.pop_back();
        std::error_code error;
        for (fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error), end;
             !error && it != end; it.increment(error)) {
            std::error_code entryError;
            if (it->is_directory(entryError) && !it->is_symlink(entryError)) {
                if (depth < kMaxFolderDepth) folders.emplace_back(it->path(), depth + 1);
            } else if (it->path().extension() == kSuffix) {
                visit(it->path());
            }
        }
    }
}

}  // namespace

std::optional<DesktopEntry> parseDesktopEntry(std::string_view text, std::string id, std::string path,
                                              std::string_view locale) {
    std::map<std::string, std::string, std::less<>> values;
    bool inGroup = false;
    std::istringstream lines{std::string(text)};
    for (std::string raw; std::getline(lines, raw);) {
        std::string_view line = trim(raw);
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            if (inGroup) break;  // the main group ended
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        auto equals = line.find('=');
        if (!inGroup || equals == std::string_view::npos) continue;
        values.emplace(std::string(trim(line.substr(0, equals))), unescape(trim(line.substr(equals + 1))));
    }
    auto value = [&](std::string_view key) -> std::optional<std::string> {
        auto found = values.find(key);
        if (found == values.end() || found->second.empty()) return std::nullopt;
        return found->second;
    };
    if (value("Type") != "Application" || value("Hidden") == "true") return std::nullopt;
    std::optional<std::string> name;
    for (const std::string& key : nameKeys(locale)) {
        if ((name = value(key))) break;
    }
    if (!name) return std::nullopt;
    // Entries are UTF-8 by definition, but many old ones are Latin-1: what is not becomes U+FFFD,
    // as every other text from outside does. The icon and the path stay as bytes to open files with.
    auto startupWMClass = value("StartupWMClass");
    if (startupWMClass) startupWMClass = utf8FromUntrusted(*startupWMClass);
    return DesktopEntry{utf8FromUntrusted(id), std::move(path), utf8FromUntrusted(*name), value("Icon"),
                        std::move(startupWMClass)};
}

DesktopEntries::DesktopEntries(std::vector<fs::path> dataDirs, std::string locale)
    : dataDirs_(std::move(dataDirs)), locale_(std::move(locale)) {}

std::unique_ptr<DesktopEntries> DesktopEntries::fromEnvironment() {
    return std::make_unique<DesktopEntries>(dataDirsFromEnvironment(), messagesLocale());
}

std::optional<DesktopEntry> DesktopEntries::forWindowClass(const WindowClass& windowClass) {
    const WindowClass* classes[] = {&windowClass};
    return std::move(forWindowClasses(classes).front());
}

std::vector<std::optional<DesktopEntry>> DesktopEntries::forWindowClasses(std::span<const WindowClass* const> classes) {
    std::lock_guard lock(mutex_);
    refreshIfChanged();  // once for the lot: it costs a system call per data directory
    std::vector<std::optional<DesktopEntry>> entries;
    entries.reserve(classes.size());
    for (const WindowClass* windowClass : classes) {
        entries.push_back(windowClass != nullptr ? loadedForClass(*windowClass) : std::nullopt);
    }
    return entries;
}

std::optional<DesktopEntry> DesktopEntries::loadedForClass(const WindowClass& windowClass) const {
    const std::string_view names[] = {windowClass.className, windowClass.instance};
    for (std::string_view wanted : names) {
        if (wanted.empty()) continue;
        if (auto entry = firstLoaded([&](const DesktopEntry& e) { return e.startupWMClass == wanted; })) return entry;
    }
    for (std::string_view wanted : names) {
        if (auto entry = firstLoaded([&](const DesktopEntry& e) { return idNames(e.id, wanted); })) return entry;
    }
    return std::nullopt;
}

std::optional<DesktopEntry> DesktopEntries::withId(std::string_view id) {
    return first(Matcher([&](const DesktopEntry& entry) { return entry.id == id; }));
}

std::optional<DesktopEntry> DesktopEntries::atPath(std::string_view path) {
    return first(Matcher([&](const DesktopEntry& entry) { return entry.path == path; }));
}

std::optional<DesktopEntry> DesktopEntries::first(const Matcher& matches) {
    std::lock_guard lock(mutex_);
    refreshIfChanged();
    return firstLoaded(matches);
}

std::optional<DesktopEntry> DesktopEntries::firstLoaded(const Matcher& matches) const {
    auto found = std::find_if(entries_.begin(), entries_.end(), matches);
    if (found == entries_.end()) return std::nullopt;
    return *found;
}

std::optional<std::string> DesktopEntries::iconFile(const DesktopEntry& entry) const {
    if (!entry.icon) return std::nullopt;
    std::error_code error;
    if (entry.icon->find('/') != std::string::npos) {
        if (fs::is_regular_file(*entry.icon, error)) return entry.icon;
        return std::nullopt;
    }
    static constexpr const char* kSizes[] = {"scalable", "512x512", "256x256", "128x128", "96x96", "64x64", "48x48", "32x32"};
    static constexpr const char* kExtensions[] = {".png", ".svg", ".xpm"};
    std::string name = *entry.icon;  // names may hold dots ("org.gnome.Terminal"): strip only image suffixes
    for (std::string_view extension : kExtensions) {
        if (name.ends_with(extension)) {
            name.resize(name.size() - extension.size());
            break;
        }
    }
    std::vector<fs::path> candidates;
    for (const fs::path& dir : dataDirs_) {
        for (const char* size : kSizes) {
            for (const char* extension : kExtensions) candidates.push_back(dir / "icons/hicolor" / size / "apps" / (name + extension));
        }
    }
    for (const fs::path& dir : dataDirs_) {
        for (const char* extension : kExtensions) candidates.push_back(dir / "pixmaps" / (name + extension));
    }
    for (const fs::path& candidate : candidates) {
        if (fs::is_regular_file(candidate, error)) return candidate.string();
    }
    return std::nullopt;
}

std::vector<fs::file_time_type> DesktopEntries::folderTimes() const {
    std::vector<fs::file_time_type> times;
    for (const fs::path& dir : dataDirs_) {
        std::error_code error;
        times.push_back(fs::last_write_time(dir / "applications", error));
    }
    return times;
}

void DesktopEntries::refreshIfChanged() {
    auto times = folderTimes();
    if (scanned_ && times == scannedTimes_) return;
    scanned_ = true;
    scannedTimes_ = std::move(times);
    entries_.clear();
    std::set<std::string> seen;  // an id found in an earlier directory hides the later ones
    for (const fs::path& dir : dataDirs_) {
        const fs::path applications = dir / "applications";
        forEachDesktopFile(applications, [&](const fs::path& file) {
            std::string id = file.lexically_relative(applications).replace_extension().string();
            std::replace(id.begin(), id.end(), '/', '-');
            if (!seen.insert(id).second) return;
            const auto text = readFile(file, kMaxEntryBytes);  // regular files only
            if (!text) return;
            if (auto entry = parseDesktopEntry(*text, id, file.string(), locale_)) entries_.push_back(std::move(*entry));
        });
    }
}

}  // namespace zerlith::xdg
