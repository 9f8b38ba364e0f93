// -lh5- encoder: hash-chain LZSS with one step of lazy matching over an
// 8 KiB dictionary, then static Huffman blocks in the layout every LHA
// decoder reads (block size, code-length code, char/length code, distance
// code, symbols). Memory is the fixed state block, whatever the input size.
#include <cstring>
#include <new>

#include "lha/codec.h"

namespace {

constexpr int kDictionaryBits = 13;
constexpr uint32_t kDictionarySize = 1u << kDictionaryBits;
constexpr uint32_t kMinMatch = 3;
constexpr uint32_t kMaxMatch = 256;
constexpr int kCharCodes = 510;
constexpr int kTempCodes = 19;
constexpr int kDistanceCodes = kDictionaryBits + 1;
constexpr int kDistanceCountBits = 4;
constexpr int kMaxCodeLength = 16;

constexpr uint32_t kBufferSize = 1u << 17;
constexpr int kHashBits = 15;
constexpr uint32_t kHashSize = 1u << kHashBits;
constexpr int kMaxChain = 192;
constexpr uint32_t kNoPosition = 0xFFFFFFFFu;
constexpr uint32_t kBlockSymbols = 6144;  // small blocks follow mixed data better

struct BitWriter {
    LhaSink* sink;
    uint64_t bits;  // right-aligned pending bits
    int count;
    uint32_t used;
    uint64_t total;
    uint64_t limit;
    LhaStatus status;
    uint8_t buffer[16384];

