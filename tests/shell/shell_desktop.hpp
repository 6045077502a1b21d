#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cache/snapshot_store.hpp"
#include "platform/geometry.hpp"

namespace zerlith::testing {

/// Mail (501, window 1), Chrome (601, window 2) and Safari (701, window 3), `front` in front.
inline nlohmann::json mailAndBrowsers(Pid front) {
    auto app = [](Pid pid, const char* name, const char* bundleID) {
        return nlohmann::json{{"pid", pid}, {"name", name}, {"bundleID", bundleID}};
    };
    auto window = [](int number, Pid pid, const char* title) {
        return nlohmann::json{{"number", number}, {"pid", pid}, {"title", title},
                              {"frame", {{"x", 0}, {"y", 0}, {"w", 800}, {"h", 600}}}};
    };
    return {{"apps", {app(501, "Mail", "com.example.mail"), app(601, "Google Chrome", "com.google.Chrome"),
                      app(701, "Safari", "com.apple.Safari")}},
            {"windows", {window(1, 501, "Inbox"), window(2, 601, "News"), window(3, 701, "Docs")}},
            {"frontmost", front}};
}

/// A snapshot store whose sources list nothing and write their names into `enumerated` when
/// enumerated.
inline SnapshotStore::Sources recordingSources(std::vector<std::string>& enumerated) {
    SnapshotStore::Sources sources;
    for (const std::string name : {"chrome", "safari", "firefox", "windows"}) {
        sources.push_back({name, [&enumerated, name] {
                               enumerated.push_back(name);
                               return std::vector<Target>{};
                           }});
    }
    return sources;
}

}  // namespace zerlith::testing
