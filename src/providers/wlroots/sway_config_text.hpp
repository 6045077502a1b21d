#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zerlith::wlroots {

/// A command line cut into arguments as sway cuts it: at whitespace outside "…", '…' and
/// criteria brackets, a backslash keeping the next character from counting. Quotes stay.
std::vector<std::string> swayArguments(std::string_view line);
/// `arguments` from `from` on, joined by single spaces.
std::string joinedArguments(const std::vector<std::string>& arguments, std::size_t from = 0);
/// An argument with sway's escapes read (\\ \" \' \n \t …; \0 ends it); a backslash before any
/// other character stays, as in sway.
std::string unescaped(std::string_view argument);
/// An argument with its unescaped quotes taken out, as sway does for most commands' arguments.
std::string withoutQuotes(std::string_view argument);

/// The `set $name value` variables of a configuration, put into lines as sway does: each `$`
/// once, left to right, the longest name first; a value put in is not read again; `$$` is a
/// literal `$`; `\$` stays as written. A line or value longer than `maxLine`, or values adding up
/// to more than `maxTotal`, make the configuration unreadable: values that grow each other would
/// otherwise fill memory.
class SwayVariables {
public:
    SwayVariables(std::size_t maxLine, std::size_t maxTotal) : maxLine_(maxLine), maxTotal_(maxTotal) {}

    /// `line` with the variables put in; none past the limits.
    std::optional<std::string> replaced(std::string_view line) const;
    /// Sets `name` (with its `$`); false past the limits.
    bool set(const std::string& name, std::string value);

private:
    struct Variable {
        std::string name;
        std::string value;
    };
    std::vector<Variable> variables_;  ///< longest name first
    std::size_t maxLine_;
    std::size_t maxTotal_;
    std::size_t total_ = 0;
};

}  // namespace zerlith::wlroots
