#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>

#include "platform/dispatch.hpp"
#include "settings/update_feed.hpp"

namespace zerlith::qt {

/// Fetches update feeds over HTTP(S) with Qt Network and reads them: at most `kMaxBytes`, at most
/// `kMaxRedirects` redirects, never to a less safe scheme, and no longer than the time-out without
/// progress nor `kMaxSeconds` in all. The document is parsed on the concurrent queue and the
/// answer posted back to the main queue. Main thread.
class UpdateFeedReader final : public UpdateFeed {
public:
    static constexpr qint64 kMaxBytes = 1024 * 1024;
    static constexpr int kMaxRedirects = 5;
    static constexpr int kMaxSeconds = 60;

    /// `timeoutMilliseconds` bounds each wait for the server; `dispatch` outlives the reader.
    explicit UpdateFeedReader(platform::Dispatch& dispatch, int timeoutMilliseconds = 15'000);
    ~UpdateFeedReader() override;

    void fetch(const std::string& url, std::function<void(Result)> done) override;

private:
    platform::Dispatch& dispatch_;
    int timeoutMilliseconds_;
    QNetworkAccessManager network_;
};

/// The releases of an RSS update feed: each item's version (its `sparkle:shortVersionString`, else
/// `sparkle:version`, as an element or as an attribute of its enclosure) and link (`link`, else
/// `sparkle:releaseNotesLink`, else the enclosure's URL); an item whose version is no version token
/// is skipped with a line on standard error. A sentence when it is not such a feed,
/// when it declares a document type or refers to an entity beyond the predefined ones (how a
/// small document expands to gigabytes), or when a text it gives is longer than
/// `kMaxTextCharacters`. Any thread.
UpdateFeed::Result parseUpdateFeed(const QByteArray& document);

/// Far longer than any version or link.
inline constexpr qsizetype kMaxTextCharacters = 2048;

}  // namespace zerlith::qt
