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

/// Break classes that keep a character to itself next to any other of these classes: grapheme
/// rules only join them to neighbours of other classes (marks, joiners, jamo, regional
/// indicators), which never stand alone.
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

/// Whether lower-casing `c` gives the same result whatever surrounds it (not so for Σ, whose
/// lower-case form depends on the letters around it).
bool lowersWithoutContext(const icu::UnicodeString& c) {
    const icu::UnicodeString a(u'A');
    const icu::UnicodeString lower = UnicodeText::lowerCased(c);
    const icu::UnicodeString lowerA = UnicodeText::lowerCased(a);
    return UnicodeText::lowerCased(a + c) == lowerA + lower && UnicodeText::lowerCased(c + a) == lower + lowerA &&
           UnicodeText::lowerCased(a + c + a) == lowerA + lower + lowerA;
}

CodePointFacts factsOf(UChar32 c) {
    const icu::UnicodeString written(c);
    CodePointFacts facts;
    facts.traits = wordTraitsOf(written);
    if ((c >= 0xD800 && c < 0xE000) || !breaksAround(c) || !lowersWithoutContext(written)) return facts;

    const icu::UnicodeString lower = UnicodeText::lowerCased(written);
    const UChar32 first = lower.char32At(0);
    const UChar32 last = lower.char32At(lower.length() - 1);
    const bool lastJoinsNothing =
        breaksAround(last) || u_getIntPropertyValue(last, UCHAR_GRAPHEME_CLUSTER_BREAK) == U_GCB_EXTEND;
    if (UnicodeText::characterCount(lower) != 1 || !breaksAround(first) || !lastJoinsNothing) return facts;

    const std::string key = UnicodeText::toUtf8(UnicodeText::decomposed(lower));
    if (key.size() > sizeof facts.keyBytes) return facts;
    std::copy(key.begin(), key.end(), facts.keyBytes);
    facts.keyLength = static_cast<std::uint8_t>(key.size());
    facts.standsAlone = true;
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
        if (slot.compare_exchange_strong(block, fresh.get(), std::memory_order_acq_rel)) block = fresh.release();
    }
    return (*block)[static_cast<std::size_t>(c) & (kBlockSize - 1)];
}

}  // namespace zerlith::FuzzyMatcher
