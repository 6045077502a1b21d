// The update feed: any document either gives releases or the sentence that says why not, and the
// versions it announces order consistently, so the newest above the running one is well defined.
// Nothing expands: no text a feed gives is longer than the document itself, nor than the cap.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <variant>
#include <vector>

#include <QByteArray>

#include "qt/update_feed_reader.hpp"
#include "settings/update_feed.hpp"

namespace {

int sign(int value) { return (value > 0) - (value < 0); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zerlith;
    const QByteArray document(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto result = qt::parseUpdateFeed(document);
    const auto* releases = std::get_if<std::vector<FeedRelease>>(&result);
    if (releases == nullptr) return 0;
    // The cap counts UTF-16 units, each at most three bytes of UTF-8.
    const std::size_t longest = std::min(size, std::size_t(3 * qt::kMaxTextCharacters));
    for (const auto& release : *releases) {
        if (release.version.size() > longest || release.link.size() > longest) std::abort();
    }
    // Pairs of the first releases are enough to find an order that contradicts itself.
    const std::size_t compared = std::min<std::size_t>(releases->size(), 8);
    for (std::size_t i = 0; i < compared; ++i) {
        const auto& a = (*releases)[i].version;
        if (a.empty() || compareVersions(a, a) != 0) std::abort();
        for (std::size_t j = 0; j < compared; ++j) {
            const auto& b = (*releases)[j].version;
            if (sign(compareVersions(a, b)) != -sign(compareVersions(b, a))) std::abort();
        }
        isWebLink((*releases)[i].link);
    }
    if (const auto newest = newestAbove(*releases, "1.0"); newest && compareVersions(newest->version, "1.0") <= 0)
        std::abort();
    return 0;
}
