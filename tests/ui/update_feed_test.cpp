#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include "offscreen_app.hpp"
#include "ui/update_feed_reader.hpp"

namespace zerlith::testing {
namespace {

/// An HTTP server on 127.0.0.1 that answers every request with what the test gives it, or never.
class FeedServer {
public:
    /// Returns the whole response for a request line ("GET /path HTTP/1.1"); empty: no answer.
    using Answer = std::function<QByteArray(const QByteArray& requestLine)>;

    explicit FeedServer(Answer answer) : answer_(std::move(answer)) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (auto* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const auto request = socket->readAll();
                    const auto response = answer_(request.left(request.indexOf("\r\n")));
                    if (response.isEmpty()) return;  // keeps the connection open, silent
                    socket->write(response);
                    socket->disconnectFromHost();
                });
            }
        });
    }

    std::string url(const char* path = "/appcast.xml") const {
        return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + path;
    }

private:
    QTcpServer server_;
    Answer answer_;
};

QByteArray ok(const QByteArray& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: application/rss+xml\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

QByteArray appcast(const char* version) {
    return QByteArray(R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
  <channel>
    <title>Zerlith</title>
    <item>
      <title>Version )") + version + R"(</title>
      <link>https://example.org/zerlith/)" + version + R"(</link>
      <enclosure url="https://example.org/zerlith.tar.gz" sparkle:version="7" sparkle:shortVersionString=")" +
           version + R"(" length="1" type="application/octet-stream"/>
    </item>
    <item>
      <title>Old</title>
      <sparkle:version>0.0.5</sparkle:version>
      <link>https://example.org/zerlith/0.0.5</link>
    </item>
  </channel>
</rss>)";
}

class UpdateFeedTest : public ::testing::Test {
protected:
    UpdateFeedTest() { offscreenApplication(); }

    /// Fetches `url` and waits for the answer, for at most 20 s.
    UpdateFeed::Result fetch(const std::string& url) {
        std::optional<UpdateFeed::Result> result;
        QEventLoop loop;
        reader.fetch(url, [&](UpdateFeed::Result answer) {
            result = std::move(answer);
            loop.quit();
        });
        QTimer::singleShot(20'000, &loop, &QEventLoop::quit);
        if (!result) loop.exec();
        EXPECT_TRUE(result) << "no answer";
        return result.value_or(std::string("no answer"));
    }

    std::string failure(const std::string& url) {
        auto result = fetch(url);
        const auto* sentence = std::get_if<std::string>(&result);
        return sentence ? *sentence : "releases";
    }

    std::vector<FeedRelease> releases(const std::string& url) {
        auto result = fetch(url);
        const auto* found = std::get_if<std::vector<FeedRelease>>(&result);
        EXPECT_NE(found, nullptr) << std::get<std::string>(result);
        return found ? *found : std::vector<FeedRelease>{};
    }

    ui::UpdateFeedReader reader{500};
};

TEST_F(UpdateFeedTest, ReadsTheReleasesOfAnAppcast) {
    FeedServer server([](const QByteArray&) { return ok(appcast("0.2.0")); });
    const auto found = releases(server.url());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].version, "0.2.0");
    EXPECT_EQ(found[0].link, "https://example.org/zerlith/0.2.0");
    EXPECT_EQ(found[1].version, "0.0.5");
    EXPECT_EQ(newestAbove(found, "0.1.0")->version, "0.2.0");
}

TEST_F(UpdateFeedTest, TheSameOrAnOlderVersionIsNothingNew) {
    FeedServer same([](const QByteArray&) { return ok(appcast("0.1.0")); });
    EXPECT_FALSE(newestAbove(releases(same.url()), "0.1.0"));
    FeedServer older([](const QByteArray&) { return ok(appcast("0.0.9")); });
    EXPECT_FALSE(newestAbove(releases(older.url()), "0.1.0"));
}

TEST_F(UpdateFeedTest, AMalformedFeedIsASentence) {
    FeedServer broken([](const QByteArray&) { return ok("<rss><channel><item><title>x</item>"); });
    EXPECT_EQ(failure(broken.url()), "the feed is not an RSS update feed");
    FeedServer html([](const QByteArray&) { return ok("<html><body>Not found</body></html>"); });
    EXPECT_EQ(failure(html.url()), "the feed is not an RSS update feed");
    FeedServer empty([](const QByteArray&) { return ok(""); });
    EXPECT_EQ(failure(empty.url()), "the feed is not an RSS update feed");
}

TEST_F(UpdateFeedTest, AHugeFeedIsCutShort) {
    FeedServer announced([](const QByteArray&) { return ok(QByteArray(3 * 1024 * 1024, ' ')); });
    EXPECT_EQ(failure(announced.url()), "the feed is larger than 1 MB");
    FeedServer unannounced([](const QByteArray&) {
        return "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n<rss>" + QByteArray(2 * 1024 * 1024, ' ');
    });
    EXPECT_EQ(failure(unannounced.url()), "the feed is larger than 1 MB");
}

TEST_F(UpdateFeedTest, ARedirectLoopEnds) {
    FeedServer looping([](const QByteArray& line) {
        const auto next = line.contains("/a") ? "/b" : "/a";
        return QByteArray("HTTP/1.1 302 Found\r\nLocation: ") + next + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    });
    EXPECT_EQ(failure(looping.url("/a")), "the server redirected too often");
}

TEST_F(UpdateFeedTest, AServerThatNeverAnswersTimesOut) {
    FeedServer silent([](const QByteArray&) { return QByteArray(); });
    EXPECT_EQ(failure(silent.url()), "the server did not answer in time");
}

TEST_F(UpdateFeedTest, ANotFoundOrRefusedFeedIsASentence) {
    FeedServer missing([](const QByteArray&) {
        return QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    });
    EXPECT_EQ(failure(missing.url()), "the server has no feed at " + missing.url());
    EXPECT_EQ(failure("file:///etc/passwd"), "the feed address is not an http or https URL");
    EXPECT_EQ(failure("not a url"), "the feed address is not an http or https URL");
}

TEST(UpdateFeedParseTest, TakesTheVersionFromElementsOrTheEnclosure) {
    offscreenApplication();
    auto result = ui::parseUpdateFeed(R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>
      <item><sparkle:version>12</sparkle:version><sparkle:shortVersionString>1.2</sparkle:shortVersionString>
            <sparkle:releaseNotesLink>https://example.org/notes</sparkle:releaseNotesLink></item>
      <item><enclosure url="https://example.org/z.tgz" sparkle:version="2.0"/></item>
      <item><title>no version</title><link>https://example.org/none</link></item>
    </channel></rss>)");
    const auto& found = std::get<std::vector<FeedRelease>>(result);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].version, "1.2");
    EXPECT_EQ(found[0].link, "https://example.org/notes");
    EXPECT_EQ(found[1].version, "2.0");
    EXPECT_EQ(found[1].link, "https://example.org/z.tgz");
}

}  // namespace
}  // namespace zerlith::testing
