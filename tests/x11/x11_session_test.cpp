// A person's session with Zerlith on a real X session, as a seeded random walk of what people do:
// hot keys, typing, Escape, the instant switch, `zerlith --palette`, other windows taking the focus,
// windows coming and going, desktop switches and lock keys. After every step a small model says
// what the user must see: whether the palette shows, which window is active, that another client
// can take the keyboard when the palette is closed, and that the keys typed after a switch reach
// the window switched to.
//
//   ZERLITH_SESSION_SEED=N    replays one walk (a failure prints its seed)
//   ZERLITH_SESSION_STEPS=N   walks N steps (60 by default)

#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/first_launch.hpp"
#include "support/scoped_environment.hpp"
#include "x11/support/x_session.hpp"

namespace zerlith::x11::testing {
namespace {

namespace fs = std::filesystem;

/// Key codes of Xvfb's default (evdev, US) keyboard, for the letters the walk types.
const std::map<char, unsigned> kKeyCodes = {
    {'a', 38}, {'b', 56}, {'c', 54}, {'d', 40}, {'e', 26}, {'f', 41}, {'g', 42}, {'h', 43}, {'i', 31},
    {'j', 44}, {'k', 45}, {'l', 46}, {'m', 58}, {'n', 57}, {'o', 32}, {'p', 33}, {'q', 24}, {'r', 27},
    {'s', 39}, {'t', 28}, {'u', 30}, {'v', 55}, {'w', 25}, {'x', 53}, {'y', 29}, {'z', 52}};
/// Window titles, each its own query: no one is found by another's letters in order.
const std::vector<std::string> kTitles = {"Alpha", "Bravo", "Kilo", "Delta", "Echo", "Foxtrot", "Golf", "Hotel",
                                          "India", "Juliet", "Lima", "Mike", "November", "Oscar", "Papa", "Quebec"};
constexpr const char kPaletteTitle[] = "Zerlith Switcher";

std::optional<unsigned long> fromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::stoul(value);
}

std::vector<unsigned long> seeds() {
    if (const auto seed = fromEnvironment("ZERLITH_SESSION_SEED")) return {*seed};
    return {101, 303, 505};
}

/// Resident memory of a process, in kB.
long residentKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}

/// One test window, with what the model knows of it.
#ifdef __SANITIZE_ADDRESS__
// AddressSanitizer keeps freed memory aside for a while, so resident memory grows regardless.
constexpr bool kResidentMemoryTellsLeaks = false;
#else
constexpr bool kResidentMemoryTellsLeaks = true;
#endif

struct Window {
    std::string title;
    std::unique_ptr<TestWindows> program;
    /// Zerlith has listed it: a palette was on screen since it appeared.
    bool known = false;
};

class X11SessionTest : public ::testing::TestWithParam<unsigned long> {
protected:
    X11SessionTest() {
        fs::create_directories(home_.path() / "runtime");
        fs::permissions(home_.path() / "runtime", fs::perms::owner_all);
        environment_.set("XDG_RUNTIME_DIR", (home_.path() / "runtime").string());
        environment_.set("ZERLITH_DESKTOP", std::nullopt);
        environment_.set("QT_QPA_PLATFORM", "xcb");
        zerlith::testing::skipFirstLaunch();
    }

    // ---- the user's hands -------------------------------------------------------------------

    static void run(const std::vector<std::string>& argv) {
        ChildProcess tool(argv, ChildProcess::Options{});
        ASSERT_EQ(tool.wait(10.0), 0) << argv.front();
    }
    /// Presses keys one after the other with no pause, as a fast typist's burst.
    static void keys(const std::vector<std::string>& names) {
        std::vector<std::string> argv{"xdotool", "key", "--delay", "0"};
        argv.insert(argv.end(), names.begin(), names.end());
        run(argv);
    }
    static std::vector<std::string> letters(const std::string& text) {
        std::vector<std::string> names;
        for (const char c : text) names.push_back(std::string(1, static_cast<char>(std::tolower(c))));
        return names;
    }

    // ---- what the user sees -----------------------------------------------------------------

