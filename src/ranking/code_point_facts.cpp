#include "ranking/code_point_facts.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <memory>

#include <unicode/uchar.h>

#include "ranking/unicode_text.hpp"

namespace zerlith::FuzzyMatcher {
namespace {

constexpr int kBlockBits = 7;
constexpr UChar32 kBlockSize = 1 << kBlockBits;
constexpr UChar32 kCodePointLimit = 0x110000;
using Block = std::array<CodePointFacts, kBlockSize>;

/// Break classes that start a character and are only ever joined to what follows by marks and
/// joiners (which the walk handles) or by code points of other classes (jamo, regional indicators,
/// prepended and spacing marks), which send a text the general way.
bool breaksAround(UChar32 c) {
    switch (u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK)) {
        case U_GCB_OTHER:
        case U_GCB_CONTROL:
        case U_GCB_CR:
        case U_GCB_LF:
        case U_GCB_LV:
        case U_GCB_LVT:
            return true;
        default:
            return false;
    }
}

bool isBreakClass(UChar32 c, UGraphemeClusterBreak breakClass) {
    return u_getIntPropertyValue(c, UCHAR_GRAPHEME_CLUSTER_BREAK) == breakClass;
}

bool isControlLike(UChar32 c) {
    return isBreakClass(c, U_GCB_CONTROL) || isBreakClass(c, U_GCB_CR) || isBreakClass(c, U_GCB_LF);
}

bool isPictographic(UChar32 c) {
    return u_hasBinaryProperty(c, UCHAR_EXTENDED_PICTOGRAPHIC);
}
bool isCaseless(UChar32 c) {
    return !u_hasBinaryProperty(c, UCHAR_CHANGES_WHEN_CASEMAPPED);
}

/// Whether lower-casing `c` gives the same result whatever surrounds it (not so for Σ, whose
/// lower-case form depends on the letters around it).
bool lowersWithoutContext(const icu::UnicodeString& c) {
    const icu::UnicodeString a(u'A');
    const icu::UnicodeString lower = UnicodeText::lowerCased(c);
    const icu::UnicodeString lowerA = UnicodeText::lowerCased(a);
    return UnicodeText::lowerCased(a + c) == lowerA + lower &&
           UnicodeText::lowerCased(c + a) == lower + lowerA &&
           UnicodeText::lowerCased(a + c + a) == lowerA + lower + lowerA;
}

/// A base keeps its character boundaries, its break class and its pictograph status through
/// lower-casing: its lower-case form is one character that begins like it and ends like it (or
/// with an accent, as İ's does), and no pictograph appears or vanishes.
bool isBase(UChar32 c, const icu::UnicodeString& written, const icu::UnicodeString& lower) {
    if (!breaksAround(c) || !lowersWithoutContext(written) || UnicodeText::characterCount(lower) != 1) {
        return false;
    }
    const UChar32 first = lower.char32At(0);
    const UChar32 last = lower.char32At(lower.length() - 1);
    if (!breaksAround(first) || !(breaksAround(last) || isBreakClass(last, U_GCB_EXTEND))) return false;
    if (isControlLike(c) != isControlLike(last)) return false;
    if (isPictographic(c)) return isCaseless(c);
    for (std::int32_t i = 0; i < lower.length(); i = lower.moveIndex32(i, 1)) {
        if (isPictographic(lower.char32At(i))) return false;
    }
    return true;
}

CodePointFacts::Role roleOf(UChar32 c, const icu::UnicodeString& written, const icu::UnicodeString& lower) {
    if (c >= 0xD800 && c < 0xE000) return CodePointFacts::Role::other;
    if (isBreakClass(c, U_GCB_ZWJ)) return CodePointFacts::Role::joiner;
    if (isBreakClass(c, U_GCB_EXTEND) && isCaseless(c) && !isPictographic(c)) {
        return CodePointFacts::Role::mark;
    }
    return isBase(c, written, lower) ? CodePointFacts::Role::base : CodePointFacts::Role::other;
}

CodePointFacts factsOf(UChar32 c) {
    const icu::UnicodeString written(c);
    const icu::UnicodeString lower = UnicodeText::lowerCased(written);
    CodePointFacts facts;
    facts.traits = wordTraitsOf(written);
    const icu::UnicodeString key = UnicodeText::decomposed(lower);
    const std::string keyBytes = UnicodeText::toUtf8(key);
    facts.role =
        keyBytes.size() <= sizeof facts.keyBytes ? roleOf(c, written, lower) : CodePointFacts::Role::other;
    if (facts.role == CodePointFacts::Role::other) return facts;

    facts.pictographic = facts.role == CodePointFacts::Role::base && isPictographic(c);
    facts.controlLike = isControlLike(c);
    facts.firstCombiningClass = u_getCombiningClass(key.char32At(0));
    facts.lastCombiningClass = u_getCombiningClass(key.char32At(key.length() - 1));
    std::copy(keyBytes.begin(), keyBytes.end(), facts.keyBytes);
    facts.keyLength = static_cast<std::uint8_t>(keyBytes.size());
    return facts;
}

std::unique_ptr<Block> blockAt(UChar32 first) {
    auto block = std::make_unique<Block>();
    for (UChar32 i = 0; i < kBlockSize; ++i) (*block)[i] = factsOf(first + i);
    return block;
}

}  // namespace

const CodePointFacts& codePointFacts(UChar32 c) {
    static const CodePointFacts kNoScalar;
    if (c < 0 || c >= kCodePointLimit) return kNoScalar;
    // Blocks are filled on first use; a thread that loses the race to publish one discards its own.
    static std::array<std::atomic<const Block*>, kCodePointLimit / kBlockSize> blocks{};
    std::atomic<const Block*>& slot = blocks[static_cast<std::size_t>(c) >> kBlockBits];
    const Block* block = slot.load(std::memory_order_acquire);
    if (block == nullptr) {
        std::unique_ptr<Block> fresh = blockAt(c & ~(kBlockSize - 1));
        if (slot.compare_exchange_strong(block, fresh.get(), std::memory_order_acq_rel)) {
            block = fresh.release();
        }
    }
    return (*block)[static_cast<std::size_t>(c) & (kBlockSize - 1)];
}

std::span<const ForeignAsciiKey> foreignAsciiKeys() {
    // Greek question mark and Greek varia decompose to ';' and '`'; the Kelvin sign lower-cases to 'k'.
    static constexpr ForeignAsciiKey kKeys[] = {{';', "\u037E"}, {'`', "\u1FEF"}, {'k', "\u212A"}};
    return kKeys;
}

const CodePointFacts* asciiFacts() {
    static_assert(kBlockSize >= 128, "ASCII fits one block");
    static const CodePointFacts* const first = &codePointFacts(0);
    return first;
}

}  // namespace zerlith::FuzzyMatcher
