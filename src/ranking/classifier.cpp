#include "ranking/classifier.hpp"

#include <algorithm>
#include <array>
#include <vector>

#include "ranking/unicode_text.hpp"
#include "ranking/url_parts.hpp"

namespace zerlith::Classifier {
namespace {

constexpr std::array<std::string_view, 3> kLocalHosts{"localhost", "127.0.0.1", "0.0.0.0"};
constexpr std::array<std::string_view, 2> kLocalHostPrefixes{"192.168.", "10."};
constexpr std::array<std::string_view, 3> kMailHosts{"mail.google.com", "outlook.office.com",
                                                     "outlook.live.com"};
constexpr std::array<std::string_view, 3> kMeetingHosts{"meet.google.com", "zoom.us", "teams.microsoft.com"};
constexpr std::array<std::string_view, 2> kDesignHosts{"figma.com", "www.figma.com"};
constexpr std::array<std::string_view, 2> kDocsHostPrefixes{"docs.", "developer."};
constexpr std::array<std::string_view, 4> kIndexPages{"index.html", "index.php", "index.htm", "default.aspx"};
constexpr std::string_view kHexIdentifierCharacters = "0123456789abcdefABCDEF-";

/// The longest hint; a longer path keeps its last segments behind "…/" (two characters).
constexpr std::size_t kMaxHintCharacters = 34;
constexpr std::size_t kMaxTailCharacters = kMaxHintCharacters - 2;

template <std::size_t N>
bool isOneOf(std::string_view text, const std::array<std::string_view, N>& set) {
    return std::find(set.begin(), set.end(), text) != set.end();
}

template <std::size_t N>
bool startsWithOneOf(std::string_view text, const std::array<std::string_view, N>& prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](std::string_view p) { return text.starts_with(p); });
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

/// Printable ASCII, where every byte is a character of its own (a control is not: "\r\n" is one
/// character), so counting and classifying need no character breaks. Paths almost always are.
bool isPrintableAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= ' ' && c <= '~'; });
}

std::string lowerCased(std::string_view text) {
    if (isAscii(text)) {
        std::string lower(text);
        for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        return lower;
    }
    return UnicodeText::toUtf8(UnicodeText::lowerCased(UnicodeText::fromUtf8(text)));
}

/// The host up to its port: the first non-empty piece between colons, or the whole text if none.
std::string_view hostWithoutPort(std::string_view host) {
    std::size_t start = 0;
    while (start < host.size()) {
        const std::size_t colon = std::min(host.find(':', start), host.size());
        if (colon > start) return host.substr(start, colon - start);
        start = colon + 1;
    }
    return host;
}

/// The characters of a segment, each as its own text.
std::vector<icu::UnicodeString> charactersOf(std::string_view segment) {
    const icu::UnicodeString text = UnicodeText::fromUtf8(segment);
    const std::vector<std::int32_t> bounds = UnicodeText::characterBoundaries(text);
    std::vector<icu::UnicodeString> characters;
    for (std::size_t i = 0; i + 1 < bounds.size(); ++i) {
        characters.emplace_back(text, bounds[i], bounds[i + 1] - bounds[i]);
    }
    return characters;
}

/// What the identifier rules read of a segment's characters.
struct SegmentFacts {
    std::size_t characters = 0;
    bool allNumeric = true;
    bool anyNumeric = false;
    bool anyUpperCase = false;
    bool anyLowerCase = false;

    void add(bool numeric, bool upperCase, bool lowerCase) {
        ++characters;
        allNumeric = allNumeric && numeric;
        anyNumeric = anyNumeric || numeric;
        anyUpperCase = anyUpperCase || upperCase;
        anyLowerCase = anyLowerCase || lowerCase;
    }
};

SegmentFacts factsOf(std::string_view segment) {
    SegmentFacts facts;
    if (isPrintableAscii(segment)) {
        for (const char c : segment) facts.add(c >= '0' && c <= '9', c >= 'A' && c <= 'Z', c >= 'a' && c <= 'z');
        return facts;
    }
    for (const auto& character : charactersOf(segment)) {
        facts.add(UnicodeText::isNumeric(character), UnicodeText::isUpperCase(character),
                  UnicodeText::isLowerCase(character));
    }
    return facts;
}

/// A path segment that names a record rather than a page: a long number, a hash, a random token.
bool isIdentifier(std::string_view segment) {
    const SegmentFacts facts = factsOf(segment);
    if (facts.characters >= 5 && facts.allNumeric) return true;
    const bool allHex = segment.find_first_not_of(kHexIdentifierCharacters) == std::string_view::npos;
    if (facts.characters >= 12 && allHex && facts.anyNumeric) return true;
    return facts.characters >= 16 && facts.anyNumeric && facts.anyUpperCase && facts.anyLowerCase;
}

