#pragma once

// Runs the built executable the way a user or script does: a desktop file in the environment,
// arguments on the command line, output on the standard streams or in a file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace zerlith::testing {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

class ExecutableTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        directory_ = fs::temp_directory_path() / ("zerlith-e2e-" + std::to_string(::getpid()) + "-" +
                                                  test->test_suite_name() + "." + test->name());
        fs::remove_all(directory_);
        fs::create_directories(directory_);
    }
    void TearDown() override { fs::remove_all(directory_); }

    fs::path writeDesktop(const std::string& text, const std::string& name = "desktop.json") {
        const auto path = directory_ / name;
        std::ofstream(path) << text;
        return path;
    }

    /// Runs zerlith with the desktop file (none: the session's live desktop) and arguments; its
    /// home, history and preferences are the test's folder. `environment` holds more `env`
    /// arguments ("-u DISPLAY", "NAME=value").
    Outcome run(const fs::path& desktop, const std::string& arguments, const std::string& environment = "") {
        const auto out = directory_ / "stdout";
        const auto err = directory_ / "stderr";
        const std::string home = directory_.string();
        const std::string simulated = desktop.empty() ? "" : " ZERLITH_DESKTOP='" + desktop.string() + "'";
        const std::string command = "env -u ZERLITH_DESKTOP " + environment + simulated + " HOME='" +
                                    home + "' XDG_DATA_HOME='" + home + "/data' XDG_CONFIG_HOME='" + home +
                                    "/config' XDG_DATA_DIRS='" + home + "/system' '" + ZERLITH_EXECUTABLE + "' " +
                                    arguments + " >'" + out.string() + "' 2>'" + err.string() + "'";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(out), readFile(err)};
    }

    fs::path directory_;
};

}  // namespace zerlith::testing
