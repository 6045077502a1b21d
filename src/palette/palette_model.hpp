#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/target.hpp"
#include "ranking/fuzzy_matcher.hpp"

namespace zerlith {

/// The state behind the palette: the typed query, the ranked targets that match it, the
/// highlighted row and the names of the screens beside the palette's. Every change of the query
/// re-filters and re-orders at once. Main thread only.
class PaletteModel {
public:
    /// The screens directly left and right of the palette's; none where there is no screen.
    struct Neighbors {
        std::optional<std::string> left;
        std::optional<std::string> right;
        bool operator==(const Neighbors&) const = default;
    };

    /// Which observable property just changed.
    enum class Change { query, results, selection, neighbors };
    /// Called after each change, in the order the changes happen.
    using Observer = std::function<void(Change)>;

    void setObserver(Observer observer) { observer_ = std::move(observer); }

    const std::string& query() const { return query_; }
    /// Stores the text as typed and recomputes the results, selecting the first row; also when
    /// the text is the one already held.
    void setQuery(std::string query);

    /// The targets shown, in display order: entries of all(), valid until it changes. Pointers,
    /// so that a keystroke over thousands of targets copies none of them.
    std::span<const Target* const> results() const { return results_; }
    std::size_t selection() const { return selection_; }
    /// The highlighted target; none when the results are empty.
    const Target* selected() const;
    /// Moves the highlight by `step` rows with wrap-around; nothing without results.
    void moveSelection(int step);

    /// The complete ranked list the results are drawn from. Setting it does not recompute: the
    /// caller sets the query next.
    const std::vector<Target>& all() const { return all_; }
    void setAll(std::vector<Target> all);
    /// Takes a newly ranked list and recomputes, keeping the highlight on the same target (by id)
    /// when it is still listed.
    void update(std::vector<Target> all);

    const Neighbors& neighbors() const { return neighbors_; }
    void setNeighbors(Neighbors neighbors);

    /// The text a target is matched against: title, subtitle, application name and the keyword
    /// of its category, joined by single spaces.
    static std::string haystack(const Target& target);

private:
    void recompute();
    /// The targets matching the query in display order, as indices into all(); only the last
    /// query's matches are scored when the query grew from it.
    std::vector<std::size_t> matchingTargets();
    /// The prepared haystacks of `all`, made at the first query that needs them.
    const std::vector<FuzzyMatcher::Prepared>& preparedHaystacks();
    void notify(Change change);

    std::string query_;
    std::vector<const Target*> results_;
    std::size_t selection_ = 0;
    Neighbors neighbors_;
    std::vector<Target> all_;
    std::optional<std::vector<FuzzyMatcher::Prepared>> prepared_;
    /// The last non-empty query over all() and the indices it matched, ascending.
    std::optional<FuzzyMatcher::PreparedQuery> lastQuery_;
    std::vector<std::size_t> lastMatches_;
    Observer observer_;
};

}  // namespace zerlith
