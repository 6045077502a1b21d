#include "ranking/usage_store.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iostream>
#include <limits>

#include "base/file_io.hpp"
#include "ranking/usage_history.hpp"

namespace zerlith {
namespace {

namespace fs = std::filesystem;

constexpr double kFlushPollSeconds = 0.01;
constexpr mode_t kFolderMode = 0700;  // the history names every window and page the user visits
constexpr mode_t kFileMode = 0600;
/// Far above any history this program writes; a larger file is set aside unread.
constexpr std::size_t kMaxHistoryBytes = 64 * 1024 * 1024;

/// Counts only grow; a hostile file must not make them wrap.
std::int64_t saturatingAdd(std::int64_t a, std::int64_t b) {
    std::int64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? std::numeric_limits<std::int64_t>::max() : sum;
}

// --- The disk ---

void createOwnerOnlyFolder(const fs::path& folder) {
    std::error_code ignored;
    if (folder.empty() || fs::exists(folder, ignored)) return;
    fs::create_directories(folder.parent_path(), ignored);
    ::mkdir(folder.c_str(), kFolderMode);
}

std::string utcStamp(double secondsSince1970) {
    const auto seconds = static_cast<std::time_t>(secondsSince1970);
    std::tm parts{};
    char text[32] = "";
    if (gmtime_r(&seconds, &parts) == nullptr) return "unknown";
    std::strftime(text, sizeof text, "%Y%m%dT%H%M%S", &parts);
    return text;
}

/// Moves `file` to "<name>.corrupt-<UTC time>" (with a number added when that is taken); true
/// when nothing is left in the way of a new file.
bool moveAside(const fs::path& file, double now) {
    std::error_code error;
    if (!fs::exists(file, error)) return !error;
    const std::string base = file.string() + ".corrupt-" + utcStamp(now);
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const fs::path aside = attempt == 1 ? fs::path(base) : fs::path(base + "-" + std::to_string(attempt));
        if (fs::exists(aside, error)) continue;
        fs::rename(file, aside, error);
        return !error;
    }
    return false;
}

}  // namespace

UsageStore::UsageStore(std::optional<std::filesystem::path> historyFile, platform::Clock& clock,
                       platform::Dispatch& dispatch, ContextReader readContext)
    : file_(std::move(historyFile)), clock_(clock), readContext_(std::move(readContext)) {
    if (!file_) return;
    createOwnerOnlyFolder(file_->parent_path());
    removeLeftoverTemporaries(*file_);
    std::error_code error;
    if (fs::exists(*file_, error)) {
        const auto bytes = readFile(*file_, kMaxHistoryBytes);
        auto loaded = bytes ? UsageHistory::decode(*bytes) : std::nullopt;
        if (loaded) {
            records_ = std::move(*loaded);
        } else {
            keepUnloadedFileAside_ = true;
        }
    }
    queue_ = dispatch.makeSerialQueue("com.halvorn.zerlith.usage");
}

UsageStore::~UsageStore() = default;

std::optional<std::filesystem::path> UsageStore::defaultHistoryFile() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && fs::path(dataHome).is_absolute()) {
        return fs::path(dataHome) / "Zerlith" / "usage.json";
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return std::nullopt;
    return fs::path(home) / ".local" / "share" / "Zerlith" / "usage.json";
}

void UsageStore::record(std::string_view targetID, std::optional<std::string_view> context) {
    {
        std::lock_guard lock(mutex_);
        auto found = records_.find(targetID);
        if (found == records_.end()) found = records_.emplace(std::string(targetID), Record{}).first;
        Record& record = found->second;
        record.lastUsed = clock_.now();
        record.count = saturatingAdd(record.count, 1);
        if (context) {
            auto entry = record.affinity.find(*context);
            if (entry == record.affinity.end()) {
                entry = record.affinity.emplace(std::string(*context), 0).first;
            }
            entry->second = saturatingAdd(entry->second, 1);
        }
    }
    save();
}

UsageStore::Stats UsageStore::stats(std::string_view targetID,
                                    std::optional<std::string_view> context) const {
    std::lock_guard lock(mutex_);
    const auto found = records_.find(targetID);
    if (found == records_.end()) return {};
    const Record& record = found->second;
    Stats stats{record.lastUsed, record.count, 0, 0};
    for (const auto& [key, uses] : record.affinity) {
        stats.affinityTotal = saturatingAdd(stats.affinityTotal, uses);
        if (context && key == *context) stats.contextCount = uses;
    }
    return stats;
}

bool UsageStore::flush(double timeoutSeconds) {
    // Polls through the store's clock, so a test with a manual clock never waits for real.
    const std::uint64_t start = clock_.monotonicNanos();
    const double limit = timeoutSeconds > 0 ? timeoutSeconds : 0;
    while (pendingWrites_.load() > 0) {
        if (static_cast<double>(clock_.monotonicNanos() - start) / 1e9 >= limit) return false;
        clock_.sleep(kFlushPollSeconds);
    }
    return true;
}

void UsageStore::save() {
    if (!queue_) return;
    ++pendingWrites_;
    queue_->async([this] {
        writeHistory();
        --pendingWrites_;
    });
}

void UsageStore::writeHistory() {
    if (keepUnloadedFileAside_) {
        // Until the unloadable file is safe, the history stays in memory rather than replace it.
        if (!moveAside(*file_, clock_.now())) return noteWrite(false);
        keepUnloadedFileAside_ = false;
    }
    Records copy;
    {
        std::lock_guard lock(mutex_);
        copy = records_;
    }
    noteWrite(writeFileAtomically(*file_, UsageHistory::encode(copy), kFileMode));
}

void UsageStore::noteWrite(bool written) {
    const int cause = errno;
    if (written) {
        writeFailureReported_ = false;
        return;
    }
    // Once per run of failures: a full disk would otherwise fill the log with every use.
    if (writeFailureReported_) return;
    writeFailureReported_ = true;
    std::cerr << "zerlith: cannot write the usage history " << *file_ << ": " << std::strerror(cause)
              << "; uses are kept in memory until a write succeeds\n";
}

}  // namespace zerlith
