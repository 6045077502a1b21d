#include "support/session_walk.hpp"

#include <gtest/gtest.h>

#include <sys/types.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>

#include "support/child_process.hpp"
#include "support/eventually.hpp"

namespace zerlith::testing {
namespace {

namespace fs = std::filesystem;

/// Window titles, each its own query: no one is found by another's letters in order.
const std::vector<std::string> kTitles = {"Alpha", "Bravo", "Kilo", "Delta", "Echo", "Foxtrot", "Golf", "Hotel",
                                          "India", "Juliet", "Lima", "Mike", "November", "Oscar", "Papa", "Quebec"};
constexpr const char kPaletteTitle[] = "Zerlith Switcher";

#ifdef __SANITIZE_ADDRESS__
// AddressSanitizer keeps freed memory aside for a while, so resident memory grows regardless.
constexpr bool kResidentMemoryTellsLeaks = false;
#else
constexpr bool kResidentMemoryTellsLeaks = true;
#endif

std::optional<unsigned long> fromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::stoul(value);
}

/// Resident memory of a process, in kB.
long residentKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

std::vector<std::string> letters(const std::string& text) {
    std::vector<std::string> names;
    for (const char c : text) names.push_back(std::string(1, static_cast<char>(std::tolower(c))));
    return names;
}

/// One test window, with what the model knows of it.
struct Window {
    std::string title;
    /// Zerlith has listed it: a palette opened or the switch key was pressed since it appeared.
    bool known = false;
};

class SessionWalk {
public:
    SessionWalk(WalkedDesktop& desktop, unsigned long seed) : desktop_(desktop), seed_(seed), random_(seed) {}

    void run(unsigned long steps) {
        std::cout << "session seed " << seed_ << std::endl;
        for (std::size_t i = 0; i < 4; ++i) addWindow(kTitles[i]);
        zerlith_ = std::make_unique<ChildProcess>(desktop_.zerlithCommand({}), ChildProcess::Options{});
        // Zerlith is ready once its hot key opens the palette.
        ASSERT_TRUE(eventually([&] {
            desktop_.press({"alt+space"});
            return eventually([&] { return desktop_.focusedTitle() == kPaletteTitle; }, 1.0);
        }, 30.0));
        desktop_.press({"Escape"});
        ASSERT_TRUE(eventually([&] { return desktop_.focusedTitle() == windows_[active_].title; }));
        for (auto& window : windows_) {
            window.known = true;
            while (desktop_.nextKey(window.title, 0.2)) {}  // presses of the hot key before Zerlith held it
        }

        long residentAfterWarmUp = 0;
        for (unsigned long i = 0; i < steps; ++i) {
            step();
            if (::testing::Test::HasFailure() || !agrees()) return;
            if (i == std::min<unsigned long>(10, steps - 1)) residentAfterWarmUp = residentKilobytes(zerlith_->pid());
        }
        const long grown = residentKilobytes(zerlith_->pid()) - residentAfterWarmUp;
        if (kResidentMemoryTellsLeaks) {
            EXPECT_LT(grown, 8 * 1024) << "resident memory grew by " << grown << " kB\n" << trail();
        }

        zerlith_->signal(SIGTERM);
        EXPECT_EQ(zerlith_->wait(10.0), 0) << trail();
        if (switched_) {
            EXPECT_TRUE(fs::exists(fs::path(std::getenv("XDG_DATA_HOME")) / "Zerlith" / "usage.json")) << trail();
        }
    }

private:
    // ---- the user's hands -------------------------------------------------------------------

    static void runTool(const std::vector<std::string>& argv) {
        ChildProcess tool(argv, ChildProcess::Options{});
        ASSERT_EQ(tool.wait(10.0), 0) << argv.front();
    }

    /// The palette's hot key first unless the palette shows, then `keys`.
    std::vector<std::string> intoThePalette(const std::vector<std::string>& keys) const {
        auto burst = palette_ ? std::vector<std::string>{} : std::vector<std::string>{"alt+space"};
        burst.insert(burst.end(), keys.begin(), keys.end());
        return burst;
    }

    // ---- the model ----------------------------------------------------------------------------

