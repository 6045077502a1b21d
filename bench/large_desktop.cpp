#include "large_desktop.hpp"

namespace zerlith::bench {
namespace {

using nlohmann::json;

constexpr int kChromeTabs = 300;
constexpr int kSafariTabs = 200;
constexpr int kTabsPerWindow = 25;

json rect(double x, double y, double w, double h) { return {{"x", x}, {"y", y}, {"w", w}, {"h", h}}; }

/// Windows interleaved across applications as a real stack is; one in five on another Space
/// (no accessibility element), one in seven with an unsaved-changes marker, a few repeated titles.
json windows(int count, int applications) {
    json list = json::array();
    for (int i = 0; i < count; ++i) {
        const int app = i % applications;
        std::string title = "Document " + std::to_string(i % 1500) + " \u2014 Project " + std::to_string(app);
        if (i % 7 == 0) title = "\u25CF " + title;
        json window = {{"number", 1000 + i},
                       {"pid", 100 + app},
                       {"title", title},
                       {"frame", rect(20.0 * (i % 60), 15.0 * (i % 40), 800 + i % 300, 600 + i % 200)}};
        if (i % 5 == 0) window["onscreen"] = false;
        list.push_back(std::move(window));
    }
    return list;
}

json apps(int applications) {
    json list = json::array();
    for (int app = 0; app < applications; ++app) {
        list.push_back({{"pid", 100 + app},
                        {"name", "Application " + std::to_string(app)},
                        {"bundleID", "com.example.app" + std::to_string(app)}});
    }
    return list;
}

void addBrowser(json& desktop, int pid, const std::string& bundleID, int tabs, int firstNumber) {
    desktop["apps"].push_back({{"pid", pid}, {"bundleID", bundleID}});
    for (int first = 0; first < tabs; first += kTabsPerWindow) {
        json tabList = json::array();
        for (int t = first; t < first + kTabsPerWindow && t < tabs; ++t) {
            tabList.push_back({{"title", "Pull request " + std::to_string(t)},
                               {"url", "https://github.com/owner/repo/pull/" + std::to_string(10000 + t)}});
        }
        desktop["windows"].push_back({{"number", firstNumber + first},
                                      {"pid", pid},
                                      {"frame", rect(0, 0, 1200, 800)},
                                      {"tabs", tabList}});
    }
}

}  // namespace

json largeDesktop(int windowCount, int applications, bool withBrowsers) {
    json result = {{"screens",
                    {{{"name", "Built-in Display"}, {"frame", rect(0, 0, 1728, 1117)}},
                     {{"name", "External"}, {"frame", rect(1728, 0, 2560, 1440)}}}},
                   {"apps", apps(applications)},
                   {"windows", windows(windowCount, applications)}};
    if (withBrowsers) {
        addBrowser(result, 901, "com.google.Chrome", kChromeTabs, 50'000);
        addBrowser(result, 902, "com.apple.Safari", kSafariTabs, 60'000);
    }
    return result;
}

}  // namespace zerlith::bench
