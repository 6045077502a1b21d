#include "settings/update_feed.hpp"

#include <algorithm>
#include <cctype>

namespace zerlith {
namespace {

/// A run of digits or a run of letters; separators (".", "-", "+", " ") only split runs.
struct Piece {
    bool number = false;
    std::string text;
};

std::vector<Piece> pieces(std::string_view version) {
    std::vector<Piece> result;
    for (const char c : version) {
        const auto u = static_cast<unsigned char>(c);
        const bool digit = std::isdigit(u) != 0;
        if (!digit && std::isalpha(u) == 0) {
            if (!result.empty() && !result.back().text.empty()) result.push_back({});
            continue;
        }
        if (result.empty() || (!result.back().text.empty() && result.back().number != digit)) result.push_back({});
        result.back().number = digit;
        result.back().text += c;
    }
    std::erase_if(result, [](const Piece& piece) { return piece.text.empty(); });
    return result;
}

int compareNumbers(std::string a, std::string b) {
    auto strip = [](std::string& text) {
        text.erase(0, std::min(text.find_first_not_of('0'), text.size()));
    };
    strip(a);
    strip(b);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

bool allZero(const std::vector<Piece>& list, std::size_t from) {
    return std::all_of(list.begin() + static_cast<std::ptrdiff_t>(from), list.end(), [](const Piece& piece) {
        return piece.number && piece.text.find_first_not_of('0') == std::string::npos;
    });
}

}  // namespace

int compareVersions(std::string_view a, std::string_view b) {
    const auto left = pieces(a);
    const auto right = pieces(b);
    const auto common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto& l = left[i];
        const auto& r = right[i];
        if (l.number && r.number) {
            if (const int order = compareNumbers(l.text, r.text); order != 0) return order;
        } else if (l.number != r.number) {
            return l.number ? 1 : -1;  // "1.0.1" after "1.0b1"
        } else if (const int order = l.text.compare(r.text); order != 0) {
            return order < 0 ? -1 : 1;
        }
    }
    if (left.size() == right.size()) return 0;
    // What one has beyond the other: more numbers make it newer (unless all zero), letters make it
    // a pre-release of the shorter one.
    const bool leftLonger = left.size() > right.size();
    const auto& longer = leftLonger ? left : right;
    if (allZero(longer, common)) return 0;
    const int longerIsNewer = longer[common].number ? 1 : -1;
    return leftLonger ? longerIsNewer : -longerIsNewer;
}

std::optional<FeedRelease> newestAbove(const std::vector<FeedRelease>& releases, std::string_view current) {
    std::optional<FeedRelease> newest;
    for (const auto& release : releases) {
        if (release.version.empty() || compareVersions(release.version, current) <= 0) continue;
        if (!newest || compareVersions(release.version, newest->version) > 0) newest = release;
    }
    return newest;
}

bool isVersionToken(std::string_view version) {
    // ASCII by value: the locale's idea of a letter may take in bytes of other encodings.
    const auto allowed = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '+' ||
               c == '~' || c == '-';
    };
    return !version.empty() && version.size() <= kMaxVersionLength && std::ranges::all_of(version, allowed);
}

bool isWebLink(std::string_view link) {
    auto startsWith = [link](std::string_view prefix) {
        if (link.size() <= prefix.size()) return false;
        for (std::size_t i = 0; i < prefix.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(link[i])) != prefix[i]) return false;
        }
        return true;
    };
    return startsWith("https://") || startsWith("http://");
}

}  // namespace zerlith
