#include "qt/update_feed_reader.hpp"

#include <algorithm>
#include <cstdio>

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <QStringDecoder>
#include <QXmlStreamReader>

namespace zerlith::qt {
namespace {

constexpr char kSparkle[] = "http://www.andymatuschak.org/xml-namespaces/sparkle";

/// What one item says.
struct ItemFields {
    QString shortVersion, version, link, notes, enclosureURL;
};

/// A name in the update framework's namespace, or with its usual prefix where the feed forgot
/// to declare it.
bool isSparkle(const QXmlStreamReader& xml, QLatin1StringView name) {
    if (xml.name() != name) return false;
    return xml.namespaceUri() == QLatin1StringView(kSparkle) || xml.prefix() == QLatin1StringView("sparkle");
}

QString sparkleAttribute(const QXmlStreamAttributes& attributes, QLatin1StringView name) {
    for (const auto& attribute : attributes) {
        if (attribute.name() == name &&
            (attribute.namespaceUri() == QLatin1StringView(kSparkle) || attribute.prefix() == QLatin1StringView("sparkle")))
            return attribute.value().toString().trimmed();
    }
    return {};
}

std::string sentenceFor(QNetworkReply& reply) {
    switch (reply.error()) {
        case QNetworkReply::OperationCanceledError:
        case QNetworkReply::TimeoutError:
            return "the server did not answer in time";
        case QNetworkReply::TooManyRedirectsError:
            return "the server redirected too often";
        case QNetworkReply::InsecureRedirectError:
            return "the server redirected to an unsafe address";
        case QNetworkReply::HostNotFoundError:
            return "the server " + reply.url().host().toStdString() + " is unknown";
        case QNetworkReply::ConnectionRefusedError:
            return "the server refused the connection";
        case QNetworkReply::ContentNotFoundError:
            return "the server has no feed at " + reply.url().toString().toStdString();
        default:
            return reply.errorString().toStdString();
    }
}

}  // namespace

UpdateFeedReader::UpdateFeedReader(platform::Dispatch& dispatch, int timeoutMilliseconds)
    : dispatch_(dispatch), timeoutMilliseconds_(timeoutMilliseconds) {}

UpdateFeedReader::~UpdateFeedReader() = default;

void UpdateFeedReader::fetch(const std::string& url, std::function<void(Result)> done) {
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    if (!address.isValid() || (address.scheme() != "https" && address.scheme() != "http")) {
        // Answered later, as a fetch is.
        QTimer::singleShot(0, [done] { done(std::string("the feed address is not an http or https URL")); });
        return;
    }
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setTransferTimeout(timeoutMilliseconds_);
    request.setHeader(QNetworkRequest::UserAgentHeader, "Zerlith update check");
    auto* reply = network_.get(request);

    // What the reply says is gathered here; it answers once, when it finishes or is cut short.
    struct Transfer {
        QByteArray body;
        std::string failure;
    };
    auto transfer = std::make_shared<Transfer>();
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    QObject::connect(deadline, &QTimer::timeout, reply, [reply, transfer] {
        transfer->failure = "the server did not answer in time";
        reply->abort();
    });
    deadline->start(std::min(kMaxSeconds * 1000, std::max(timeoutMilliseconds_ * 4, timeoutMilliseconds_)));
    auto tooLarge = [reply, transfer] {
        transfer->failure = "the feed is larger than 1 MB";
        reply->abort();
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, tooLarge] {
        const auto length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > kMaxBytes) tooLarge();
    });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, transfer, tooLarge] {
        if (!transfer->failure.empty()) return;
        transfer->body += reply->read(kMaxBytes + 1 - transfer->body.size());
        if (transfer->body.size() > kMaxBytes) tooLarge();
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, transfer, done, &dispatch = dispatch_] {
        reply->deleteLater();
        if (!transfer->failure.empty()) return done(transfer->failure);
        if (reply->error() != QNetworkReply::NoError) return done(sentenceFor(*reply));
        transfer->body += reply->read(kMaxBytes + 1 - transfer->body.size());
        if (transfer->body.size() > kMaxBytes) return done(std::string("the feed is larger than 1 MB"));
        // Parsing a megabyte of hostile XML takes its time: never on the thread that draws.
        dispatch.concurrentQueue().async([&dispatch, body = std::move(transfer->body), done] {
            dispatch.postMain([result = parseUpdateFeed(body), done] { done(result); });
        });
    });
}

