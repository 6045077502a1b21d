#include "providers/wlroots/sway_include.hpp"

#include <glob.h>
#include <pwd.h>

#include <cctype>

namespace zerlith::wlroots {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kGlobSpecial = "*?[]\\";
constexpr std::string_view kRefused = "|&;<>(){}\n";

/// One word being built: as a glob pattern (quoted characters escaped) and as plain text.
struct Word {
    std::string pattern;
    std::string text;
    bool magic = false;
    bool started = false;

    void addQuoted(char c) {
        if (kGlobSpecial.find(c) != std::string_view::npos) pattern += '\\';
        pattern += c;
        text += c;
        started = true;
    }
    void addUnquoted(char c) {
        if (c == '*' || c == '?' || c == '[') magic = true;
        pattern += c;
        text += c;
        started = true;
    }
};

enum class Outcome { words, nothing, unknown };

class Expansion {
public:
    Expansion(std::string_view argument, const SwayEnvironment& environment) : in_(argument), environment_(environment) {}

    Outcome run() {
        while (at_ < in_.size()) {
            const char c = in_[at_++];
            if (c == ' ' || c == '\t') {
                endWord();
            } else if (kRefused.find(c) != std::string_view::npos) {
                return Outcome::nothing;
            } else if (c == '`') {
                return Outcome::unknown;
            } else if (c == '\\') {
                if (at_ < in_.size()) word_.addQuoted(in_[at_++]);
            } else if (c == '\'') {
                const auto end = in_.find('\'', at_);
                if (end == std::string_view::npos) return Outcome::nothing;
                for (; at_ < end; ++at_) word_.addQuoted(in_[at_]);
                ++at_;
                word_.started = true;
            } else if (c == '"') {
                if (const Outcome outcome = doubleQuoted(); outcome != Outcome::words) return outcome;
            } else if (c == '$') {
                if (const Outcome outcome = variable(false); outcome != Outcome::words) return outcome;
            } else if (c == '~' && !word_.started) {
                if (!tilde()) return Outcome::unknown;
            } else {
                word_.addUnquoted(c);
            }
        }
        endWord();
        return Outcome::words;
    }

    std::vector<Word> words;

private:
    void endWord() {
        if (!word_.text.empty()) words.push_back(std::move(word_));
        word_ = Word{};
    }

    Outcome doubleQuoted() {
        word_.started = true;
        while (at_ < in_.size()) {
            const char c = in_[at_++];
            if (c == '"') return Outcome::words;
            if (c == '`') return Outcome::unknown;
            if (c == '\\' && at_ < in_.size() && std::string_view("$`\"\\\n").find(in_[at_]) != std::string_view::npos) {
                word_.addQuoted(in_[at_++]);
            } else if (c == '$') {
                if (const Outcome outcome = variable(true); outcome != Outcome::words) return outcome;
            } else {
                word_.addQuoted(c);
            }
        }
        return Outcome::nothing;
    }

    /// After a `$`: a variable's value put in (split into words outside quotes), or the `$` itself.
    Outcome variable(bool quoted) {
        std::string name;
        if (at_ < in_.size() && in_[at_] == '(') return Outcome::unknown;
        if (at_ < in_.size() && in_[at_] == '{') {
            const auto end = in_.find('}', at_);
            if (end == std::string_view::npos) return Outcome::nothing;
            name = std::string(in_.substr(at_ + 1, end - at_ - 1));
            at_ = end + 1;
            if (!isName(name)) return Outcome::unknown;
        } else {
            while (at_ < in_.size() && (std::isalnum(static_cast<unsigned char>(in_[at_])) || in_[at_] == '_')) {
                name += in_[at_++];
            }
            if (name.empty()) {
                // $$, $?, $1 and the like are the shell's own: not something to guess.
                if (at_ < in_.size() && std::string_view("$?#!@*-0123456789").find(in_[at_]) != std::string_view::npos) {
                    return Outcome::unknown;
                }
                quoted ? word_.addQuoted('$') : word_.addUnquoted('$');
                return Outcome::words;
            }
            if (!isName(name)) return Outcome::unknown;
        }
        const std::string value = environment_(name).value_or("");
        for (const char c : value) {
            if (quoted) {
                word_.addQuoted(c);
            } else if (c == ' ' || c == '\t' || c == '\n') {
                endWord();
            } else {
                word_.addUnquoted(c);
            }
        }
        return Outcome::words;
    }

    static bool isName(const std::string& name) {
        if (name.empty() || std::isdigit(static_cast<unsigned char>(name.front()))) return false;
        for (const char c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
        }
        return true;
    }

    /// `~` or `~user` at the start of a word; false when the home folder is unknown.
    bool tilde() {
        std::string user;
        while (at_ < in_.size() && in_[at_] != '/' && in_[at_] != ' ' && in_[at_] != '\t') user += in_[at_++];
        std::optional<std::string> home;
        if (user.empty()) {
            home = environment_("HOME");
        } else if (const passwd* entry = ::getpwnam(user.c_str()); entry != nullptr) {
            home = entry->pw_dir;
        }
        if (!home) return false;
        for (const char c : *home) word_.addQuoted(c);
        return true;
    }

    std::string_view in_;
    const SwayEnvironment& environment_;
    std::size_t at_ = 0;
    Word word_;
};

std::string escapedForGlob(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        if (kGlobSpecial.find(c) != std::string_view::npos) escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::vector<fs::path> matches(const std::string& pattern) {
    glob_t found{};
    std::vector<fs::path> paths;
    if (::glob(pattern.c_str(), 0, nullptr, &found) == 0) {
        for (std::size_t i = 0; i < found.gl_pathc; ++i) paths.emplace_back(found.gl_pathv[i]);
    }
    ::globfree(&found);
    return paths;
}

}  // namespace

std::optional<std::vector<fs::path>> includedPaths(std::string_view argument, const fs::path& folder,
                                                   const SwayEnvironment& environment) {
    Expansion expansion(argument, environment);
    switch (expansion.run()) {
    case Outcome::unknown:
        return std::nullopt;
    case Outcome::nothing:
        return std::vector<fs::path>{};
    case Outcome::words:
        break;
    }
    std::vector<fs::path> paths;
    for (const Word& word : expansion.words) {
        const bool relative = !word.text.starts_with('/');
        if (relative && folder.empty()) return std::nullopt;
        if (!word.magic) {
            paths.push_back(relative ? folder / word.text : fs::path(word.text));
            continue;
        }
        const std::string prefix = relative ? escapedForGlob(folder.string()) + "/" : std::string();
        for (fs::path& path : matches(prefix + word.pattern)) paths.push_back(std::move(path));
    }
    return paths;
}

}  // namespace zerlith::wlroots