    void Start(LhaSink* out, uint64_t sizeLimit) {
        sink = out;
        bits = 0;
        count = 0;
        used = 0;
        total = 0;
        limit = sizeLimit;
        status = kLhaOk;
    }
    void Put(int n, uint32_t value) {
        if (n == 0) return;
        bits = (bits << n) | (value & ((1u << n) - 1));
        count += n;
        while (count >= 8) {
            count -= 8;
            buffer[used++] = static_cast<uint8_t>(bits >> count);
            if (used == sizeof buffer) Flush();
        }
    }
    void Flush() {
        if (used == 0 || status != kLhaOk) {
            used = 0;
            return;
        }
        total += used;
        if (total > limit) {
            status = kLhaTooLarge;
        } else {
            status = sink->write(sink->context, buffer, used);
        }
        used = 0;
    }
    LhaStatus Finish() {
        if (count > 0) Put(8 - count, 0);
        Flush();
        return status;
    }
};

struct HeapItem {
    uint32_t weight;
    int node;
};

struct EncoderState {
    uint8_t window[kBufferSize];
    uint32_t head[kHashSize];
    uint32_t previous[kBufferSize];
    uint16_t symbols[kBlockSymbols];
    uint16_t distances[kBlockSymbols];
    uint32_t blockCount;
    uint32_t charFrequency[kCharCodes];
    uint32_t distanceFrequency[kDistanceCodes];
    uint8_t charLength[kCharCodes];
    uint16_t charCode[kCharCodes];
    uint8_t distanceLength[kDistanceCodes];
    uint16_t distanceCode[kDistanceCodes];
    uint32_t tempFrequency[kTempCodes];
    uint8_t tempLength[kTempCodes];
    uint16_t tempCode[kTempCodes];
    // Huffman construction scratch.
    uint32_t nodeWeight[2 * kCharCodes];
    int nodeParent[2 * kCharCodes];
    HeapItem heap[2 * kCharCodes];
    BitWriter writer;
};

int BitLength(uint32_t v) {
    int n = 0;
    while (v) {
        ++n;
        v >>= 1;
    }
    return n;
}

// ---- Huffman code lengths and canonical codes ------------------------------

void HeapPush(HeapItem* heap, int& size, HeapItem item) {
    int i = size++;
    while (i > 0) {
        int up = (i - 1) / 2;
        if (heap[up].weight < item.weight || (heap[up].weight == item.weight && heap[up].node < item.node)) break;
        heap[i] = heap[up];
        i = up;
    }
    heap[i] = item;
}

HeapItem HeapPop(HeapItem* heap, int& size) {
    HeapItem top = heap[0];
    HeapItem last = heap[--size];
    int i = 0;
    for (;;) {
        int c = 2 * i + 1;
        if (c >= size) break;
        if (c + 1 < size &&
            (heap[c + 1].weight < heap[c].weight || (heap[c + 1].weight == heap[c].weight && heap[c + 1].node < heap[c].node)))
            ++c;
        if (last.weight < heap[c].weight || (last.weight == heap[c].weight && last.node < heap[c].node)) break;
        heap[i] = heap[c];
        i = c;
    }
    heap[i] = last;
    return top;
}

// Zeroes `lengths` and counts the symbols `frequency` uses; *single
// becomes the last of them (0 when none).
int CountUsedSymbols(const uint32_t* frequency, int n, uint8_t* lengths, int* single) {
    int used = 0;
    *single = 0;
    for (int i = 0; i < n; ++i) {
        lengths[i] = 0;
        if (frequency[i]) {
            ++used;
            *single = i;
        }
    }
    return used;
}

// Builds the Huffman tree over the nonzero weights (nodes from `n` on are
// inner ones, each parent in s.nodeParent) and returns its root.
int BuildTree(EncoderState& s, const uint32_t* weight, int n) {
    int size = 0;
    for (int i = 0; i < n; ++i)
        if (weight[i]) HeapPush(s.heap, size, HeapItem{weight[i], i});
    int next = n;
    while (size > 1) {
        HeapItem a = HeapPop(s.heap, size);
        HeapItem b = HeapPop(s.heap, size);
        s.nodeParent[a.node] = next;
        s.nodeParent[b.node] = next;
        HeapPush(s.heap, size, HeapItem{a.weight + b.weight, next});
        ++next;
    }
    return next - 1;
}

// The depth of every used symbol in the tree over `weight`; returns the
// deepest.
int TreeDepths(EncoderState& s, const uint32_t* weight, int n, int* depth) {
    const int root = BuildTree(s, weight, n);
    depth[root] = 0;
    for (int k = root - 1; k >= n; --k) depth[k] = depth[s.nodeParent[k]] + 1;
    int deepest = 0;
    for (int i = 0; i < n; ++i) {
        if (!weight[i]) continue;
        depth[i] = depth[s.nodeParent[i]] + 1;
        if (depth[i] > deepest) deepest = depth[i];
    }
    return deepest;
}

// Lengths of an optimal code for `frequency`, at most 16 bits: when the
// tree gets deeper, counts are halved (keeping used symbols) and it is built
// again. Returns the number of used symbols; with fewer than two the caller
// writes the one-symbol form and *single receives the symbol (0 when none).
int MakeLengths(EncoderState& s, const uint32_t* frequency, int n, uint8_t* lengths, int* single) {
    const int used = CountUsedSymbols(frequency, n, lengths, single);
    if (used < 2) return used;
    uint32_t* weight = s.nodeWeight;
    for (int i = 0; i < n; ++i) weight[i] = frequency[i];
    int depth[2 * kCharCodes];
    while (TreeDepths(s, weight, n, depth) > kMaxCodeLength) {
        for (int i = 0; i < n; ++i)
            if (weight[i]) weight[i] = (weight[i] + 1) / 2;
    }
    for (int i = 0; i < n; ++i) lengths[i] = weight[i] ? static_cast<uint8_t>(depth[i]) : 0;
    return used;
}

void MakeCodes(const uint8_t* lengths, int n, uint16_t* codes) {
    uint32_t count[kMaxCodeLength + 1] = {};
    for (int i = 0; i < n; ++i) ++count[lengths[i]];
    count[0] = 0;
    uint32_t next[kMaxCodeLength + 2];
    uint32_t code = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
        next[len] = code;
        code = (code + count[len]) << 1;
    }
    for (int i = 0; i < n; ++i)
        if (lengths[i]) codes[i] = static_cast<uint16_t>(next[lengths[i]]++);
}

// ---- block output -----------------------------------------------------------

int TrimmedCount(const uint8_t* lengths, int n) {
    while (n > 0 && lengths[n - 1] == 0) --n;
    return n;
}

