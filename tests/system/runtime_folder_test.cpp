// Where this user's sockets live, and the folders it refuses.

#include "system/runtime_folder.hpp"
#include "system/instance_lock.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <vector>

#include "support/temp_folder.hpp"
#include "support/scoped_environment.hpp"

namespace zerlith {
namespace {

namespace fs = std::filesystem;

std::string hostName() {
    char host[HOST_NAME_MAX + 1] = {};
    ::gethostname(host, sizeof host - 1);
    return host;
}

TEST(RuntimeFolder, PrivateToThisUserOrRefused) {
    struct Case {
        const char* name;
        bool runtimeSet;
        std::function<void(const fs::path& runtime)> prepare;
        std::string folder;  ///< below the test's folder; empty: refused
        std::string error;
    };
    const auto withMode = [](const char* path, mode_t mode) {
        return [=](const fs::path& runtime) {
            fs::create_directories(runtime / path);
            ::chmod((runtime / path).c_str(), mode);
        };
    };
    std::vector<Case> cases = {
        {"the session's folder", true, [](const fs::path&) {}, "runtime/zerlith", ""},
        {"readable by the group: made private", true, withMode("zerlith", 0750), "runtime/zerlith", ""},
        {"a session folder others may write to", true, withMode("", 0777), "", "runtime is writable by other users"},
        {"a folder others may write to", true, withMode("zerlith", 0770), "", "zerlith is writable by other users"},
        {"a link to a folder", true,
         [](const fs::path& runtime) {
             fs::create_directories(runtime / "elsewhere");
             fs::create_directory_symlink(runtime / "elsewhere", runtime / "zerlith");
         },
         "", "zerlith is not a folder of this user's"},
        {"no session folder: in the home's cache, per machine", false, [](const fs::path&) {},
         "home/.cache/zerlith/runtime-" + hostName(), ""},
    };
    if (::getuid() == 0) {
        cases.push_back({"another user's", true,
                         [](const fs::path& runtime) {
                             fs::create_directories(runtime / "zerlith");
                             ::chown((runtime / "zerlith").c_str(), 65534, 65534);
                         },
                         "", "zerlith is not a folder of this user's"});
    }
    for (const auto& c : cases) {
        testing::TempFolder temp;
        const auto runtime = temp.path() / "runtime";
        fs::create_directories(runtime);
        ::chmod(runtime.c_str(), 0700);
        c.prepare(runtime);
        zerlith::testing::ScopedEnvironment environment;
        environment.set("XDG_RUNTIME_DIR", c.runtimeSet ? std::optional(runtime.string()) : std::nullopt);
        environment.set("XDG_CACHE_HOME", std::nullopt);
        environment.set("HOME", (temp.path() / "home").string());

        std::string error;
        const auto folder = runtimeFolder(&error);
        if (c.folder.empty()) {
            EXPECT_FALSE(folder) << c.name;
            EXPECT_TRUE(error.ends_with(c.error)) << c.name << ": " << error;
            continue;
        }
        ASSERT_TRUE(folder) << c.name << ": " << error;
        EXPECT_EQ(*folder, (temp.path() / c.folder).string()) << c.name;
        struct stat status {};
        ASSERT_EQ(::lstat(folder->c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u) << c.name;
    }
}

TEST(InstanceLock, OneHolderAtATime) {
    testing::TempFolder temp;
    const auto path = (temp.path() / "instance.lock").string();
    using Outcome = InstanceLock::Outcome;
    Outcome outcome{};
    auto first = InstanceLock::take(path, &outcome);
    EXPECT_EQ(outcome, Outcome::taken);
    EXPECT_FALSE(InstanceLock::take(path, &outcome)) << "a second start, while the first holds it";
    EXPECT_EQ(outcome, Outcome::heldElsewhere);
    first.reset();
    EXPECT_TRUE(InstanceLock::take(path, &outcome)) << "free again once its holder has gone";

    fs::create_symlink(temp.path() / "elsewhere", temp.path() / "planted.lock");
    EXPECT_FALSE(InstanceLock::take((temp.path() / "planted.lock").string(), &outcome));
    EXPECT_EQ(outcome, Outcome::unavailable);
    EXPECT_FALSE(fs::exists(temp.path() / "elsewhere")) << "never through a link";
}

}  // namespace
}  // namespace zerlith