bool isIndexPage(std::string_view segment) {
    return isOneOf(lowerCased(segment), kIndexPages);
}

std::size_t characterCount(std::string_view text) {
    if (isPrintableAscii(text)) return text.size();
    return UnicodeText::characterCount(UnicodeText::fromUtf8(text));
}

std::string joined(const std::vector<std::string_view>& segments) {
    std::string text;
    for (std::string_view segment : segments) {
        if (!text.empty()) text += '/';
        text += segment;
    }
    return text;
}

/// The segments worth showing: a word directly followed by an identifier is a collection name
/// ('pull' in '/owner/repo/pull/98765') and goes with it, unless that leaves nothing.
std::vector<std::string_view> selectedSegments(const std::vector<std::string>& segments) {
    std::vector<std::string_view> kept;
    std::vector<bool> identifier;
    for (const std::string& segment : segments) {
        if (!segment.empty()) kept.push_back(segment);
    }
    for (std::string_view segment : kept) identifier.push_back(isIdentifier(segment));

    std::vector<std::string_view> first;
    std::vector<std::string_view> second;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (identifier[i] || isIndexPage(kept[i])) continue;
        second.push_back(kept[i]);
        if (i + 1 == kept.size() || !identifier[i + 1]) first.push_back(kept[i]);
    }
    return first.empty() ? second : first;
}

/// "…/" and as many trailing segments as fit; the start of the last segment if none fits whole.
std::string shortened(const std::vector<std::string_view>& selection) {
    std::vector<std::string_view> tail;
    std::size_t total = 0;
    for (auto segment = selection.rbegin(); segment != selection.rend(); ++segment) {
        const std::size_t added = characterCount(*segment) + (tail.empty() ? 0 : 1);
        if (total + added > kMaxTailCharacters) break;
        total += added;
        tail.insert(tail.begin(), *segment);
    }
    if (!tail.empty()) return "…/" + joined(tail);

    const icu::UnicodeString last = UnicodeText::fromUtf8(selection.back());
    const std::vector<std::int32_t> bounds = UnicodeText::characterBoundaries(last);
    return UnicodeText::toUtf8(
        last.tempSubString(0, bounds[std::min(kMaxHintCharacters, bounds.size() - 1)]));
}

}  // namespace

std::string host(std::string_view url) {
    const std::optional<UrlParts> parts = parseUrl(url);
    if (!parts || parts->host.empty()) return {};
    std::string text = parts->host;
    if (text.starts_with("www.")) text.erase(0, 4);
    if (!parts->port.empty()) {
        // In decimal: leading zeros go, so "0080" is port 80 too.
        const std::size_t firstDigit = parts->port.find_first_not_of('0');
        const std::string port = firstDigit == std::string::npos ? "0" : parts->port.substr(firstDigit);
        if (port != "80" && port != "443") text += ":" + port;
    }
    return text;
}

Category category(std::string_view url, std::string_view host) {
    const std::optional<UrlParts> parts = parseUrl(url);
    const std::string path = parts ? lowerCased(parts->path()) : std::string();
    const std::string_view h = hostWithoutPort(host);
    const auto pathHas = [&](std::string_view piece) { return path.find(piece) != std::string::npos; };

    if (isOneOf(h, kLocalHosts) || startsWithOneOf(h, kLocalHostPrefixes)) return Category::localhost;
    if (h.ends_with("github.com") || h.ends_with("gitlab.com")) {
        if (pathHas("/pull/") || pathHas("/merge_requests/")) return Category::pullRequest;
        if (pathHas("/issues/")) return Category::issue;
    }
    if (isOneOf(h, kMailHosts)) return Category::mail;
    if (h == "calendar.google.com") return Category::calendar;
    if (isOneOf(h, kMeetingHosts)) return Category::meeting;
    if (isOneOf(h, kDesignHosts)) return Category::design;
    if (startsWithOneOf(h, kDocsHostPrefixes) || h.ends_with("readthedocs.io") || path.starts_with("/docs")) {
        return Category::docs;
    }
    return Category::other;
}

std::optional<std::string> pathHint(std::string_view url) {
    const std::optional<UrlParts> parts = parseUrl(url);
    if (!parts) return std::nullopt;
    const std::vector<std::string_view> selection = selectedSegments(parts->segments);
    if (selection.empty()) return std::nullopt;
    std::string hint = joined(selection);
    if (characterCount(hint) <= kMaxHintCharacters) return hint;
    return shortened(selection);
}

}  // namespace zerlith::Classifier
