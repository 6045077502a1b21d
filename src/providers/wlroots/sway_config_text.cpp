#include "providers/wlroots/sway_config_text.hpp"

#include <algorithm>

namespace zerlith::wlroots {
namespace {

constexpr std::string_view kWhitespace = " \f\n\r\t\v";

bool isWhitespace(char c) { return kWhitespace.find(c) != std::string_view::npos; }

}  // namespace

std::vector<std::string> swayArguments(std::string_view line) {
    std::vector<std::string> arguments;
    std::string token;
    bool inString = false, inChar = false, inBrackets = false, escaped = false;
    for (const char c : line) {
        if (!inString && !inChar && !inBrackets && !escaped && isWhitespace(c)) {
            if (!token.empty()) arguments.push_back(std::move(token));
            token.clear();
            continue;
        }
        if (c == '"' && !inChar && !escaped) inString = !inString;
        else if (c == '\'' && !inString && !escaped) inChar = !inChar;
        else if (c == '[' && !inString && !inChar && !inBrackets && !escaped) inBrackets = true;
        else if (c == ']' && !inString && !inChar && inBrackets && !escaped) inBrackets = false;
        escaped = c == '\\' && !escaped;
        token += c;
    }
    if (!token.empty()) arguments.push_back(std::move(token));
    return arguments;
}

std::string joinedArguments(const std::vector<std::string>& arguments, std::size_t from) {
    std::string joined;
    for (std::size_t i = from; i < arguments.size(); ++i) {
        if (i > from) joined += ' ';
        joined += arguments[i];
    }
    return joined;
}

std::string unescaped(std::string_view argument) {
    static constexpr std::string_view kFrom = "abfnrtv\\'\"?";
    static constexpr std::string_view kTo = "\a\b\f\n\r\t\v\\'\"?";
    std::string result;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        if (argument[i] != '\\' || i + 1 == argument.size()) {
            result += argument[i];
            continue;
        }
        const char next = argument[++i];
        if (next == '0') return result;
        if (const auto known = kFrom.find(next); known != std::string_view::npos) {
            result += kTo[known];
        } else if (next == 'x') {
            // sway reads up to two decimal digits here, in base 16; a zero it leaves out.
            unsigned char value = 0;
            for (int digits = 0; digits < 2 && i + 1 < argument.size() && argument[i + 1] >= '0' && argument[i + 1] <= '9'; ++digits) {
                value = static_cast<unsigned char>(value * 0x10 + (argument[++i] - '0'));
            }
            if (value != 0) result += static_cast<char>(value);
        } else {
            result += '\\';
            result += next;
        }
    }
    return result;
}

std::string withoutQuotes(std::string_view argument) {
    std::string result;
    bool inString = false, inChar = false, escaped = false;
    for (const char c : argument) {
        if (c == '\'' && !inString && !escaped) {
            inChar = !inChar;
            continue;
        }
        if (c == '"' && !inChar && !escaped) {
            inString = !inString;
            continue;
        }
        escaped = c == '\\' && !escaped;
        result += c;
    }
    return result;
}

std::optional<std::string> SwayVariables::replaced(std::string_view line) const {
    std::string result;
    for (std::size_t at = 0; at < line.size();) {
        if (result.size() > maxLine_) return std::nullopt;
        if (line[at] != '$') {
            result += line[at++];
            continue;
        }
        // What came before is what sway looks back at: the line as replaced so far.
        const std::size_t before = result.size();
        if (before > 0 && result[before - 1] == '\\' && (before == 1 || result[before - 2] != '\\')) {
            result += line[at++];
            continue;
        }
        if (line.substr(at + 1).starts_with('$')) {
            result += '$';
            at += 2;
            continue;
        }
        const auto variable = std::find_if(variables_.begin(), variables_.end(),
                                           [&](const Variable& v) { return line.substr(at).starts_with(v.name); });
        if (variable == variables_.end()) {
            result += line[at++];
            continue;
        }
        result += variable->value;
        at += variable->name.size();
    }
    if (result.size() > maxLine_) return std::nullopt;
    return result;
}

bool SwayVariables::set(const std::string& name, std::string value) {
    auto found = std::find_if(variables_.begin(), variables_.end(), [&](const Variable& v) { return v.name == name; });
    const std::size_t replacedSize = found != variables_.end() ? found->value.size() : 0;
    if (value.size() > maxLine_ || total_ - replacedSize + value.size() > maxTotal_) return false;
    total_ = total_ - replacedSize + value.size();
    if (found != variables_.end()) {
        found->value = std::move(value);
        return true;
    }
    const auto place = std::find_if(variables_.begin(), variables_.end(),
                                    [&](const Variable& v) { return v.name.size() < name.size(); });
    variables_.insert(place, Variable{name, std::move(value)});
    return true;
}

}  // namespace zerlith::wlroots
