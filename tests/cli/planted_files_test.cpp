// Files another user could have put beside a copy of Zerlith are never run: the launcher passes
// over an application in a folder others may write, and refuses to start when no other is left.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "executable_test.hpp"

namespace zerlith::testing {
namespace {

constexpr uid_t kOtherUser = 65534;  // nobody

class PlantedFilesTest : public ExecutableTest {
protected:
    /// A folder below the test's with `mode`, owned by `owner`.
    fs::path folder(const std::string& relative, mode_t mode, uid_t owner = ::geteuid()) {
        const auto path = directory_ / relative;
        fs::create_directories(path);
        own(path, mode, owner);
        return path;
    }

    /// A stand-in for the application that says which one ran.
    void application(const fs::path& path, const std::string& says, uid_t owner = ::geteuid(), mode_t mode = 0755) {
        std::ofstream(path) << "#!/bin/sh\necho " << says << '\n';
        own(path, mode, owner);
    }

    void copyOfZerlith(const fs::path& into) { fs::copy_file(ZERLITH_EXECUTABLE, into / "zerlith"); }

    Outcome start(const fs::path& zerlith) {
        const auto runtime = folder("runtime", 0700);
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
    struct Case {
        const char* what;
        std::function<fs::path()> lay;  // lays the files out, returns the zerlith to start
        std::string out;                // what the application that ran said
        std::string err;                // a part of the one line on standard error
    };
    const Case cases[] = {
        {"a private copy in a shared folder, a plant in the shared folder's libexec",
         [&] {
             const auto shared = folder("shared", 01777);
             const auto mine = folder("shared/mine", 0700);
             copyOfZerlith(mine);
             application(mine / "zerlith-app", "mine");
             folder("shared/libexec", 0755, kOtherUser);
             folder("shared/libexec/zerlith", 0755, kOtherUser);
             application(shared / "libexec/zerlith/zerlith-app", "planted", kOtherUser);
             return mine / "zerlith";
         },
         "mine\n", ""},
        {"another user's application beside a copy in a sticky shared folder",
         [&] {
             const auto shared = folder("shared", 01777);
             copyOfZerlith(shared);
             application(shared / "zerlith-app", "planted", kOtherUser);
             return shared / "zerlith";
         },
         "", "zerlith-app belongs to another user"},
        {"a copy in a folder everybody may write",
         [&] {
             const auto open = folder("open", 0777);
             copyOfZerlith(open);
             application(open / "zerlith-app", "planted");
             return open / "zerlith";
         },
         "", "refusing to start from here: "},
        {"an application its group may write",
         [&] {
             const auto mine = folder("mine", 0755);
             copyOfZerlith(mine);
             application(mine / "zerlith-app", "planted", ::geteuid(), 0775);
             return mine / "zerlith";
         },
         "", "zerlith-app is writable by other users"},
        {"the user's own copy, in a folder of its own",
         [&] {
             const auto mine = folder("mine", 0755);
             copyOfZerlith(mine);
             application(mine / "zerlith-app", "mine");
             return mine / "zerlith";
         },
         "mine\n", ""},
    };
    for (const auto& [what, lay, out, err] : cases) {
        SCOPED_TRACE(what);
        fs::remove_all(directory_);
        fs::create_directories(directory_);
        const auto outcome = start(lay());
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