    static std::string focusedTitle() {
        ChildProcess tool({"xdotool", "getwindowfocus", "-f", "getwindowname"},
                          ChildProcess::Options{.pipeStdout = true, .quiet = true, .reportFd = std::nullopt});
        auto line = tool.readLine(5.0);
        tool.wait(5.0);
        return line.value_or("");
    }
    static bool paletteVisible() {
        ChildProcess tool({"xdotool", "search", "--onlyvisible", "--name", std::string("^") + kPaletteTitle + "$"},
                          ChildProcess::Options{.pipeStdout = true, .quiet = true, .reportFd = std::nullopt});
        const bool found = tool.readLine(5.0).has_value();
        tool.wait(5.0);
        return found;
    }
    bool anotherClientCanGrabTheKeyboard() {
        auto& probe = session_.probe();
        auto cookie = xcb_grab_keyboard(probe.raw(), 0, probe.root(), XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC,
                                        XCB_GRAB_MODE_ASYNC);
        auto* reply = xcb_grab_keyboard_reply(probe.raw(), cookie, nullptr);
        const bool grabbed = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
        std::free(reply);
        xcb_ungrab_keyboard(probe.raw(), XCB_CURRENT_TIME);
        probe.sync();
        return grabbed;
    }

    // ---- the model ----------------------------------------------------------------------------