// Calls emit(symbol, extraBits, extraValue) for the char-table lengths coded
// with the temp code: used once for counting and once for writing.
template <typename Emit>
void WalkCharLengths(const EncoderState& s, Emit emit) {
    int n = TrimmedCount(s.charLength, kCharCodes);
    int i = 0;
    while (i < n) {
        int k = s.charLength[i++];
        if (k != 0) {
            emit(k + 2, 0, 0u);
            continue;
        }
        int zeros = 1;
        while (i < n && s.charLength[i] == 0) {
            ++i;
            ++zeros;
        }
        if (zeros <= 2) {
            for (int z = 0; z < zeros; ++z) emit(0, 0, 0u);
        } else if (zeros <= 18) {
            emit(1, 4, static_cast<uint32_t>(zeros - 3));
        } else if (zeros == 19) {
            emit(0, 0, 0u);
            emit(1, 4, 15u);
        } else {
            emit(2, 9, static_cast<uint32_t>(zeros - 20));
        }
    }
}

void WriteShortLengths(BitWriter& w, const uint8_t* lengths, int maxCodes, int countBits, int specialIndex) {
    int n = TrimmedCount(lengths, maxCodes);
    w.Put(countBits, static_cast<uint32_t>(n));
    int i = 0;
    while (i < n) {
        int k = lengths[i++];
        if (k <= 6) {
            w.Put(3, static_cast<uint32_t>(k));
        } else {
            w.Put(k - 3, (1u << (k - 3)) - 2);
        }
        if (i == specialIndex) {
            while (i < 6 && lengths[i] == 0) ++i;
            w.Put(2, static_cast<uint32_t>(i - 3));
        }
    }
}

// The char table's lengths in the temp code, which is written first (or
// its one symbol, which then takes no bits).
void WriteCodedCharLengths(EncoderState& s) {
    BitWriter& w = s.writer;
    for (auto& f : s.tempFrequency) f = 0;
    WalkCharLengths(s, [&](int symbol, int, uint32_t) { ++s.tempFrequency[symbol]; });
    int tempSingle = 0;
    if (MakeLengths(s, s.tempFrequency, kTempCodes, s.tempLength, &tempSingle) >= 2) {
        MakeCodes(s.tempLength, kTempCodes, s.tempCode);
        WriteShortLengths(w, s.tempLength, kTempCodes, 5, 3);
    } else {
        w.Put(5, 0);
        w.Put(5, static_cast<uint32_t>(tempSingle));
        s.tempLength[tempSingle] = 0;  // the one code takes no bits
    }
    w.Put(9, static_cast<uint32_t>(TrimmedCount(s.charLength, kCharCodes)));
    WalkCharLengths(s, [&](int symbol, int extraBits, uint32_t extra) {
        w.Put(s.tempLength[symbol], s.tempCode[symbol]);
        w.Put(extraBits, extra);
    });
}

void WriteCharTable(EncoderState& s) {
    BitWriter& w = s.writer;
    int single = 0;
    if (MakeLengths(s, s.charFrequency, kCharCodes, s.charLength, &single) >= 2) {
        MakeCodes(s.charLength, kCharCodes, s.charCode);
        WriteCodedCharLengths(s);
        return;
    }
    w.Put(5, 0);
    w.Put(5, 0);
    w.Put(9, 0);
    w.Put(9, static_cast<uint32_t>(single));
    for (auto& len : s.charLength) len = 0;
}

void WriteDistanceTable(EncoderState& s) {
    BitWriter& w = s.writer;
    int single = 0;
    if (MakeLengths(s, s.distanceFrequency, kDistanceCodes, s.distanceLength, &single) >= 2) {
        MakeCodes(s.distanceLength, kDistanceCodes, s.distanceCode);
        WriteShortLengths(w, s.distanceLength, kDistanceCodes, kDistanceCountBits, -1);
        return;
    }
    w.Put(kDistanceCountBits, 0);
    w.Put(kDistanceCountBits, static_cast<uint32_t>(single));
    for (auto& len : s.distanceLength) len = 0;
}

