#pragma once

#include <optional>
#include <string_view>

namespace zerlith::Classifier {

/// The kind of page a browser tab shows.
enum class Category { pullRequest, issue, docs, localhost, mail, calendar, meeting, design, other };

/// The case name, e.g. "pullRequest".
std::string_view rawValue(Category category);
/// The word the palette adds to a tab's searchable text ("PR" for a pull request; empty for other).
std::string_view paletteKeyword(Category category);

}  // namespace zerlith::Classifier
