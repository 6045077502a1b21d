#include "providers/wlroots/sway_bindings.hpp"

#include <algorithm>
#include <cctype>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

namespace zerlith::wlroots {
namespace {

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

std::vector<std::string> words(std::string_view line) {
    std::istringstream stream{std::string(line)};
    std::vector<std::string> split;
    for (std::string word; stream >> word;) split.push_back(std::move(word));
    return split;
}

/// `text` with each variable's value put in once, in one pass, the longest name that matches
/// first (so that $mod does not eat the start of $modifier). Values hold no variables: they were
/// expanded when they were set.
std::string expanded(std::string_view text, const std::map<std::string, std::string>& variables) {
    std::string result;
    for (std::size_t at = 0; at < text.size();) {
        const std::map<std::string, std::string>::value_type* longest = nullptr;
        if (text[at] == '$') {
            for (const auto& variable : variables) {
                if (text.substr(at).starts_with(variable.first) && (!longest || variable.first.size() > longest->first.size()))
                    longest = &variable;
            }
        }
        if (longest != nullptr) {
            result += longest->second;
            at += longest->first.size();
        } else {
            result += text[at++];
        }
    }
    return result;
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

bool configBinds(std::string_view config, const KeyChord& chord) {
    std::map<std::string, std::string> variables;
    int depth = 0;
    std::istringstream lines{std::string(config)};
    for (std::string line; std::getline(lines, line);) {
        const auto split = words(line);
        if (split.empty() || split.front().starts_with('#')) continue;
        const bool atTop = depth == 0;
        depth += static_cast<int>(std::count(line.begin(), line.end(), '{')) - static_cast<int>(std::count(line.begin(), line.end(), '}'));
        if (!atTop) continue;
        if (split.front() == "set" && split.size() >= 3 && split[1].starts_with('$')) {
            variables[split[1]] = expanded(split[2], variables);
            continue;
        }
        if (split.front() != "bindsym" && split.front() != "bindcode") continue;
        const auto combo = std::find_if(split.begin() + 1, split.end(), [](const std::string& word) { return !word.starts_with("--"); });
        if (combo != split.end() && comboIs(expanded(*combo, variables), split.front() == "bindcode", chord)) return true;
    }
    return false;
}

}  // namespace zerlith::wlroots
