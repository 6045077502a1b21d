#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zerlith {

/// The pieces of a URL the classifier reads, from an RFC 3986 parse.
struct UrlParts {
    std::string host;  ///< as written (case kept, IP literals in brackets); empty when there is none
    std::string port;  ///< the explicit port's digits as written; empty when there is none
    /// The path's segments, percent-decoded where that gives printable UTF-8 (as written otherwise);
    /// empty segments kept, so joining them with "/" gives the path back.
    std::vector<std::string> segments;
    bool rooted = false;  ///< the path starts with "/"

    /// The whole (decoded) path, e.g. "/owner/repo"; empty when the URL has none.
    std::string path() const;
};

/// Absent when the text is not a URI under RFC 3986 (or longer than any text worth reading).
/// Any thread.
std::optional<UrlParts> parseUrl(std::string_view url);

}  // namespace zerlith
