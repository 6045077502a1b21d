#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/desktop_events.hpp"

namespace zerlith::wlroots {

/// One toplevel window as the foreign-toplevel protocol describes it.
struct Toplevel {
    std::uint32_t id = 0;  ///< ours, never reused: the protocol's object ids are
    std::string title;
    std::string appId;
    bool activated = false;
    bool minimized = false;
    bool maximized = false;
    bool fullScreen = false;
    std::vector<std::uint32_t> outputs;  ///< the ids of the outputs it is on
    bool operator==(const Toplevel&) const = default;
};

/// The toplevels of a session, fed the protocol's events. A toplevel's changes are kept pending
/// until its `done`, so readers never see half an update; one that was never done is not listed.
/// Every done and close is also recorded as a change. Not thread-safe: the connection calls it under its own lock.
class ToplevelList {
public:
    /// The protocol's state values.
    enum State : std::uint32_t { maximized = 0, minimized = 1, activated = 2, fullScreen = 3 };

    /// A new toplevel; returns its id.
    std::uint32_t created();
    void title(std::uint32_t id, std::string title);
    void appId(std::uint32_t id, std::string appId);
    void outputEnter(std::uint32_t id, std::uint32_t output);
    void outputLeave(std::uint32_t id, std::uint32_t output);
    /// The full set of states it now has.
    void state(std::uint32_t id, std::span<const std::uint32_t> states);
    void done(std::uint32_t id);
    void closed(std::uint32_t id);
    /// An output went away: no toplevel is on it any more.
    void outputRemoved(std::uint32_t output);

    /// Front to back: the most recently activated first, then the others, newest first.
    std::vector<Toplevel> list() const;
    std::optional<Toplevel> find(std::uint32_t id) const;
    /// What changed since the last call, as the change stream reports it, oldest first.
    std::vector<platform::DesktopChange> takeChanges();

private:
    struct Entry {
        Toplevel pending;
        std::optional<Toplevel> shown;  ///< as of its last done
    };

    void recordChanges(const std::optional<Toplevel>& before, const Toplevel& after);

    std::uint32_t nextId_ = 1;
    std::unordered_map<std::uint32_t, Entry> entries_;
    std::vector<std::uint32_t> order_;  ///< front to back
    std::vector<platform::DesktopChange> changes_;
};

}  // namespace zerlith::wlroots