    /// A new window takes the focus.
    void addWindow(const std::string& title) {
        desktop_.openWindow(title);
        windows_.push_back({title});
        active_ = windows_.size() - 1;
    }
    void closeWindow(std::size_t index) {
        desktop_.closeWindow(windows_[index].title);
        if (index < active_) --active_;
        windows_.erase(windows_.begin() + static_cast<std::ptrdiff_t>(index));
    }
    /// Zerlith lists the windows again whenever a palette opens or the switch key is pressed.
    void listed() {
        for (auto& window : windows_) window.known = true;
    }
    std::size_t indexOf(const std::string& title) const {
        for (std::size_t i = 0; i < windows_.size(); ++i)
            if (windows_[i].title == title) return i;
        return windows_.size();
    }
    std::string freeTitle() const {
        for (const auto& title : kTitles)
            if (indexOf(title) == windows_.size()) return title;
        return {};
    }
    /// A window other than the active one, known to Zerlith when `known`; none when there is none.
    std::optional<std::size_t> otherWindow(bool known) {
        std::vector<std::size_t> candidates;
        for (std::size_t i = 0; i < windows_.size(); ++i)
            if (i != active_ && (!known || windows_[i].known)) candidates.push_back(i);
        if (candidates.empty()) return std::nullopt;
        return candidates[std::uniform_int_distribution<std::size_t>(0, candidates.size() - 1)(random_)];
    }
    /// Two letters typed after each step that closes the palette, which must reach the window the
    /// model says is active.
    std::vector<std::string> newMarker() {
        static const std::string kMarkerLetters = "qwxz";
        std::uniform_int_distribution<std::size_t> pick(0, kMarkerLetters.size() - 1);
        marker_ = {kMarkerLetters[pick(random_)], kMarkerLetters[pick(random_)]};
        return letters(marker_);
    }

    void note(const std::string& action) {
        trail_.push_back(action);
        if (trail_.size() > 12) trail_.pop_front();
    }
    std::string trail() const {
        std::ostringstream out;
        out << "seed " << seed_ << " (replay: ZERLITH_SESSION_SEED=" << seed_ << "), last steps:";
        for (const auto& step : trail_) out << "\n  " << step;
        return out.str();
    }

    /// One step of the walk: picks what the user does next, does it, and updates the model.
    void step() {
        marker_.clear();
        const int choice = std::uniform_int_distribution<int>(0, 12)(random_);
        switch (choice) {
        case 0:
        case 1: {
            note(palette_ ? "hot key (closes)" : "hot key (opens)");
            desktop_.press({"alt+space"});
            palette_ = !palette_;
            break;
        }
        case 2: {
            note(palette_ ? "zerlith --palette (closes)" : "zerlith --palette (opens)");
            runTool(desktop_.zerlithCommand({"--palette"}));
            palette_ = !palette_;
            break;
        }
        case 3:
        case 4: {
            const auto target = otherWindow(true);
            if (!target) return;
            const auto& title = windows_[*target].title;
            auto keys = letters(title);
            keys.push_back("Return");
            note((palette_ ? "type " : "hot key and type ") + title + ", Return");
            desktop_.press(intoThePalette(keys));
            listed();
            palette_ = false;
            active_ = *target;
            switched_ = true;
            break;
        }
        case 5: {
            note(std::string(palette_ ? "" : "hot key, ") + "junk, Escape");
            desktop_.press(intoThePalette({"j", "v", "Escape"}));
            listed();
            palette_ = false;
            break;
        }
        case 6:
            switchInstantly();
            break;
        case 7: {
            const auto target = otherWindow(false);
            if (!target) return;
            note("the user clicks " + windows_[*target].title);
            desktop_.click(windows_[*target].title);
            palette_ = false;
            active_ = *target;
            break;
        }
        case 8: {
            const auto title = freeTitle();
            if (palette_ || title.empty()) return;
            note("a new window " + title);
            addWindow(title);
            break;
        }
        case 9: {
            const auto target = otherWindow(false);
            if (!target || windows_.size() <= 2) return;
            note("window " + windows_[*target].title + " closes");
            closeWindow(*target);
            break;
        }
        case 10: {
            if (palette_) return;
            note("to the second desktop and back");
            desktop_.visitAnotherDesktop();
            break;
        }
        case 11: {
            const char* lock = std::bernoulli_distribution(0.5)(random_) ? "Num_Lock" : "Caps_Lock";
            note(lock);
            desktop_.press({lock});
            break;
        }
        default:
            startAfresh();
            break;
        }
    }

