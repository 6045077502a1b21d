#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zerlith {

/// One release a feed announces: the version as users read it ("1.2.0") and the page that tells
/// about it. Nothing is ever downloaded from it.
struct FeedRelease {
    std::string version;
    std::string link;
};

/// Fetches and reads an update feed: an RSS document whose items carry a version and a link, in
/// the appcast form. Main thread; `done` runs later on the main thread, once.
class UpdateFeed {
public:
    /// The releases, or a sentence that says why there are none ("the server did not answer").
    using Result = std::variant<std::vector<FeedRelease>, std::string>;
    virtual ~UpdateFeed() = default;
    virtual void fetch(const std::string& url, std::function<void(Result)> done) = 0;
};

/// Orders two version strings: numbers compare as numbers, "1.10" after "1.9", "1.0" equal to
/// "1.0.0", and a pre-release before its release ("1.0b2" before "1.0"). Negative, zero or
/// positive, like strcmp.
int compareVersions(std::string_view a, std::string_view b);

/// Whether a feed's version is one a release could carry: 1 to `kMaxVersionLength` digits, ASCII
/// letters and `.+~-`. Anything else (markup, spaces, a sentence) is no version at all: it is shown
/// to the user in notifications and the tray, and the feed may come over plain http.
bool isVersionToken(std::string_view version);
inline constexpr std::size_t kMaxVersionLength = 64;

/// The newest release above `current`, or none.
std::optional<FeedRelease> newestAbove(const std::vector<FeedRelease>& releases, std::string_view current);

/// Whether a feed's link may be handed to the browser: http and https only.
bool isWebLink(std::string_view link);

}  // namespace zerlith
