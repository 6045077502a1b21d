// The package's promise: with its files installed under /usr and /etc, Debian's Chromium and
// Firefox ESR, started headed by a user with a fresh profile, load the extension and start the
// host by themselves, and `zerlith --dump` lists their tabs. The files go into a throw-away
// install laid over /usr and /etc in this process's own mount namespace, never onto the machine.

#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "browser/support/local_web.hpp"
#include "support/eventually.hpp"
#include "support/temp_folder.hpp"
#include "x11/support/x_session.hpp"

namespace zerlith::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using x11::testing::ChildProcess;

/// A headed browser's first start, extension and host included, takes seconds on a loaded machine.
constexpr double kBrowserTimeout = 60.0;

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

/// Has this process see `stage`'s files over the machine's /usr and /etc, in a mount namespace of
/// its own (as root, else as root of a user namespace); why not, when it cannot.
std::string layOver(const fs::path& stage) {
    if (::unshare(CLONE_NEWNS) != 0) {
        const auto uid = ::getuid(), gid = ::getgid();
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return std::string("no mount namespace: ") + std::strerror(errno);
        writeFile("/proc/self/setgroups", "deny");
        writeFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
        writeFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
    }
    // Private first, so that nothing mounted here reaches the machine's own namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return std::string("cannot make / private: ") + std::strerror(errno);
    for (const char* top : {"/usr", "/etc"}) {
        const auto options = "lowerdir=" + (stage / fs::path(top).relative_path()).string() + ":" + top;
        if (::mount("overlay", top, "overlay", MS_RDONLY, options.c_str()) != 0)
            return std::string("cannot lay the install over ") + top + ": " + std::strerror(errno);
    }
    return {};
}

struct PackagedBrowser {
    const char* name;
    const char* kind;  ///< in the dump
    /// How a user starts it (as root Chromium needs its sandbox off), on its first page.
    std::vector<std::string> command;
};

void PrintTo(const PackagedBrowser& browser, std::ostream* out) { *out << browser.name; }

const PackagedBrowser kBrowsers[] = {
    {"chromium", "chrome", {"/usr/bin/chromium", "--no-sandbox"}},
    {"firefox", "firefox", {"/usr/bin/firefox-esr"}},
};

class PackagedExtensionTest : public ::testing::TestWithParam<PackagedBrowser> {
protected:
    static void SetUpTestSuite() {
        // Before any thread starts: a process with threads cannot enter a namespace of its own.
        stage_ = new TempFolder;
        const auto install = "DESTDIR=" + stage_->path().string() + " cmake --install " ZERLITH_BUILD_DIR
                             " --prefix /usr >/dev/null";
        if (std::system(install.c_str()) != 0) {
            skipped_ = "cmake --install failed";
            return;
        }
        skipped_ = layOver(stage_->path());
    }
    static void TearDownTestSuite() {
        delete stage_;  // still mounted over in this namespace only, which ends with the process
        stage_ = nullptr;
    }

    void SetUp() override {
        if (!skipped_.empty()) GTEST_SKIP() << skipped_;
        if (!fs::exists(GetParam().command[0])) GTEST_SKIP() << GetParam().command[0] << " is not installed";
        session_.emplace();
        const auto home = fs::path(std::getenv("HOME"));
        fs::create_directories(home / "runtime");
        fs::permissions(home / "runtime", fs::perms::owner_all);
        environment_.set("XDG_RUNTIME_DIR", (home / "runtime").string());
    }

    static inline TempFolder* stage_ = nullptr;
    static inline std::string skipped_;
    std::optional<x11::testing::XSession> session_;
    ScopedEnvironment environment_;
    TitlePages pages_;
};

TEST_P(PackagedExtensionTest, AFreshProfileListsItsTabsWithNoStepByHand) {
    const fs::path extensions = "/usr/share/chromium/extensions/zerlith";
    ASSERT_TRUE(fs::exists(extensions / "manifest.json")) << "the install is not laid over /usr";

    auto command = GetParam().command;
    command.push_back(pages_.url("Packaged"));
    ChildProcess browser(command, ChildProcess::Options{});

    json seen;
    const bool listed = eventually(
        [&] {
            const auto dump = ChildProcess::runToEnd({"/usr/bin/zerlith", "--dump"});
            seen = json::parse(dump.output, nullptr, false);
            for (const auto& target : seen.value("targets", json::array())) {
                if (target["kind"] == "tab" && target["url"] == pages_.url("Packaged")) return true;
            }
            return false;
        },
        kBrowserTimeout);
    EXPECT_TRUE(listed) << "no tab in the dump: " << seen.dump(2);
    EXPECT_EQ(seen["automation"][GetParam().kind], "allowed");
    browser.stop();
}

INSTANTIATE_TEST_SUITE_P(Browsers, PackagedExtensionTest, ::testing::ValuesIn(kBrowsers),
                         [](const auto& each) { return std::string(each.param.name); });

}  // namespace
}  // namespace zerlith::testing