    /// The instant switch. It never waits for a listing: it goes to windows Zerlith has listed,
    /// and when none is left but the one in front it does nothing but list them; a user seeing
    /// nothing happen presses again.
    void switchInstantly() {
        if (palette_ || windows_.size() < 2) return;
        if (!otherWindow(true)) {
            note("alt+Tab, with no other window listed");
            desktop_.press({"alt+Tab"});
            listed();
            if (!agrees()) return;
        }
        note("alt+Tab");
        const std::string before = windows_[active_].title;
        desktop_.press({"alt+Tab"});
        listed();
        // The most likely other window: which one is the ranking's business, but not this one.
        std::string now;
        if (!eventually([&] { return (now = desktop_.focusedTitle()) != before && indexOf(now) < windows_.size(); },
                        5.0)) {
            ADD_FAILURE() << "alt+Tab left \"" << now << "\" active\n" << trail();
            return;
        }
        active_ = indexOf(now);
        switched_ = true;
    }

    /// The user turns to another task: two new windows, and every window of the old one closes.
    void startAfresh() {
        if (palette_ || windows_.size() + 2 > kTitles.size()) return;
        note("two new windows, and the older ones close");
        for (int i = 0; i < 2; ++i) addWindow(freeTitle());
        while (windows_.size() > 2) closeWindow(0);
    }

    /// Whether what the user sees agrees with the model; reports what does not.
    bool agrees() {
        if (zerlith_->wait(0.0)) {
            ADD_FAILURE() << "zerlith ended\n" << trail();
            return false;
        }
        if (palette_) {
            if (!eventually([&] { return desktop_.focusedTitle() == kPaletteTitle; }, 5.0)) {
                ADD_FAILURE() << "the palette should have the focus; active: \"" << desktop_.focusedTitle() << "\"\n"
                              << trail();
                return false;
            }
            listed();
            return true;
        }
        const auto& expected = windows_[active_].title;
        if (!eventually([&] { return !desktop_.paletteShown() && desktop_.focusedTitle() == expected; }, 5.0)) {
            ADD_FAILURE() << "expected \"" << expected << "\" active and no palette; active: \""
                          << desktop_.focusedTitle() << "\", palette " << (desktop_.paletteShown() ? "shown" : "hidden")
                          << "\n" << trail();
            return false;
        }
        if (!eventually([&] { return desktop_.keyboardFree(); }, 5.0)) {
            ADD_FAILURE() << "the palette is closed but the keyboard is still held\n" << trail();
            return false;
        }
        desktop_.press(newMarker());
        return markerArrived();
    }

    /// The marker's keys reached the active window, and no other window got any key.
    bool markerArrived() {
        for (std::size_t i = 0; i < windows_.size(); ++i) {
            const auto& title = windows_[i].title;
            if (i == active_) {
                for (const char c : marker_) {
                    const auto got = desktop_.nextKey(title, 5.0);
                    if (got != std::string(1, c)) {
                        ADD_FAILURE() << title << " got " << got.value_or("nothing") << " for the marker \"" << marker_
                                      << "\", expected " << c << "\n" << trail();
                        return false;
                    }
                }
            }
            if (const auto stray = desktop_.nextKey(title, 0.0)) {
                ADD_FAILURE() << title << " got a key it should not: " << *stray << "\n" << trail();
                return false;
            }
        }
        return true;
    }

    WalkedDesktop& desktop_;
    const unsigned long seed_;
    std::mt19937 random_;
    std::unique_ptr<ChildProcess> zerlith_;
    std::vector<Window> windows_;
    std::size_t active_ = 0;
    bool palette_ = false;
    /// Zerlith switched windows at least once, so it has uses to store at quit.
    bool switched_ = false;
    std::string marker_;
    std::deque<std::string> trail_;
};

}  // namespace

std::vector<unsigned long> sessionSeeds(const std::vector<unsigned long>& defaults) {
    if (const auto seed = fromEnvironment("ZERLITH_SESSION_SEED")) return {*seed};
    return defaults;
}

void walkSession(WalkedDesktop& desktop, unsigned long seed, unsigned long steps) {
    SessionWalk(desktop, seed).run(fromEnvironment("ZERLITH_SESSION_STEPS").value_or(steps));
}

}  // namespace zerlith::testing