void WriteSymbols(EncoderState& s) {
    BitWriter& w = s.writer;
    for (uint32_t i = 0; i < s.blockCount; ++i) {
        uint32_t c = s.symbols[i];
        w.Put(s.charLength[c], s.charCode[c]);
        if (c < 256) continue;
        uint32_t v = s.distances[i];
        int p = BitLength(v);
        w.Put(s.distanceLength[p], s.distanceCode[p]);
        if (p > 1) w.Put(p - 1, v);
    }
}

// One block: its symbol count, the two code tables, the symbols; then the
// counts start again.
void WriteBlock(EncoderState& s) {
    s.writer.Put(16, s.blockCount);
    WriteCharTable(s);
    WriteDistanceTable(s);
    WriteSymbols(s);
    s.blockCount = 0;
    for (auto& f : s.charFrequency) f = 0;
    for (auto& f : s.distanceFrequency) f = 0;
}

void AddLiteral(EncoderState& s, uint8_t byte) {
    s.symbols[s.blockCount] = byte;
    ++s.charFrequency[byte];
    if (++s.blockCount == kBlockSymbols) WriteBlock(s);
}

void AddMatch(EncoderState& s, uint32_t length, uint32_t distance) {
    uint32_t c = 256 + length - kMinMatch;
    uint32_t v = distance - 1;
    s.symbols[s.blockCount] = static_cast<uint16_t>(c);
    s.distances[s.blockCount] = static_cast<uint16_t>(v);
    ++s.charFrequency[c];
    ++s.distanceFrequency[BitLength(v)];
    if (++s.blockCount == kBlockSymbols) WriteBlock(s);
}

// ---- match finding ----------------------------------------------------------

inline uint32_t Hash(const uint8_t* p) {
    return ((static_cast<uint32_t>(p[0]) << 10) ^ (static_cast<uint32_t>(p[1]) << 5) ^ p[2]) & (kHashSize - 1);
}

void Insert(EncoderState& s, uint32_t pos) {
    uint32_t h = Hash(s.window + pos);
    s.previous[pos] = s.head[h];
    s.head[h] = pos;
}

// Longest match at `pos` of at most `available` bytes, within the dictionary.
uint32_t FindMatch(const EncoderState& s, uint32_t pos, uint32_t available, uint32_t* distance) {
    uint32_t best = 0;
    if (available < kMinMatch) return 0;
    uint32_t limit = available < kMaxMatch ? available : kMaxMatch;
    const uint8_t* here = s.window + pos;
    uint32_t candidate = s.previous[pos];
    int chain = kMaxChain;
    while (candidate != kNoPosition && chain-- > 0) {
        uint32_t d = pos - candidate;
        if (d > kDictionarySize) break;
        const uint8_t* there = s.window + candidate;
        if (there[best] == here[best] && there[0] == here[0] && there[1] == here[1]) {
            uint32_t len = 2;
            while (len < limit && there[len] == here[len]) ++len;
            if (len > best) {
                best = len;
                *distance = d;
                if (len == limit) break;
            }
        }
        candidate = s.previous[candidate];
    }
    // A three-byte match more than 512 bytes back costs about as much as
    // three literals and spoils the distance code for the others.
    if (best == kMinMatch && *distance > 512) return 0;
    return best >= kMinMatch ? best : 0;
}

// Where the encoder stands in its buffer.
struct Scan {
    uint32_t pos = 0;
    uint32_t fill = 0;
    uint32_t inserted = 0;  // positions below this are in the hash chains
    bool atEnd = false;
    // The match found at `pos` by the previous step's look-ahead, if any.
    bool pending = false;
    uint32_t pendingLength = 0;
    uint32_t pendingDistance = 0;
};

// Drops the oldest part of the buffer, keeping one dictionary behind `pos`.
void Slide(EncoderState& s, Scan& c) {
    uint32_t shift = c.pos - kDictionarySize;
    std::memmove(s.window, s.window + shift, c.fill - shift);
    c.fill -= shift;
    c.pos -= shift;
    c.inserted -= shift;
    for (auto& h : s.head) h = (h == kNoPosition || h < shift) ? kNoPosition : h - shift;
    for (uint32_t i = 0; i < c.fill; ++i) {
        uint32_t p = s.previous[i + shift];
        s.previous[i] = (p == kNoPosition || p < shift) ? kNoPosition : p - shift;
    }
}

