#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include "app/update_feed_loader.hpp"
#include "platform/manual_dispatch.hpp"
#include "qt/update_feed_reader.hpp"
#include "ui/offscreen_app.hpp"

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

    /// Fetches `url` and waits for the answer, for at most 20 s; runs the parse the reader queues
    /// in the background, noting that it did in `parsedInBackground`.
    UpdateFeed::Result fetch(const std::string& url) {
        std::optional<UpdateFeed::Result> result;
        QEventLoop loop;
        reader.fetch(url, [&](UpdateFeed::Result answer) {
            result = std::move(answer);
            loop.quit();
        });
        // The background queue of the manual dispatch cannot wake the loop: look at it between events.
        QTimer background;
        QObject::connect(&background, &QTimer::timeout, &loop, [&] {
            if (dispatch.pendingBackgroundTasks() > 0) loop.quit();
        });
        background.start(1);
        QTimer::singleShot(20'000, &loop, &QEventLoop::quit);
        if (!result) loop.exec();
        parsedInBackground = !result && dispatch.pendingBackgroundTasks() > 0;
        dispatch.runUntilIdle();
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

    platform::ManualClock clock;
    platform::ManualDispatch dispatch{clock};
    qt::UpdateFeedReader reader{dispatch, 500};
    bool parsedInBackground = false;
};

TEST_F(UpdateFeedTest, ReadsTheReleasesOfAnAppcastInTheBackground) {
    FeedServer server([](const QByteArray&) { return ok(appcast("0.2.0")); });
    const auto found = releases(server.url());
    EXPECT_TRUE(parsedInBackground) << "parsed on the main thread";
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

TEST(ModuleUpdateFeedTest, WithoutItsModuleEachFetchAnswersWhyLater) {
    // No module stands beside this test's executable.
    platform::ManualClock clock;
    platform::ManualDispatch dispatch{clock};
    app::ModuleUpdateFeed feed(dispatch);
    std::vector<std::string> answers;
    for (int i = 0; i < 2; ++i)
        feed.fetch("https://example.org/appcast.xml",
                   [&](UpdateFeed::Result result) { answers.push_back(std::get<std::string>(result)); });
    EXPECT_TRUE(answers.empty()) << "answered before the fetch returned";
    dispatch.runUntilIdle();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_TRUE(answers[0].starts_with("the network module cannot be opened (")) << answers[0];
    EXPECT_EQ(answers[1], answers[0]);
}

TEST(UpdateFeedParseTest, TakesTheVersionFromElementsOrTheEnclosure) {
    offscreenApplication();
    auto result = qt::parseUpdateFeed(R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel>
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

TEST(UpdateFeedParseTest, RefusesEntitiesOverlongTextsAndOtherEncodings) {
    offscreenApplication();
    const QByteArray head = R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel><item>)";
    const QByteArray tail = "</item></channel></rss>";
    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE rss [<!ENTITY l0 \"ha\">";
    for (int level = 1; level < 10; ++level) {
        laughs += "<!ENTITY l" + QByteArray::number(level) + " \"" +
                  QByteArray("&l" + QByteArray::number(level - 1) + ";").repeated(10) + "\">";
    }
    laughs += "]>" + head + "<sparkle:version>&l9;</sparkle:version>" + tail;
    // One entity below any expansion limit, referred to many times: a megabyte of version.
    const QByteArray wide = "<!DOCTYPE rss [<!ENTITY w \"" + QByteArray(4000, '9') + "\">]>" + head +
                            "<sparkle:version>" + QByteArray("&w;").repeated(250) + "</sparkle:version>" + tail;
    const std::pair<QByteArray, std::string> cases[] = {
        {laughs, "the feed declares a document type, which no update feed does"},
        {wide, "the feed declares a document type, which no update feed does"},
        {head + "<sparkle:version>&undeclared;</sparkle:version>" + tail, "the feed is not an RSS update feed"},
        {head + "<sparkle:version>" + QByteArray(3000, '9') + "</sparkle:version>" + tail,
         "the feed has a version or link longer than 2048 characters"},
        {head + "<enclosure url=\"https://e.org/" + QByteArray(3000, 'a') + "\" sparkle:version=\"2\"/>" + tail,
         "the feed has a version or link longer than 2048 characters"},
        // Each stray byte would come back as a three-byte U+FFFD.
        {head + "<sparkle:version>1.0" + QByteArray(200, '\xC3') + "</sparkle:version>" + tail,
         "the feed is not UTF-8"},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + head + "<sparkle:version>2</sparkle:version>" + tail,
         "the feed is not UTF-8"},
    };
    for (const auto& [document, sentence] : cases) {
        const auto result = qt::parseUpdateFeed(document);
        const auto* refused = std::get_if<std::string>(&result);
        EXPECT_EQ(refused ? *refused : "releases", sentence) << document.left(120).toStdString();
    }
    // The predefined entities and character references are plain text.
    const auto plain = qt::parseUpdateFeed(head + "<sparkle:version>1&#46;2</sparkle:version><link>https://e.org/?a&amp;b&#x3D;&#x263A;</link>" + tail);
    ASSERT_TRUE(std::holds_alternative<std::vector<FeedRelease>>(plain));
    EXPECT_EQ(std::get<std::vector<FeedRelease>>(plain).at(0).version, "1.2");
    EXPECT_EQ(std::get<std::vector<FeedRelease>>(plain).at(0).link, "https://e.org/?a&b=\u263A");
}

// A version reaches desktop notifications, which render markup; the feed may come over plain http.
TEST(UpdateFeedParseTest, KeepsOnlyItemsWhoseVersionIsAShortToken) {
    offscreenApplication();
    const std::pair<QByteArray, bool> versions[] = {
        {"1.2.0", true}, {"2.0~rc1+deb12u1", true}, {"1.0b2-3", true}, {QByteArray(64, '9'), true},
        {QByteArray(65, '9'), false}, {"9.9 &lt;b&gt;URGENT&lt;/b&gt;", false},
        {"<![CDATA[9.9 <a href=\"https://e.org\">install</a>]]>", false}, {"1.0 beta", false},
        {"1.0\u00E9", false}, {"1.0;rm", false}, {"&lt;img src=&quot;file:///etc/hostname&quot;/&gt;", false},
    };
    for (const auto& [version, kept] : versions) {
        const auto result = qt::parseUpdateFeed(
            R"(<rss xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle"><channel><item><sparkle:version>)" +
            version + "</sparkle:version></item></channel></rss>");
        ASSERT_TRUE(std::holds_alternative<std::vector<FeedRelease>>(result)) << version.toStdString();
        EXPECT_EQ(std::get<std::vector<FeedRelease>>(result).size(), kept ? 1u : 0u) << version.toStdString();
    }
}

}  // namespace
}  // namespace zerlith::testing
