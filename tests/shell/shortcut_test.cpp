#include <gtest/gtest.h>

#include "platform/preferences.hpp"
#include "shell/shortcut.hpp"
#include "shell/shortcut_preferences.hpp"

namespace zerlith::testing {
namespace {

using nlohmann::json;
using platform::KeyNotation;

constexpr std::uint32_t kAll = Shortcut::kControl | Shortcut::kOption | Shortcut::kShift | Shortcut::kCommand;

/// A layout that writes `letter` on key code 6 (Z on a US keyboard, Y on a German one) and
/// nothing elsewhere.
LayoutKeyName layoutWriting(std::string letter) {
    return [letter](std::uint32_t code) -> std::optional<std::string> {
        if (code == 6) return letter;
        return std::nullopt;
    };
}

struct DisplayCase {
    Shortcut shortcut;
    std::string layoutLetter;
    std::string glyphs;
    std::string words;
};

class DisplayStringTest : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(DisplayStringTest, ReadsAsEachDesktopWritesIt) {
    const auto& c = GetParam();
    EXPECT_EQ(displayString(c.shortcut, KeyNotation::glyphs, layoutWriting(c.layoutLetter)), c.glyphs);
    EXPECT_EQ(displayString(c.shortcut, KeyNotation::words, layoutWriting(c.layoutLetter)), c.words);
}

INSTANTIATE_TEST_SUITE_P(Shortcuts, DisplayStringTest, ::testing::Values(
    DisplayCase{{49, Shortcut::kOption}, "Z", "⌥Space", "Alt+Space"},
    DisplayCase{{48, Shortcut::kOption}, "Z", "⌥Tab", "Alt+Tab"},
    DisplayCase{{49, kAll}, "Z", "⌃⌥⇧⌘Space", "Ctrl+Alt+Shift+Super+Space"},
    DisplayCase{{36, Shortcut::kCommand}, "Z", "⌘Return", "Super+Return"},
    DisplayCase{{53, Shortcut::kShift}, "Z", "⇧Esc", "Shift+Esc"},
    DisplayCase{{123, Shortcut::kControl}, "Z", "⌃←", "Ctrl+←"},
    DisplayCase{{126, Shortcut::kControl | Shortcut::kShift}, "Z", "⌃⇧↑", "Ctrl+Shift+↑"},
    // The same key under a US and a German layout.
    DisplayCase{{6, Shortcut::kControl}, "Z", "⌃Z", "Ctrl+Z"},
    DisplayCase{{6, Shortcut::kControl}, "Y", "⌃Y", "Ctrl+Y"},
    // A key the layout writes nothing on, and codes no layout knows.
    DisplayCase{{122, Shortcut::kOption}, "Z", "⌥Key 122", "Alt+Key 122"},
    DisplayCase{{6, Shortcut::kOption}, "", "⌥Key 6", "Alt+Key 6"},
    DisplayCase{{4'000'000'000u, Shortcut::kCommand}, "Z", "⌘Key 4000000000", "Super+Key 4000000000"},
    // Bits outside the four modifiers are never shown.
    DisplayCase{{49, Shortcut::kOption | 0x1 | 0x10000}, "Z", "⌥Space", "Alt+Space"}));

TEST(ShortcutTest, KeyEventsMakeShortcutsOnlyWithAModifier) {
    EXPECT_EQ(shortcutFromKeyEvent(49, {}), std::nullopt);
    EXPECT_EQ(shortcutFromKeyEvent(49, {.shift = true}), (Shortcut{49, Shortcut::kShift}));
    EXPECT_EQ(shortcutFromKeyEvent(0, {.command = true, .shift = true, .option = true, .control = true}),
              (Shortcut{0, kAll}));
}

struct StoredCase {
    std::string text;
    std::optional<Shortcut> decoded;
};

class StoredShortcutTest : public ::testing::TestWithParam<StoredCase> {};

TEST_P(StoredShortcutTest, DecodesOnlyWholeValues) {
    const auto& c = GetParam();
    EXPECT_EQ(Shortcut::fromJson(json::parse(c.text)), c.decoded) << c.text;
    platform::MemoryPreferences preferences({{"shortcut.palette", json::parse(c.text)}});
    EXPECT_EQ(ShortcutPreferences::loadOr(preferences, ShortcutPreferences::kPaletteKey,
                                          ShortcutPreferences::kPaletteDefault),
              c.decoded.value_or(ShortcutPreferences::kPaletteDefault));
}

INSTANTIATE_TEST_SUITE_P(Values, StoredShortcutTest, ::testing::Values(
    StoredCase{R"({"carbonModifiers":2048,"keyCode":49})", Shortcut{49, 2048}},
    StoredCase{R"({"keyCode":0,"carbonModifiers":4352,"extra":true})", Shortcut{0, 4352}},
    StoredCase{R"({"keyCode":4294967295,"carbonModifiers":0})", Shortcut{4294967295u, 0}},
    StoredCase{R"({"keyCode":49})", std::nullopt},
    StoredCase{R"({"carbonModifiers":2048})", std::nullopt},
    StoredCase{R"({"keyCode":-1,"carbonModifiers":2048})", std::nullopt},
    StoredCase{R"({"keyCode":4294967296,"carbonModifiers":2048})", std::nullopt},
    StoredCase{R"({"keyCode":49.5,"carbonModifiers":2048})", std::nullopt},
    StoredCase{R"({"keyCode":"49","carbonModifiers":2048})", std::nullopt},
    StoredCase{R"([49,2048])", std::nullopt},
    StoredCase{R"("⌥Space")", std::nullopt},
    StoredCase{R"(null)", std::nullopt}));

TEST(ShortcutPreferencesTest, SavesInTheStoredFormAndFallsBackToTheDefaults) {
    platform::MemoryPreferences preferences;
    EXPECT_EQ(ShortcutPreferences::load(preferences, ShortcutPreferences::kInstantKey), std::nullopt);
    EXPECT_EQ(ShortcutPreferences::loadOr(preferences, ShortcutPreferences::kInstantKey,
                                          ShortcutPreferences::kInstantDefault),
              (Shortcut{48, Shortcut::kOption}));
    EXPECT_EQ(ShortcutPreferences::kPaletteDefault, (Shortcut{49, Shortcut::kOption}));

    const Shortcut controlSpace{49, Shortcut::kControl};
    ASSERT_TRUE(ShortcutPreferences::save(preferences, controlSpace, ShortcutPreferences::kPaletteKey));
    EXPECT_EQ(preferences.value("shortcut.palette")->dump(), R"({"carbonModifiers":4096,"keyCode":49})");
    EXPECT_EQ(ShortcutPreferences::load(preferences, ShortcutPreferences::kPaletteKey), controlSpace);
}

}  // namespace
}  // namespace zerlith::testing
