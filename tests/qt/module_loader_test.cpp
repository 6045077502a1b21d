// A module is loaded only from a file no other user could have put there, and only when it comes
// from the same build as the switcher that opens it.

#include "app/module_loader.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "app/module_build_id.hpp"
#include "support/temp_folder.hpp"

namespace zerlith::testing {
namespace {

std::string reasonFor(const std::filesystem::path& module) {
    const auto found = app::openModuleFunction(module, "zerlith_make_update_feed");
    return std::holds_alternative<std::string>(found) ? std::get<std::string>(found) : "loaded";
}

TEST(ModuleLoaderTest, RefusesPlantedFilesAndOtherBuildsBeforeLoading) {
    TempFolder folder;
    const std::string own = std::string(app::kModuleBuildIdMark) + '\0';
    const std::string padding(256, 'x');  // what the loader reads as an ELF header
    struct Case {
        const char* name;
        std::string content;
        mode_t folderMode;
        std::string reason;  // a part of it
    };
    const Case cases[] = {
        {"upgraded.so", padding + "zerlith-module-build:0.0.1-20990101T000000Z" + '\0', 0755,
         "restart Zerlith to use the new version"},
        {"longer.so", padding + app::kModuleBuildIdMark + "9" + '\0', 0755, "restart Zerlith to use the new version"},
        {"plain.so", padding, 0755, "is not a module of Zerlith's"},
        {"shared.so", padding + own, 0777, "is writable by other users"},
        // Passes both checks: the loader itself then says what is wrong with it.
        {"broken.so", padding + own, 0755, "invalid ELF header"},
    };
    for (const auto& [name, content, folderMode, reason] : cases) {
        const auto place = folder.path() / name / name;
        writeText(place, content);
        ASSERT_EQ(::chmod(place.parent_path().c_str(), folderMode), 0);
        EXPECT_NE(reasonFor(place).find(reason), std::string::npos) << name << ": " << reasonFor(place);
    }
    EXPECT_NE(reasonFor(folder.path() / "missing.so").find("No such file"), std::string::npos);
}

TEST(ModuleLoaderTest, TheBuiltModuleCarriesThisBuildsMark) {
    // Outside the switcher the module's references to the core stay unresolved: what matters is
    // that it got past the mark.
    const auto reason = reasonFor(ZERLITH_UPDATE_MODULE);
    EXPECT_NE(reason.find("undefined symbol"), std::string::npos) << reason;
}

}  // namespace
}  // namespace zerlith::testing
