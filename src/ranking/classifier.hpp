#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/category.hpp"

// What a browser tab's URL says about the page: a short host, a category, a compact path hint.
// Pure functions of their text; any thread. A text that is not an RFC 3986 URI has no host, the
// category other and no hint; hostile text (huge, invalid UTF-8, control characters) is safe.
namespace zerlith::Classifier {

/// The host without a leading "www.", plus ":port" for an explicit port other than 80 and 443
/// ('localhost:3000'); the empty text when the URL has no host or does not parse.
std::string host(std::string_view url);

/// The kind of page; `host` is what host(url) gave for the same URL.
Category category(std::string_view url, std::string_view host);

/// The path's meaningful segments joined with "/", identifiers and index pages left out, at most
/// 34 characters ('owner/repo', '…/chapters/getting-started/setup'); absent when nothing is left.
std::optional<std::string> pathHint(std::string_view url);

}  // namespace zerlith::Classifier
