#include "settings/desktop_notice.hpp"

namespace zerlith {
namespace {

/// `path` as the program of a command that sway's `exec` hands to sh, in a line of sway's
/// configuration: as it is when neither reads anything in it, else quoted for both. sh gets it in
/// single quotes, with ' and \ outside them ("'" and "\\"), so that sway's quotes (which a
/// backslash escapes) fall where sh's do and keep blanks, ";" and "," from splitting the line.
/// sway reads the command twice, from the line and when the key is pressed, each time making
/// "$$" a "$": a "$" is written four times. The line's own escapes come last: \ as \\, and line
/// breaks as \n and \r.
std::string execProgram(std::string_view path) {
    static constexpr std::string_view kPlain =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._+-";
    if (!path.empty() && path.find_first_not_of(kPlain) == std::string_view::npos) return std::string(path);
    std::string command;
    bool quoted = false;
    for (const char c : path) {
        const bool alone = c == '\'' || c == '\\';
        if (quoted == alone) command += '\'';
        quoted = !alone;
        if (c == '\'') command += "\"'\"";
        else if (c == '\\') command += "\"\\\\\"";
        else if (c == '$') command += "$$";
        else command += c;
    }
    if (quoted) command += '\'';
    std::string line;
    for (const char c : command) {
        if (c == '\\') line += "\\\\";
        else if (c == '$') line += "$$";
        else if (c == '\n') line += "\\n";
        else if (c == '\r') line += "\\r";
        else line += c;
    }
    return line;
}

}  // namespace

std::string desktopNotice(const desktop::ProviderInfo& provider, bool waylandSession, std::string_view command,
                          bool takesKeys) {
    if (waylandSession && provider.windowSystem == desktop::WindowSystem::x11) {
        return "This Wayland session shows other applications' windows to no one but its own shell: "
               "only X11 windows are visible.";
    }
    if (provider.windowSystem != desktop::WindowSystem::wayland || takesKeys) return {};
    const std::string intro = provider.capabilities.globalKeys
                                  ? "Zerlith binds no keys in sway now. Add these lines to its configuration:"
                                  : "This compositor lets no application take keys of its own. Bind the switcher in "
                                    "its configuration, as sway writes it:";
    const std::string started = execProgram(command);
    return intro + "\nbindsym Mod1+space exec " + started + " --palette\nbindsym Mod1+Tab exec " + started +
           " --instant";
}

}  // namespace zerlith
