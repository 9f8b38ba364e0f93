// The order of a sorted list box. The system compares item texts with
// CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE), which orders as the
// locale's sort keys do; this builds the same keys for cp932 texts from
// per-character weights taken from Wine in the Japanese locale
// (scripts/collation), then compares them bytewise.
//
// A key is: the primary weights of all characters, then their diacritic
// weights, their case/width weights, the Japanese kana weights (small kana,
// repetition, kana type, width) and the special weights of characters that
// only count when everything else is equal (hyphen, apostrophe, controls),
// each part ended by a separator.
#include <algorithm>
#include <cstdint>

#include "ui_internal.h"

namespace sim::ui {

namespace {

struct CollationRun {
    uint16_t first;
    uint16_t count;
    uint16_t primary;
};

struct CollationChar {
    uint16_t code;
    uint8_t primaryLength;
    const char* primary;
    uint8_t diacritic[2];  // per primary weight (two for the few expansions)
    uint8_t caseWeight[2];
    uint8_t small;  // kana weights; 0 when the character is no kana
    uint8_t type;
    uint8_t width;
    uint16_t vowel;  // primary of the kana's vowel, for a following long-vowel mark
    uint8_t repeat;  // 4 iteration mark, 5 long-vowel mark
    uint8_t special;
    uint8_t specialScript;
};

#include "ui_collate_table.inc"

constexpr uint8_t kSeparator = 0x01;
constexpr uint8_t kDefaultDiacritic = 0x02;
constexpr uint8_t kDefaultCase = 0x02;
constexpr uint8_t kNormalKana = 0xC6;
constexpr uint8_t kPlainKanaRepeat = 0x03;
constexpr uint8_t kHiragana = 0xE4;
constexpr uint8_t kFullWidth = 0xC5;

struct Weights {
    std::string primary;
    int slots = 1;  // primary weights (an expansion such as U+33A1 has two)
    uint8_t diacritic = kDefaultDiacritic;
    uint8_t caseWeight = kDefaultCase;
    uint8_t diacritic2 = kDefaultDiacritic;
    uint8_t caseWeight2 = kDefaultCase;
    uint8_t small = 0, type = 0, width = 0;
    uint16_t vowel = 0;
    uint8_t repeat = 0;
    uint8_t special = 0, specialScript = 0;
};

std::string Primary16(unsigned value) { return std::string{(char)(value >> 8), (char)(value & 0xFF)}; }

Weights Lookup(unsigned code) {
    Weights w;
    auto c = std::lower_bound(std::begin(kCollationChars), std::end(kCollationChars), code,
                              [](const CollationChar& e, unsigned v) { return e.code < v; });
    if (c != std::end(kCollationChars) && c->code == code) {
        w.primary.assign(c->primary, c->primaryLength);
        w.slots = c->primaryLength == 4 ? 2 : 1;
        w.diacritic = c->diacritic[0];
        w.caseWeight = c->caseWeight[0];
        w.diacritic2 = c->diacritic[1];
        w.caseWeight2 = c->caseWeight[1];
        w.small = c->small, w.type = c->type, w.width = c->width;
        w.vowel = c->vowel;
        w.repeat = c->repeat;
        w.special = c->special, w.specialScript = c->specialScript;
        return w;
    }
    auto r = std::upper_bound(std::begin(kCollationRuns), std::end(kCollationRuns), code,
                              [](unsigned v, const CollationRun& e) { return v < e.first; });
    if (r != std::begin(kCollationRuns)) {
        --r;
        if (code < (unsigned)r->first + r->count) {
            w.primary = Primary16(r->primary + (code - r->first));
            return w;
        }
    }
    // User-defined characters (cp932 F040..F9FC, U+E000..U+E757): three
    // bytes counting up from A9 02 02, four to a step of the middle byte.
    unsigned lead = code >> 8, trail = code & 0xFF;
    if (lead >= 0xF0 && lead <= 0xF9 && trail >= 0x40 && trail <= 0xFC && trail != 0x7F) {
        unsigned n = (lead - 0xF0) * 188 + (trail - 0x40) - (trail > 0x7F ? 1 : 0);
        unsigned q = n / 4;
        static const uint8_t kLast[] = {0x02, 0x43, 0x84, 0xC5};
        w.primary = std::string{(char)(0xA9 + q / 254), (char)(0x02 + q % 254), (char)kLast[n % 4]};
        return w;
    }
    // Unmapped codes sort after everything, by code.
    w.primary = std::string{(char)0xFF, (char)0xFE} + Primary16(code);
    return w;
}

void StripTrailing(std::string* s, uint8_t value) {
    while (!s->empty() && (uint8_t)s->back() == value) s->pop_back();
}

std::string SortKey(const std::string& text) {
    std::string primary, diacritic, caseWeights, small, repeat, type, width, special;
    bool anyKana = false;
    unsigned counted = 0;  // characters with primary weights so far
    std::string previous;  // primary of the character before
    bool previousKana = false;
    uint8_t previousSmall = 0, previousType = 0;
    uint16_t previousVowel = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned b = (uint8_t)text[i];
        unsigned code = b;
        if (((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < text.size())
            code = b << 8 | (uint8_t)text[++i];
        Weights w = Lookup(code);
        if (w.repeat) {
            // An iteration or long-vowel mark repeats what comes before it: a
            // long-vowel mark after a kana its vowel, anything else the whole
            // character; at the start it sorts last, with no other weights.
            ++counted;
            if (previous.empty()) {
                primary += "\xFF\xFF";
                continue;
            }
            std::string repeated =
                (w.repeat == 5 && previousKana && previousVowel) ? Primary16(previousVowel) : previous;
            primary += repeated;
            diacritic += (char)w.diacritic;
            caseWeights += (char)kDefaultCase;
            if (previousKana && w.width) {
                small += (char)previousSmall;
                repeat += (char)w.repeat;
                type += (char)(w.type ? w.type : previousType);
                width += (char)w.width;
                anyKana = true;
            }
            previous = repeated;
            continue;
        }
        if (w.primary.empty()) {
            if (w.diacritic != kDefaultDiacritic) {
                // A combining mark adds its weight to the character before.
                if (diacritic.empty())
                    diacritic += (char)w.diacritic;
                else
                    diacritic.back() = (char)((uint8_t)diacritic.back() + w.diacritic);
            } else if (w.special) {
                unsigned position = 0xFFFF - counted;
                special += Primary16(position);
                special += (char)w.special;
                special += (char)w.specialScript;
                // A mark repeating this character repeats its special weight.
                previous = std::string{(char)0x06, (char)w.special};
                previousKana = false;
            }
            continue;
        }
        primary += w.primary;
        diacritic += (char)w.diacritic;
        caseWeights += (char)w.caseWeight;
        if (w.slots == 2) {
            diacritic += (char)w.diacritic2;
            caseWeights += (char)w.caseWeight2;
        }
        counted += (unsigned)w.slots;
        previous = w.primary;
        previousKana = w.type != 0;
        if (previousKana) {
            small += (char)w.small;
            repeat += (char)kPlainKanaRepeat;
            type += (char)w.type;
            width += (char)w.width;
            anyKana = true;
            previousSmall = w.small;
            previousType = w.type;
            previousVowel = w.vowel;
        }
    }
    StripTrailing(&diacritic, kDefaultDiacritic);
    StripTrailing(&caseWeights, kDefaultCase);
    StripTrailing(&small, kNormalKana);
    StripTrailing(&repeat, kPlainKanaRepeat);
    StripTrailing(&type, kHiragana);
    StripTrailing(&width, kFullWidth);
    std::string key = primary;
    key += (char)kSeparator;
    key += diacritic;
    key += (char)kSeparator;
    key += caseWeights;
    key += (char)kSeparator;
    if (anyKana) key += small + "\xFF" + repeat + "\x02" + type + "\xFF" + width + "\xFF";
    key += (char)kSeparator;
    key += special;
    key += '\0';
    return key;
}

}  // namespace

int CompareListText(const std::string& a, const std::string& b) {
    int r = SortKey(a).compare(SortKey(b));
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// For tests that check the keys against the ones Wine prints.
std::string ListSortKey(const std::string& text) { return SortKey(text); }

}  // namespace sim::ui