    void addWindow(const std::string& title) {
        auto program = std::make_unique<TestWindows>(std::vector<std::string>{"--log-keys", "--title", title});
        ASSERT_TRUE(session_.waitUntilManaged(program->ids()));
        windows_.push_back({title, std::move(program)});
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
    bool knowsAnotherWindow() const {
        for (std::size_t i = 0; i < windows_.size(); ++i)
            if (i != active_ && windows_[i].known) return true;
        return false;
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
        out << "seed " << GetParam() << " (replay: ZERLITH_SESSION_SEED=" << GetParam() << "), last steps:";
        for (const auto& step : trail_) out << "\n  " << step;
        return out.str();
    }

    /// One step of the walk: picks what the user does next, does it, and updates the model.
    void step() {
        marker_.clear();
        const int choice = std::uniform_int_distribution<int>(0, 11)(random_);
        switch (choice) {
        case 0:
        case 1: {
            note(palette_ ? "hot key (closes)" : "hot key (opens)");
            keys({"alt+space"});
            palette_ = !palette_;
            break;
        }
        case 2: {
            note(palette_ ? "zerlith --palette (closes)" : "zerlith --palette (opens)");
            run({ZERLITH_EXECUTABLE, "--palette"});
            palette_ = !palette_;
            break;
        }
        case 3:
        case 4: {
            const auto target = otherWindow(true);
            if (!target) return;
            const auto& title = windows_[*target].title;
            auto burst = palette_ ? std::vector<std::string>{} : std::vector<std::string>{"alt+space"};
            for (const auto& key : letters(title)) burst.push_back(key);
            burst.push_back("Return");
            note((palette_ ? "type " : "hot key and type ") + title + ", Return");
            keys(burst);
            palette_ = false;
            active_ = *target;
            break;
        }
        case 5: {
            auto burst = palette_ ? std::vector<std::string>{} : std::vector<std::string>{"alt+space"};
            for (const auto& key : letters("jv")) burst.push_back(key);
            burst.push_back("Escape");
            note(std::string(palette_ ? "" : "hot key, ") + "junk, Escape");
            keys(burst);
            palette_ = false;
            break;
        }
        case 6: {
            // The switch never waits for a listing: it goes to windows Zerlith has listed.
            if (palette_ || !knowsAnotherWindow()) return;
            note("alt+Tab");
            const std::string before = windows_[active_].title;
            keys({"alt+Tab"});
            // The most likely other window: which one is the ranking's business, but not this one.
            std::string now;
            if (!eventually([&] { return (now = focusedTitle()) != before && indexOf(now) < windows_.size(); }, 5.0)) {
                ADD_FAILURE() << "alt+Tab left \"" << now << "\" active\n" << trail();
                return;
            }
            active_ = indexOf(now);
            break;
        }
        case 7: {
            const auto target = otherWindow(false);
            if (!target) return;
            note("the user clicks " + windows_[*target].title);
            run({"xdotool", "windowactivate", std::to_string((*windows_[*target].program)[0])});
            palette_ = false;
            active_ = *target;
            break;
        }
        case 8: {
            const auto title = freeTitle();
            if (palette_ || title.empty()) return;
            note("a new window " + title);
            addWindow(title);
            active_ = windows_.size() - 1;
            break;
        }
        case 9: {
            const auto target = otherWindow(false);
            if (!target || windows_.size() <= 2) return;
            note("window " + windows_[*target].title + " closes");
            const auto id = (*windows_[*target].program)[0];
            windows_[*target].program->destroy(0);
            ASSERT_TRUE(eventually([&] {
                const auto clients = session_.probe().clientList();
                return std::find(clients.begin(), clients.end(), id) == clients.end();
            }));
            if (*target < active_) --active_;
            windows_.erase(windows_.begin() + static_cast<std::ptrdiff_t>(*target));
            break;
        }
        case 10: {
            if (palette_) return;
            note("to the second desktop and back");
            session_.probe().requestDesktop(1);
            ASSERT_TRUE(eventually([&] { return session_.probe().currentDesktop() == 1u; }));
            session_.probe().requestDesktop(0);
            ASSERT_TRUE(eventually([&] { return session_.probe().currentDesktop() == 0u; }));
            break;
        }
        default: {
            const char* lock = std::bernoulli_distribution(0.5)(random_) ? "Num_Lock" : "Caps_Lock";
            note(lock);
            keys({lock});
            break;
        }
        }
    }

    /// Whether what the user sees agrees with the model; reports what does not.
    bool agrees() {
        if (zerlith_->wait(0.0)) {
            ADD_FAILURE() << "zerlith ended\n" << trail();
            return false;
        }
        if (palette_) {
            if (!eventually([&] { return focusedTitle() == kPaletteTitle; }, 5.0)) {
                ADD_FAILURE() << "the palette should have the focus; active: \"" << focusedTitle() << "\"\n" << trail();
                return false;
            }
            for (auto& window : windows_) window.known = true;
            return true;
        }
        const auto& expected = windows_[active_].title;
        if (!eventually([&] { return !paletteVisible() && focusedTitle() == expected; }, 5.0)) {
            ADD_FAILURE() << "expected \"" << expected << "\" active and no palette; active: \"" << focusedTitle()
                          << "\", palette " << (paletteVisible() ? "shown" : "hidden") << "\n" << trail();
            return false;
        }
        if (!eventually([&] { return anotherClientCanGrabTheKeyboard(); }, 5.0)) {
            ADD_FAILURE() << "the palette is closed but the keyboard is still held\n" << trail();
            return false;
        }
        keys(newMarker());
        return markerArrived();
    }

    /// The marker's keys reached the active window, and no other window got any key.
    bool markerArrived() {
        for (std::size_t i = 0; i < windows_.size(); ++i) {
            std::vector<std::string> expected;
            if (i == active_) {
                for (const char c : marker_) expected.push_back("key 0 " + std::to_string(kKeyCodes.at(c)));
            }
            for (const auto& line : expected) {
                const auto got = windows_[i].program->nextKey(5.0);
                if (got != line) {
                    ADD_FAILURE() << windows_[i].title << " got " << got.value_or("nothing") << " for the marker \""
                                  << marker_ << "\", expected " << line << "\n" << trail();
                    return false;
                }
            }
            if (const auto stray = windows_[i].program->nextKey(0.0)) {
                ADD_FAILURE() << windows_[i].title << " got a key it should not: " << *stray << "\n" << trail();
                return false;
            }
        }
        return true;
    }

    XSession session_;
    zerlith::testing::TempFolder home_;
    ScopedEnvironment environment_;
    std::unique_ptr<ChildProcess> zerlith_;
    std::mt19937 random_{static_cast<std::mt19937::result_type>(GetParam())};
    std::vector<Window> windows_;
    std::size_t active_ = 0;
    bool palette_ = false;
    std::string marker_;
    std::deque<std::string> trail_;
};

TEST_P(X11SessionTest, ARandomWalkOfUserActionsAgreesWithTheModel) {
    std::cout << "session seed " << GetParam() << std::endl;
    for (std::size_t i = 0; i < 4; ++i) addWindow(kTitles[i]);
    active_ = windows_.size() - 1;  // the window manager focuses each new window
    zerlith_ = std::make_unique<ChildProcess>(std::vector<std::string>{ZERLITH_EXECUTABLE}, ChildProcess::Options{});
    // Zerlith is ready once its hot key opens the palette.
    ASSERT_TRUE(eventually([&] {
        keys({"alt+space"});
        return eventually([&] { return focusedTitle() == kPaletteTitle; }, 1.0);
    }, 30.0));
    keys({"Escape"});
    ASSERT_TRUE(eventually([&] { return focusedTitle() == windows_[active_].title; }));
    for (auto& window : windows_) {
        window.known = true;
        while (window.program->nextKey(0.2)) {}  // presses of the hot key before Zerlith held it
    }

    const auto steps = fromEnvironment("ZERLITH_SESSION_STEPS").value_or(60);
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
    EXPECT_TRUE(fs::exists(fs::path(std::getenv("XDG_DATA_HOME")) / "Zerlith" / "usage.json")) << trail();
}

INSTANTIATE_TEST_SUITE_P(Seeds, X11SessionTest, ::testing::ValuesIn(seeds()),
                         [](const ::testing::TestParamInfo<unsigned long>& seed) {
                             return "seed" + std::to_string(seed.param);
                         });

}  // namespace
}  // namespace zerlith::x11::testing
