#include "ranking/scorer.hpp"

#include <algorithm>
#include <cmath>
#include <deque>
#include <string>

#include <unicode/normalizer2.h>
#include <unicode/utf8.h>

#include "ranking/unicode_text.hpp"

namespace zerlith::Scorer {

// Below U+0300 and in General Punctuation apart from two spaces that decompose, every code point
// has NFC quick check "yes" and combining class 0.
bool detail::isComposedOnItsOwn(std::int32_t c) { return c < 0x300 || (c >= 0x2002 && c <= 0x206F); }

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

bool isCurrentIn(const Target& target, const std::optional<ContextParts>& parts) {
    if (!parts || parts->application != target.bundleID) return false;
    if (!parts->title) return true;
    const std::string_view focused = *parts->title;
    const std::string_view title = target.title;
    return focused.starts_with(title) || title.starts_with(focused);
}

/// What one ranking shares between its targets.
struct Situation {
    double now;
    std::optional<std::string_view> activeScreenName;
    std::optional<ContextParts> context;  ///< none without a key, or when the key has no piece
};

double score(const Target& target, const UsageStore::Stats& stats, const Situation& situation) {
    double total = recency(stats.lastUsed, situation.now);
    total += frequency(stats.count);
    total += affinity(stats);
    const auto& context = situation.context;
    const bool sameApplication =
        target.kind == TargetKind::tab || (context && context->application == target.bundleID);
    if (sameApplication) total += kSameApplication;
    if (situation.activeScreenName && situation.activeScreenName == target.screenName) total += kSameScreen;
    if (isCurrentIn(target, context)) total += kCurrentPenalty;
    return total;
}

enum class Composed { yes, ask, illFormed };

/// `yes` when every code point of well-formed `text` is composed on its own; `ask` when ICU has to
/// decide.
Composed quickCheck(std::string_view text) {
    const auto length = static_cast<std::int32_t>(text.size());
    Composed answer = Composed::yes;
    for (std::int32_t at = 0; at < length;) {
        if (static_cast<unsigned char>(text[static_cast<std::size_t>(at)]) < 0x80) {
            ++at;
            continue;
        }
        UChar32 c = 0;
        U8_NEXT(text.data(), at, length, c);
        if (c < 0) return Composed::illFormed;
        if (!detail::isComposedOnItsOwn(c)) answer = Composed::ask;
    }
    return answer;
}

/// The title in canonical composed form when that differs from the title itself; UTF-8 bytes of
/// well-formed text order exactly as their code points. Ill-formed bytes read as U+FFFD.
std::optional<std::string> canonicalTitle(std::string_view title) {
    // Most titles are already composed: those are checked without converting them.
    if (title.size() > UnicodeText::kMaxTextBytes) return std::nullopt;
    const auto plain = quickCheck(title);
    if (plain == Composed::yes) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) return std::nullopt;
    const icu::StringPiece bytes(title.data(), static_cast<std::int32_t>(title.size()));
    const bool alreadyCanonical = plain == Composed::ask && nfc->isNormalizedUTF8(bytes, status);
    if (alreadyCanonical && U_SUCCESS(status)) return std::nullopt;
    status = U_ZERO_ERROR;
    const icu::UnicodeString normalized = nfc->normalize(UnicodeText::fromUtf8(title), status);
    if (U_FAILURE(status)) return std::nullopt;
    return UnicodeText::toUtf8(normalized);
}

/// Asks for the memory of a target two moves ahead: the cycles of a permutation visit targets in no
/// order the processor could guess.
void prefetch(const Target& target) {
    constexpr std::size_t kCacheLine = 64;
    const char* bytes = reinterpret_cast<const char*>(&target);
    for (std::size_t offset = 0; offset < sizeof(Target); offset += kCacheLine) __builtin_prefetch(bytes + offset);
}

}  // namespace

std::vector<Target> rank(std::vector<Target> targets, std::optional<std::string_view> context,
                         std::optional<std::string_view> activeScreen, const UsageStore& usage) {
    Situation situation{usage.clock().now(), activeScreen, std::nullopt};
    if (context) situation.context = splitContext(*context);

    // Sorting compact keys rather than whole targets keeps the sort in cache.
    struct SortKey {
        double score;
        std::string_view title;  // the title, or its canonical form in `canonicalTitles`
        std::size_t index;
    };
    std::deque<std::string> canonicalTitles;  // a deque never moves its elements: keys point into it
    std::vector<SortKey> keys;
    keys.reserve(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        Target& target = targets[i];
        target.score = score(target, usage.stats(target.id, context), situation);
        std::string_view title = target.title;
        if (auto canonical = canonicalTitle(target.title)) {
            title = canonicalTitles.emplace_back(std::move(*canonical));
        }
        keys.push_back({target.score, title, i});
    }
    // The input position as the last criterion gives a stable order without a stable sort's buffer.
    std::sort(keys.begin(), keys.end(), [](const SortKey& a, const SortKey& b) {
        if (a.score != b.score) return a.score > b.score;
        if (const int order = a.title.compare(b.title); order != 0) return order < 0;
        return a.index < b.index;
    });

    // Moves each target to its rank in place, one cycle of the permutation at a time.
    for (std::size_t start = 0; start < keys.size(); ++start) {
        if (keys[start].index == start) continue;
        Target held = std::move(targets[start]);
        std::size_t at = start;
        for (;;) {
            const std::size_t from = keys[at].index;
            keys[at].index = at;
            if (from == start) break;
            prefetch(targets[keys[keys[from].index].index]);
            targets[at] = std::move(targets[from]);
            at = from;
        }
        targets[at] = std::move(held);
    }
    return targets;
}

bool isCurrent(const Target& target, std::string_view context) {
    return isCurrentIn(target, splitContext(context));
}

}  // namespace zerlith::Scorer
