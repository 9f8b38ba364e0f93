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
    uint8_t diacritic;
    uint8_t caseWeight;
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
    uint8_t diacritic = kDefaultDiacritic;
    uint8_t caseWeight = kDefaultCase;
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
        w.diacritic = c->diacritic;
        w.caseWeight = c->caseWeight;
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
    // User-defined and unmapped characters sort after everything, by code.
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
        ++counted;
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
