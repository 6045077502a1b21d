#pragma once

#include <memory>

#include <QByteArray>
#include <QNetworkAccessManager>

#include "settings/update_feed.hpp"

namespace zerlith::ui {

/// Fetches update feeds over HTTP(S) with Qt Network and reads them: at most `kMaxBytes`, at most
/// `kMaxRedirects` redirects, never to a less safe scheme, and no longer than the time-out without
/// progress nor `kMaxSeconds` in all. Main thread.
class UpdateFeedReader final : public UpdateFeed {
public:
    static constexpr qint64 kMaxBytes = 1024 * 1024;
    static constexpr int kMaxRedirects = 5;
    static constexpr int kMaxSeconds = 60;

    /// `timeoutMilliseconds` bounds each wait for the server.
    explicit UpdateFeedReader(int timeoutMilliseconds = 15'000);
    ~UpdateFeedReader() override;

    void fetch(const std::string& url, std::function<void(Result)> done) override;

private:
    int timeoutMilliseconds_;
    std::unique_ptr<QNetworkAccessManager> network_;
};

/// The releases of an RSS update feed: each item's version (its `sparkle:shortVersionString`, else
/// `sparkle:version`, as an element or as an attribute of its enclosure) and link (`link`, else
/// `sparkle:releaseNotesLink`, else the enclosure's URL). A sentence when it is not such a feed.
UpdateFeed::Result parseUpdateFeed(const QByteArray& document);

}  // namespace zerlith::ui
