// Files another user could have put beside a copy of Zerlith are never run: the launcher passes
// over an application in a folder others may write, and refuses to start when no other is left.

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "executable_test.hpp"

namespace zerlith::testing {
namespace {

constexpr uid_t kOtherUser = 65534;  // nobody

class PlantedFilesTest : public ExecutableTest {
protected:
    /// A folder below the test's with `mode`, owned by `owner`.
    fs::path folder(const std::string& relative, mode_t mode, uid_t owner) {
        const auto path = directory_ / relative;
        fs::create_directories(path);
        own(path, mode, owner);
        return path;
    }

    /// A stand-in for the application that says which one ran.
    void application(const fs::path& path, const std::string& says, uid_t owner, mode_t mode) {
        std::ofstream(path) << "#!/bin/sh\necho " << says << '\n';
        own(path, mode, owner);
    }

    void copyOfZerlith(const fs::path& into) { fs::copy_file(ZERLITH_EXECUTABLE, into / "zerlith"); }

    Outcome start(const fs::path& zerlith) {
        const auto runtime = folder("runtime", 0700, ::geteuid());
        const std::string command = "env DISPLAY=:1 XDG_RUNTIME_DIR='" + runtime.string() + "' '" + zerlith.string() +
                                    "' >'" + (directory_ / "out").string() + "' 2>'" + (directory_ / "err").string() + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(directory_ / "out"), readFile(directory_ / "err")};
    }

private:
    static void own(const fs::path& path, mode_t mode, uid_t owner) {
        ASSERT_EQ(::chown(path.c_str(), owner, static_cast<gid_t>(-1)), 0) << path;
        ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
    }
};

TEST_F(PlantedFilesTest, RunsOnlyAnApplicationNoOtherUserCouldHavePut) {
    if (::geteuid() != 0) GTEST_SKIP() << "planting as another user needs root";
    const uid_t me = ::geteuid();
    struct Folder {
        const char* path;
        mode_t mode;
        uid_t owner;
    };
    struct Application {
        const char* path;
        const char* says;
        uid_t owner;
        mode_t mode;
    };
    struct Case {
        const char* what;
        std::vector<Folder> folders;  // made in order
        const char* zerlithIn;        // the folder of the copy of zerlith started
        std::vector<Application> applications;
        std::string out;  // what the application that ran said
        std::string err;  // a part of the one line on standard error
    };
    const Case cases[] = {
        {"a private copy in a shared folder, a plant in the shared folder's libexec",
         {{"shared", 01777, me}, {"shared/mine", 0700, me}, {"shared/libexec", 0755, kOtherUser},
          {"shared/libexec/zerlith", 0755, kOtherUser}},
         "shared/mine",
         {{"shared/mine/zerlith-app", "mine", me, 0755},
          {"shared/libexec/zerlith/zerlith-app", "planted", kOtherUser, 0755}},
         "mine\n", ""},
        {"another user's application beside a copy in a sticky shared folder", {{"shared", 01777, me}}, "shared",
         {{"shared/zerlith-app", "planted", kOtherUser, 0755}}, "", "zerlith-app belongs to another user"},
        {"a copy in a folder everybody may write", {{"open", 0777, me}}, "open",
         {{"open/zerlith-app", "planted", me, 0755}}, "", "refusing to start from here: "},
        {"an application its group may write", {{"mine", 0755, me}}, "mine",
         {{"mine/zerlith-app", "planted", me, 0775}}, "", "zerlith-app is writable by other users"},
        {"the user's own copy, in a folder of its own", {{"mine", 0755, me}}, "mine",
         {{"mine/zerlith-app", "mine", me, 0755}}, "mine\n", ""},
    };
    for (const auto& [what, folders, zerlithIn, applications, out, err] : cases) {
        SCOPED_TRACE(what);
        fs::remove_all(directory_);
        fs::create_directories(directory_);
        for (const auto& [path, mode, owner] : folders) folder(path, mode, owner);
        copyOfZerlith(directory_ / zerlithIn);
        for (const auto& [path, says, owner, mode] : applications) application(directory_ / path, says, owner, mode);
        const auto outcome = start(directory_ / zerlithIn / "zerlith");
        EXPECT_EQ(outcome.out, out);
        EXPECT_EQ(outcome.status, out.empty() ? 1 : 0) << outcome.err;
        if (!err.empty()) {
            EXPECT_NE(outcome.err.find(err), std::string::npos) << outcome.err;
            EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
        }
    }
}

}  // namespace
}  // namespace zerlith::testing
