#include "ranking/scorer.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include "platform/platform.hpp"
#include "system/screens.hpp"

namespace zerlith::Scorer {
namespace {

constexpr double kRecencyMax = 30;
constexpr double kRecencyScaleMinutes = 10;
constexpr double kFrequencyWeight = 6;
constexpr double kAffinityMax = 40;
constexpr double kSameApplication = 5;
constexpr double kSameScreen = 3;
constexpr double kCurrentPenalty = -1000;

/// A context key cut at its first "|" with empty pieces dropped: the application part and, when
/// anything follows, the window title (which may itself hold "|").
struct ContextParts {
    std::string_view application;
    std::optional<std::string_view> title;
};

std::optional<ContextParts> splitContext(std::string_view key) {
    key.remove_prefix(std::min(key.find_first_not_of('|'), key.size()));
    if (key.empty()) return std::nullopt;
    const auto bar = key.find('|');
    if (bar == std::string_view::npos) return ContextParts{key, std::nullopt};
    const auto title = key.substr(bar + 1);
    return ContextParts{key.substr(0, bar), title.empty() ? std::nullopt : std::optional(title)};
}

double recency(double lastUsed, double now) {
    if (!(lastUsed > 0)) return 0;
    // A use "in the future" (the clock moved back) counts as just now.
    const double minutes = std::max(0.0, (now - lastUsed) / 60);
    return kRecencyMax / (minutes / kRecencyScaleMinutes + 1);
}

double frequency(std::int64_t count) { return kFrequencyWeight * std::log2(static_cast<double>(count) + 1); }

double affinity(const UsageStore::Stats& stats) {
    if (stats.affinityTotal <= 0) return 0;
    return kAffinityMax * static_cast<double>(stats.contextCount) / static_cast<double>(stats.affinityTotal);
}

/// What one ranking shares between its targets.
struct Situation {
    double now;
    std::optional<std::string> activeScreenName;
    std::optional<std::string_view> context;
    std::optional<std::string_view> contextApplication;
};

double score(const Target& target, const UsageStore::Stats& stats, const Situation& situation) {
    double total = recency(stats.lastUsed, situation.now);
    total += frequency(stats.count);
    total += affinity(stats);
    const bool sameApplication =
        target.kind == TargetKind::tab || situation.contextApplication == target.bundleID;
    if (sameApplication) total += kSameApplication;
    if (situation.activeScreenName && situation.activeScreenName == target.screenName) total += kSameScreen;
    if (situation.context && isCurrent(target, *situation.context)) total += kCurrentPenalty;
    return total;
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

/// The title in canonical composed form when that can differ from the title itself; UTF-8 bytes
/// of valid text order exactly as their code points. Invalid UTF-8 reads as replacement characters.
std::optional<std::string> canonicalTitle(const std::string& title) {
    if (isAscii(title)) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) return std::nullopt;
    const icu::UnicodeString normalized = nfc->normalize(icu::UnicodeString::fromUTF8(title), status);
    if (U_FAILURE(status)) return std::nullopt;
    std::string bytes;
    normalized.toUTF8String(bytes);
    return bytes;
}

}  // namespace

std::vector<Target> rank(std::vector<Target> targets, std::optional<std::string_view> context,
                         const UsageStore& usage) {
    Situation situation{platform::current().clock().now(), std::nullopt, context, std::nullopt};
    if (const auto screen = Screens::active()) situation.activeScreenName = screen->name;
    if (context) {
        if (const auto parts = splitContext(*context)) situation.contextApplication = parts->application;
    }

    std::vector<std::optional<std::string>> canonicalTitles;
    canonicalTitles.reserve(targets.size());
    for (Target& target : targets) {
        target.score = score(target, usage.stats(target.id, context), situation);
        canonicalTitles.push_back(canonicalTitle(target.title));
    }
    const auto titleKey = [&](std::size_t i) -> std::string_view {
        if (canonicalTitles[i]) return *canonicalTitles[i];
        return targets[i].title;
    };

    std::vector<std::size_t> order(targets.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (targets[a].score != targets[b].score) return targets[a].score > targets[b].score;
        return titleKey(a) < titleKey(b);
    });

    std::vector<Target> ranked;
    ranked.reserve(targets.size());
    for (std::size_t i : order) ranked.push_back(std::move(targets[i]));
    return ranked;
}

bool isCurrent(const Target& target, std::string_view context) {
    const auto parts = splitContext(context);
    if (!parts || parts->application != target.bundleID) return false;
    if (!parts->title) return true;
    const std::string_view focused = *parts->title;
    const std::string_view title = target.title;
    return focused.starts_with(title) || title.starts_with(focused);
}

}  // namespace zerlith::Scorer
