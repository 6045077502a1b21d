#include "palette/palette_model.hpp"

#include <algorithm>

#include "ranking/match_order.hpp"

namespace zerlith {
namespace {

/// How much of the relevance score counts next to the match score: enough to order matches of
/// similar quality, not enough to lift a poor match over a good one.
constexpr double kRelevanceWeight = 0.1;

}  // namespace

std::string PaletteModel::haystack(const Target& target) {
    const std::string_view keyword = target.category ? Classifier::paletteKeyword(*target.category) : "";
    std::string text;
    text.reserve(target.title.size() + target.subtitle.size() + target.appName.size() + keyword.size() + 3);
    text.append(target.title).append(" ").append(target.subtitle).append(" ").append(target.appName);
    text.append(" ").append(keyword);
    return text;
}

void PaletteModel::setQuery(std::string query) {
    query_ = std::move(query);
    notify(Change::query);
    recompute();
}

const Target* PaletteModel::selected() const {
    return selection_ < results_.size() ? results_[selection_] : nullptr;
}

void PaletteModel::moveSelection(int step) {
    if (results_.empty()) return;
    const auto count = static_cast<long long>(results_.size());
    selection_ = static_cast<std::size_t>(((static_cast<long long>(selection_) + step) % count + count) % count);
    notify(Change::selection);
}

void PaletteModel::setAll(std::vector<Target> all) {
    all_ = std::move(all);
    prepared_.reset();
    lastQuery_.reset();
}

void PaletteModel::update(std::vector<Target> all) {
    const auto* before = selected();
    const std::optional<std::string> selectedID = before ? std::optional(before->id) : std::nullopt;
    setAll(std::move(all));
    recompute();
    if (!selectedID) return;
    const auto found = std::find_if(results_.begin(), results_.end(),
                                    [&selectedID](const Target* target) { return target->id == *selectedID; });
    if (found == results_.end() || found == results_.begin()) return;
    selection_ = static_cast<std::size_t>(found - results_.begin());
    notify(Change::selection);
}

void PaletteModel::setNeighbors(Neighbors neighbors) {
    neighbors_ = std::move(neighbors);
    notify(Change::neighbors);
}

void PaletteModel::recompute() {
    if (query_.empty()) {
        results_.clear();
        results_.reserve(all_.size());
        for (const auto& target : all_) results_.push_back(&target);
        std::stable_sort(results_.begin(), results_.end(),
                         [](const Target* a, const Target* b) { return a->score > b->score; });
    } else {
        const auto matches = matchingTargets();
        results_.clear();
        results_.reserve(matches.size());
        for (const std::size_t index : matches) results_.push_back(&all_[index]);
    }
    selection_ = 0;
    notify(Change::results);
    notify(Change::selection);
}

std::vector<std::size_t> PaletteModel::matchingTargets() {
    auto query = FuzzyMatcher::prepareQuery(query_);
    std::vector<double> bias;
    bias.reserve(all_.size());
    for (const auto& target : all_) bias.push_back(kRelevanceWeight * target.score);
    const bool grew = lastQuery_ && query.extends(*lastQuery_);
    const auto matches = grew ? FuzzyMatcher::orderMatches(query, preparedHaystacks(), bias, lastMatches_)
                              : FuzzyMatcher::orderMatches(query, preparedHaystacks(), bias);
    std::vector<std::size_t> ordered;
    ordered.reserve(matches.size());
    std::vector<bool> matched(all_.size());
    for (const auto& match : matches) {
        ordered.push_back(match.index);
        matched[match.index] = true;
    }
    // In list order again, without a sort: a mark per target costs less on every keystroke.
    lastMatches_.clear();
    for (std::size_t index = 0; index < matched.size(); ++index) {
        if (matched[index]) lastMatches_.push_back(index);
    }
    lastQuery_ = std::move(query);
    return ordered;
}

const std::vector<FuzzyMatcher::Prepared>& PaletteModel::preparedHaystacks() {
    if (!prepared_) {
        prepared_.emplace();
        prepared_->reserve(all_.size());
        for (const auto& target : all_) prepared_->push_back(FuzzyMatcher::prepare(haystack(target)));
    }
    return *prepared_;
}

void PaletteModel::notify(Change change) {
    if (observer_) observer_(change);
}

}  // namespace zerlith
