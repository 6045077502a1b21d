#include "ranking/url_parts.hpp"

#include <uriparser/Uri.h>

#include "ranking/unicode_text.hpp"

namespace zerlith {
namespace {

std::string_view textOf(const UriTextRangeA& range) {
    if (range.first == nullptr || range.afterLast == nullptr) return {};
    return {range.first, static_cast<std::size_t>(range.afterLast - range.first)};
}

/// "%C3%B6" becomes "ö"; escapes that would give invalid UTF-8 or control characters ("%0A") leave
/// the segment as written, since it is shown to the user.
std::string decodedSegment(std::string_view raw) {
    std::string decoded(raw);
    const char* end = uriUnescapeInPlaceExA(decoded.data(), URI_FALSE, URI_BR_DONT_TOUCH);
    decoded.resize(static_cast<std::size_t>(end - decoded.data()));
    return UnicodeText::isPrintableUtf8(decoded) ? decoded : std::string(raw);
}

/// Owns what uriparser allocates for one parse.
class ParsedUri {
public:
    explicit ParsedUri(std::string_view text) {
        const char* error = nullptr;
        ok_ = uriParseSingleUriExA(&uri_, text.data(), text.data() + text.size(), &error) == URI_SUCCESS;
    }
    ~ParsedUri() {
        if (ok_) uriFreeUriMembersA(&uri_);
    }
    ParsedUri(const ParsedUri&) = delete;
    ParsedUri& operator=(const ParsedUri&) = delete;

    const UriUriA* get() const { return ok_ ? &uri_ : nullptr; }

private:
    UriUriA uri_{};
    bool ok_ = false;
};

}  // namespace

std::string UrlParts::path() const {
    std::string joined = rooted ? "/" : "";
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (i > 0) joined += '/';
        joined += segments[i];
    }
    return joined;
}

std::optional<UrlParts> parseUrl(std::string_view url) {
    if (url.size() > UnicodeText::kMaxTextBytes) return std::nullopt;
    const ParsedUri parsed(url);
    const UriUriA* uri = parsed.get();
    if (uri == nullptr) return std::nullopt;

    UrlParts parts;
    parts.host = textOf(uri->hostText);
    // Brackets stay around IP literals, so that a port appended later remains readable.
    if (uri->hostData.ip6 != nullptr || uri->hostData.ipFuture.first != nullptr) {
        parts.host = "[" + parts.host + "]";
    }
    parts.port = textOf(uri->portText);
    // Behind an authority the path is always rooted; uriparser only flags rooted paths without one.
    parts.rooted =
        uri->absolutePath == URI_TRUE || (uri->hostText.first != nullptr && uri->pathHead != nullptr);
    for (const UriPathSegmentA* segment = uri->pathHead; segment != nullptr; segment = segment->next) {
        parts.segments.push_back(decodedSegment(textOf(segment->text)));
    }
    return parts;
}

}  // namespace zerlith
