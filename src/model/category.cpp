#include "model/category.hpp"

namespace zerlith::Classifier {

std::string_view rawValue(Category category) {
    switch (category) {
        case Category::pullRequest: return "pullRequest";
        case Category::issue: return "issue";
        case Category::docs: return "docs";
        case Category::localhost: return "localhost";
        case Category::mail: return "mail";
        case Category::calendar: return "calendar";
        case Category::meeting: return "meeting";
        case Category::design: return "design";
        case Category::other: return "other";
    }
    return "other";
}

std::string_view paletteKeyword(Category category) {
    switch (category) {
        case Category::pullRequest: return "PR";
        case Category::localhost: return "local";
        case Category::other: return "";
        default: return rawValue(category);
    }
}

}  // namespace zerlith::Classifier