UpdateFeed::Result parseUpdateFeed(const QByteArray& document) {
    // A byte that is not UTF-8 is a fatal error to XML, but Qt reads it as U+FFFD: three bytes of
    // text for one of the document, in a version shown to the user. Other encodings have no place
    // in an update feed either.
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8(document);
    if (utf8.hasError()) return std::string("the feed is not UTF-8");
    QXmlStreamReader xml(decoded);
    std::vector<FeedRelease> releases;
    bool sawRSS = false;
    bool tooLong = false;
    std::optional<ItemFields> item;
    // Every text kept is checked against the cap; one over it refuses the whole feed.
    auto capped = [&tooLong](QString text) {
        if (text.size() > kMaxTextCharacters) tooLong = true;
        return text;
    };
    auto elementText = [&] { return capped(xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed()); };
    while (!xml.atEnd() && !tooLong) {
        const auto token = xml.readNext();
        // Entities are how a small document grows to gigabytes; a feed has no use for them beyond
        // the predefined ones and character references, which the reader gives as plain text.
        if (token == QXmlStreamReader::StartDocument && !xml.documentEncoding().isEmpty() &&
            xml.documentEncoding().compare(QLatin1StringView("utf-8"), Qt::CaseInsensitive) != 0)
            return std::string("the feed is not UTF-8");
        if (token == QXmlStreamReader::DTD) return std::string("the feed declares a document type, which no update feed does");
        if (token == QXmlStreamReader::EntityReference) return std::string("the feed refers to an undeclared entity");
        if (token == QXmlStreamReader::StartElement) {
            if (!sawRSS) {
                if (xml.name() != QLatin1StringView("rss")) break;
                sawRSS = true;
                continue;
            }
            if (xml.name() == QLatin1StringView("item") && xml.namespaceUri().isEmpty()) {
                item.emplace();
            } else if (!item) {
                continue;
            } else if (xml.name() == QLatin1StringView("enclosure")) {
                const auto attributes = xml.attributes();
                item->enclosureURL = capped(attributes.value(QStringLiteral("url")).toString().trimmed());
                if (item->shortVersion.isEmpty())
                    item->shortVersion = capped(sparkleAttribute(attributes, QLatin1StringView("shortVersionString")));
                if (item->version.isEmpty())
                    item->version = capped(sparkleAttribute(attributes, QLatin1StringView("version")));
            } else if (isSparkle(xml, QLatin1StringView("shortVersionString"))) {
                item->shortVersion = elementText();
            } else if (isSparkle(xml, QLatin1StringView("version"))) {
                item->version = elementText();
            } else if (isSparkle(xml, QLatin1StringView("releaseNotesLink"))) {
                item->notes = elementText();
            } else if (xml.name() == QLatin1StringView("link") && xml.namespaceUri().isEmpty()) {
                item->link = elementText();
            }
        } else if (token == QXmlStreamReader::EndElement && item && xml.name() == QLatin1StringView("item")) {
            const auto& version = item->shortVersion.isEmpty() ? item->version : item->shortVersion;
            const auto& link = !item->link.isEmpty() ? item->link : (!item->notes.isEmpty() ? item->notes : item->enclosureURL);
            if (isVersionToken(version.toStdString())) {
                releases.push_back({version.toStdString(), link.toStdString()});
            } else if (!version.isEmpty()) {
                // Likely markup meant for the notification; its text is not echoed to a terminal.
                std::fputs("zerlith: an update feed item's version is not a version; the item is skipped\n", stderr);
            }
            item.reset();
        }
    }
    if (tooLong) return "the feed has a version or link longer than " + std::to_string(kMaxTextCharacters) + " characters";
    if (!sawRSS || xml.hasError()) return std::string("the feed is not an RSS update feed");
    return releases;
}

}  // namespace zerlith::qt