// Keeps a full match of look-ahead in the buffer while input lasts.
LhaStatus FillLookAhead(EncoderState& s, Scan& c, LhaSource* in, uint64_t* inputSize) {
    while (!c.atEnd && c.fill - c.pos < kMaxMatch + 1) {
        if (c.fill == kBufferSize) Slide(s, c);
        uint32_t got = 0;
        LhaStatus status = in->read(in->context, s.window + c.fill, kBufferSize - c.fill, &got);
        if (status != kLhaOk) return status;
        if (got == 0) c.atEnd = true;
        c.fill += got;
        *inputSize += got;
    }
    return kLhaOk;
}

// Puts the positions below `end` that have three bytes into the chains.
void InsertBelow(EncoderState& s, Scan& c, uint32_t end) {
    while (c.inserted < end && c.inserted + kMinMatch <= c.fill) Insert(s, c.inserted++);
}

// The match at `pos`: the one the previous step found there, or a new one.
uint32_t MatchHere(EncoderState& s, Scan& c, uint32_t* distance) {
    if (!c.pending) return FindMatch(s, c.pos, c.fill - c.pos, distance);
    c.pending = false;
    *distance = c.pendingDistance;
    return c.pendingLength;
}

// One step of lazy matching: when the next byte starts a longer match,
// that match is kept for the next step and true returned.
bool NextMatchIsLonger(EncoderState& s, Scan& c, uint32_t length) {
    if (c.inserted <= c.pos + 1 && c.pos + 1 + kMinMatch <= c.fill) Insert(s, c.inserted++);
    uint32_t nextDistance = 0;
    uint32_t nextLength = FindMatch(s, c.pos + 1, c.fill - c.pos - 1, &nextDistance);
    if (nextLength <= length) return false;
    c.pending = true;
    c.pendingLength = nextLength;
    c.pendingDistance = nextDistance;
    return true;
}

// Codes what starts at `pos`: a match, or a literal where there is none or
// a longer one starts at the next byte.
void EncodeStep(EncoderState& s, Scan& c) {
    const uint32_t available = c.fill - c.pos;
    InsertBelow(s, c, c.pos + 1);
    uint32_t distance = 0;
    const uint32_t length = MatchHere(s, c, &distance);
    const bool lazy = length >= kMinMatch && length < kMaxMatch && available > length;
    if (length < kMinMatch || (lazy && NextMatchIsLonger(s, c, length))) {
        AddLiteral(s, s.window[c.pos]);
        ++c.pos;
        return;
    }
    AddMatch(s, length, distance);
    InsertBelow(s, c, c.pos + length);
    c.pos += length;
}

}  // namespace

LhaStatus EncodeLh5(void* state, LhaSource* in, LhaSink* out, uint64_t sizeLimit, uint64_t* inputSize,
                    uint64_t* outputSize) {
    static_assert(sizeof(EncoderState) <= kLh5EncoderStateSize, "state block too small");
    EncoderState& s = *new (state) EncoderState;
    for (auto& h : s.head) h = kNoPosition;
    for (auto& f : s.charFrequency) f = 0;
    for (auto& f : s.distanceFrequency) f = 0;
    s.blockCount = 0;
    s.writer.Start(out, sizeLimit);
    *inputSize = 0;
    *outputSize = 0;
    Scan c;
    for (;;) {
        LhaStatus status = FillLookAhead(s, c, in, inputSize);
        if (status != kLhaOk) return status;
        if (c.pos >= c.fill || s.writer.status != kLhaOk) break;
        EncodeStep(s, c);
    }
    if (s.blockCount > 0 && s.writer.status == kLhaOk) WriteBlock(s);
    LhaStatus status = s.writer.Finish();
    *outputSize = s.writer.total;
    return status;
}
