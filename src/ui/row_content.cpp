#include "ui/row_content.hpp"

#include <QFont>

#include "ranking/match_positions.hpp"
#include "ranking/unicode_text.hpp"

namespace zerlith::ui {
namespace {

/// The title's UTF-16 ranges the query matches, adjacent characters joined.
QList<QTextLayout::FormatRange> matchedRanges(const icu::UnicodeString& title, const Target& target,
                                              const std::string& query) {
    QList<QTextLayout::FormatRange> ranges;
    const auto matched = FuzzyMatcher::matchedCharacters(query, PaletteModel::haystack(target));
    if (matched.empty()) return ranges;
    // The matcher counts user-perceived characters; walk the title's in the same units.
    const auto boundaries = UnicodeText::characterBoundaries(title);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    for (const auto character : matched) {
        if (character + 1 >= boundaries.size()) continue;  // past the title: the subtitle or app name matched
        const int start = boundaries[character];
        const int length = boundaries[character + 1] - start;
        if (!ranges.isEmpty() && ranges.back().start + ranges.back().length == start) {
            ranges.back().length += length;
        } else {
            ranges.append({start, length, bold});
        }
    }
    return ranges;
}

}  // namespace

RowContent rowContent(const Target& target, const std::string& query) {
    RowContent content;
    if (target.title.size() > UnicodeText::kMaxTextBytes) {
        content.title = QString::fromStdString(target.title);
    } else {
        // One decoding for both: the matcher's character indices must land on the same text.
        const auto unicode = UnicodeText::fromUtf8(target.title);
        content.title = QString(reinterpret_cast<const QChar*>(unicode.getBuffer()), unicode.length());
        content.matched = matchedRanges(unicode, target, query);
    }
    content.subtitle = QString::fromStdString(target.subtitle);
    if (target.screenName && !target.screenName->empty()) content.badges.append(QString::fromStdString(*target.screenName));
    if (target.window != nullptr && !target.window->isOnCurrentSpace) content.badges.append("other desktop");
    return content;
}

std::vector<KeyHint> neighborHints(const PaletteModel::Neighbors& neighbors, const QString& bringHereLabel) {
    std::vector<KeyHint> hints;
    if (neighbors.left) hints.push_back({"arrow-left", QString::fromStdString(*neighbors.left)});
    if (neighbors.right) hints.push_back({"arrow-right", QString::fromStdString(*neighbors.right)});
    if (!hints.empty()) hints.push_back({"arrow-down-left", bringHereLabel});
    return hints;
}

QString emptyListText(const std::string& query) { return query.empty() ? "Nothing open to switch to" : "No matches"; }

}  // namespace zerlith::ui
