#include "providers/wlroots/sway_bindings.hpp"

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include "base/file_io.hpp"
#include "providers/wlroots/sway_config_text.hpp"

namespace zerlith::wlroots {
namespace {

namespace fs = std::filesystem;


std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

/// sway's name for a modifier as a binding may write it; empty when it is not one.
std::string modifierName(const std::string& written) {
    static const std::map<std::string, std::string> kAliases = {
        {"mod1", "Mod1"}, {"alt", "Mod1"},         {"mod4", "Mod4"},  {"super", "Mod4"}, {"logo", "Mod4"},
        {"ctrl", "Control"}, {"control", "Control"}, {"shift", "Shift"}, {"mod2", "Mod2"}, {"mod3", "Mod3"},
        {"mod5", "Mod5"}, {"lock", "Lock"},
    };
    const auto found = kAliases.find(lowercase(written));
    return found != kAliases.end() ? found->second : std::string();
}

/// `combo` ("Mod1+Shift+space", variables put in) against `chord`.
bool comboIs(const std::string& combo, bool byCode, const KeyChord& chord) {
    std::vector<std::string> parts;
    std::istringstream stream(combo);
    for (std::string part; std::getline(stream, part, '+');) parts.push_back(part);
    if (parts.empty()) return false;
    const std::string key = parts.back();
    parts.pop_back();
    std::set<std::string> modifiers;
    for (const std::string& part : parts) {
        const std::string name = modifierName(part);
        if (name.empty()) return false;
        modifiers.insert(name);
    }
    if (modifiers != chord.modifiers) return false;
    return byCode ? key == std::to_string(chord.keyCode) : lowercase(key) == lowercase(chord.keysym);
}

/// Past these the configuration is unreadable: a value, or a line with the values put in; all
/// values together; a file; the files read; includes within includes.
constexpr std::size_t kMaxLine = 64 * 1024;
constexpr std::size_t kMaxValues = 1024 * 1024;
constexpr std::size_t kMaxFileBytes = 4 * 1024 * 1024;
constexpr std::size_t kMaxFiles = 256;
constexpr int kMaxDepth = 32;

constexpr std::string_view kWhitespace = " \f\n\r\t\v";

/// A file's lines as sway reads them: a backslash at the end joins the next line (outside a
/// comment), whitespace around each is stripped.
std::vector<std::string> logicalLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    bool joining = false;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string_view raw = text.substr(at, end - at);
        at = end + 1;
        const bool continues = end < text.size() && raw.ends_with('\\') && !(joining ? line : std::string(raw)).starts_with('#');
        line += continues ? raw.substr(0, raw.size() - 1) : raw;
        joining = continues;
        if (continues) continue;
        const auto first = line.find_first_not_of(kWhitespace);
        lines.push_back(first == std::string::npos ? std::string() : line.substr(first, line.find_last_not_of(kWhitespace) + 1 - first));
        line.clear();
    }
    if (joining) lines.push_back(line);
    return lines;
}

/// Reads configuration files as sway does, until the chord turns up bound or reading cannot go on.
class ConfigReader {
public:
    ConfigReader(const SwayConfigPlace& place, const KeyChord& chord) : place_(place), chord_(chord) {}

    /// Reads `text`, the content of `file` (canonical; empty when unknown), whose relative
    /// includes lie in `folder`.
    void read(std::string_view text, const fs::path& file, const fs::path& folder, int depth) {
        if (!file.empty()) chain_.insert(file);
        const std::vector<std::string> lines = logicalLines(text);
        std::vector<std::string> blocks;  ///< innermost last, each with the blocks around it
        for (std::size_t i = 0; i < lines.size() && !done(); ++i) {
            const std::string& line = lines[i];
            if (line.empty() || line.starts_with('#')) continue;
            // sway takes a "{" alone on the next line for the end of this one.
            bool brace = false;
            if (!line.ends_with('{') && !line.ends_with('}')) {
                std::size_t next = i + 1;
                while (next < lines.size() && lines[next].empty()) ++next;
                if (next < lines.size() && lines[next] == "{") {
                    brace = true;
                    i = next;
                }
            }
            auto arguments = swayArguments((blocks.empty() ? "" : blocks.back() + " ") + line + (brace ? " {" : ""));
            if (arguments.empty()) continue;
            if (arguments.size() > 1 && arguments.back() == "{") {
                arguments.pop_back();
                blocks.push_back(joinedArguments(arguments));
            } else if (arguments.back() == "}") {
                if (!blocks.empty()) blocks.pop_back();
            } else {
                command(std::move(arguments), folder, depth);
            }
        }
    }

    BindingCheck result() const { return {bound_, problem_}; }

private:
    bool done() const { return bound_ || !problem_.empty(); }

    void tooLarge() { problem_ = "its variables grow past " + std::to_string(kMaxLine / 1024) + " KiB"; }

