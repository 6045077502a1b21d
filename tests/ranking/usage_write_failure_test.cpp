// Writes the disk refuses (a full disk, a read-only folder): the previous history stays as it was,
// one line on standard error says so however many writes fail, and the uses recorded meanwhile
// reach the file with the first write that succeeds. Needs root to mount a small tmpfs.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

#include "ranking/usage_history.hpp"
#include "ranking/usage_store.hpp"
#include "support/sim_fixture.hpp"
#include "support/temp_folder.hpp"

namespace zerlith {
namespace {

namespace fs = std::filesystem;

/// A 64 KiB tmpfs mounted for the test's lifetime.
class SmallTmpfs {
public:
    explicit SmallTmpfs(fs::path at) : path_(std::move(at)) {
        fs::create_directories(path_);
        mounted_ = ::geteuid() == 0 && ::mount("tmpfs", path_.c_str(), "tmpfs", 0, "size=64k,mode=0700") == 0;
    }
    ~SmallTmpfs() {
        if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool mounted() const { return mounted_; }
    bool setReadOnly(bool readOnly) {
        const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
        return ::mount("tmpfs", path_.c_str(), "tmpfs", flags, "size=64k") == 0;
    }

private:
    fs::path path_;
    bool mounted_ = false;
};

/// Fills the file system of `file` until it refuses another byte.
void fillUp(const fs::path& file) {
    std::ofstream filler(file, std::ios::binary);
    const std::string block(512, 'x');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) && filler.flush()) {
    }
}

struct Fault {
    const char* name;
    bool (*apply)(SmallTmpfs&, const fs::path& folder);
    bool (*lift)(SmallTmpfs&, const fs::path& folder);
};

const Fault kFaults[] = {
    {"FullDisk",
     [](SmallTmpfs&, const fs::path& folder) {
         fillUp(folder / "filler");
         return true;
     },
     [](SmallTmpfs&, const fs::path& folder) { return fs::remove(folder / "filler"); }},
    {"ReadOnlyFolder", [](SmallTmpfs& disk, const fs::path&) { return disk.setReadOnly(true); },
     [](SmallTmpfs& disk, const fs::path&) { return disk.setReadOnly(false); }},
};

class UsageWriteFailureTest : public ::testing::TestWithParam<Fault> {};

TEST_P(UsageWriteFailureTest, KeepsTheFileReportsOnceAndCatchesUpLater) {
    testing::SimDesktopFixture fixture{nlohmann::json::object()};
    testing::TempFolder temp;
    SmallTmpfs disk(temp.path() / "disk");
    if (!disk.mounted()) GTEST_SKIP() << "needs root to mount a tmpfs";
    const fs::path folder = temp.path() / "disk" / "Zerlith";
    const fs::path file = folder / "usage.json";
    UsageStore store(file, fixture.clock, fixture.dispatch, {});
    store.record("before", std::nullopt);
    fixture.dispatch.runUntilIdle();
    const std::string before = testing::readText(file);

    ASSERT_TRUE(GetParam().apply(disk, temp.path() / "disk"));
    ::testing::internal::CaptureStderr();
    for (const char* id : {"during-1", "during-2", "during-3"}) {
        store.record(id, std::nullopt);
        fixture.dispatch.runUntilIdle();
    }
    const std::string reported = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(testing::readText(file), before);
    EXPECT_EQ(std::count(reported.begin(), reported.end(), '\n'), 1) << reported;
    EXPECT_NE(reported.find("cannot write the usage history"), std::string::npos) << reported;
    EXPECT_EQ(store.stats("during-3", std::nullopt).count, 1) << "the store keeps working";

    ASSERT_TRUE(GetParam().lift(disk, temp.path() / "disk"));
    store.record("after", std::nullopt);
    fixture.dispatch.runUntilIdle();
    const auto history = UsageHistory::decode(testing::readText(file));
    ASSERT_TRUE(history);
    for (const char* id : {"before", "during-1", "during-2", "during-3", "after"}) EXPECT_TRUE(history->contains(id)) << id;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1) << "no temporary left";
}

INSTANTIATE_TEST_SUITE_P(Faults, UsageWriteFailureTest, ::testing::ValuesIn(kFaults),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace zerlith