    /// One command, with variables put in and arguments unescaped as sway's config_command does.
    void command(std::vector<std::string> arguments, const fs::path& folder, int depth) {
        if (arguments[0].starts_with('$')) {
            const auto first = variables_.replaced(arguments[0]);
            if (!first) return tooLarge();
            arguments[0] = *first;
            arguments = swayArguments(joinedArguments(arguments));
            if (arguments.empty()) return;
        }
        const std::string name = lowercase(arguments[0]);
        const bool isSet = name == "set";
        // The name set is not replaced: "$$" is a literal "$".
        if (isSet && arguments.size() > 1 && arguments[1].starts_with('$')) arguments[1].insert(0, "$");
        const auto line = variables_.replaced(joinedArguments(arguments));
        if (!line) return tooLarge();
        arguments = swayArguments(*line);
        static const std::set<std::string> kQuotesKept = {"exec", "exec_always", "mode",     "bindsym",
                                                          "bindcode", "bindswitch", "set", "for_window"};
        for (std::size_t i = isSet ? 2 : 1; i < arguments.size(); ++i) {
            if (!kQuotesKept.contains(name) && (arguments[i].starts_with('"') || arguments[i].starts_with('\''))) {
                arguments[i] = withoutQuotes(arguments[i]);
            }
            arguments[i] = unescaped(arguments[i]);
        }
        if (isSet) {
            if (arguments.size() >= 3 && arguments[1].starts_with('$') && !variables_.set(arguments[1], joinedArguments(arguments, 2))) {
                tooLarge();
            }
        } else if (name == "include") {
            if (arguments.size() >= 2) include(joinedArguments(arguments, 1), folder, depth);
        } else if (name == "mode") {
            // `mode default bindsym …` binds in the default mode, as a binding outside modes does.
            std::size_t at = 1;
            if (at < arguments.size() && arguments[at] == "--pango_markup") ++at;
            if (at + 1 < arguments.size() && withoutQuotes(arguments[at]) == "default") binding(arguments, at + 1);
        } else {
            binding(arguments, 0);
        }
    }

    /// Whether `arguments` from `at` on bind the chord.
    void binding(const std::vector<std::string>& arguments, std::size_t at) {
        const std::string name = lowercase(arguments[at]);
        if (name != "bindsym" && name != "bindcode") return;
        const auto combo = std::find_if(arguments.begin() + static_cast<std::ptrdiff_t>(at) + 1, arguments.end(),
                                        [](const std::string& word) { return !word.starts_with("--"); });
        bound_ = combo != arguments.end() && comboIs(*combo, name == "bindcode", chord_);
    }

    void include(const std::string& argument, const fs::path& folder, int depth) {
        if (depth >= kMaxDepth) {
            problem_ = "its includes nest deeper than " + std::to_string(kMaxDepth);
            return;
        }
        const auto paths = includedPaths(argument, folder, place_.environment);
        if (!paths) {
            problem_ = "where \"include " + argument + "\" leads is unknown";
            return;
        }
        for (const fs::path& path : *paths) {
            // As sway: a file that is not there is left out, and each file is read once.
            std::error_code error;
            const fs::path file = fs::canonical(path, error);
            if (error || chain_.contains(file) || fs::is_directory(file, error)) continue;
            if (chain_.size() >= kMaxFiles) {
                problem_ = "it includes more than " + std::to_string(kMaxFiles) + " files";
                return;
            }
            const auto text = readFile(file, kMaxFileBytes);
            if (!text) {
                problem_ = "cannot read " + file.string();
                return;
            }
            read(*text, file, file.parent_path(), depth + 1);
            if (done()) return;
        }
    }

    const SwayConfigPlace& place_;
    const KeyChord& chord_;
    SwayVariables variables_{kMaxLine, kMaxValues};
    std::set<fs::path> chain_;
    bool bound_ = false;
    std::string problem_;
};

}  // namespace

std::set<std::string> swayModifiers(std::uint32_t carbonModifiers) {
    static const std::pair<std::uint32_t, const char*> kModifiers[] = {
        {0x100, "Mod4"}, {0x200, "Shift"}, {0x800, "Mod1"}, {0x1000, "Control"}};
    std::set<std::string> names;
    for (const auto& [bit, name] : kModifiers) {
        if ((carbonModifiers & bit) != 0) names.insert(name);
    }
    return names;
}

std::string bindsymCombo(const KeyChord& chord) {
    std::string combo;
    for (const std::string& modifier : chord.modifiers) combo += modifier + "+";
    return combo + chord.keysym;
}

BindingCheck configBinds(std::string_view mainText, const SwayConfigPlace& place, const KeyChord& chord) {
    ConfigReader reader(place, chord);
    std::error_code error;
    const fs::path mainFile = place.mainFile.empty() ? fs::path() : fs::weakly_canonical(place.mainFile, error);
    reader.read(mainText, mainFile, place.mainFile.parent_path(), 0);
    return reader.result();
}

}  // namespace zerlith::wlroots
