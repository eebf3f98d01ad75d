#include "RowDeflater.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#include "HuffmanCode.h"

namespace filterhost {
namespace {

// Bits go out through 8-byte stores of a 64-bit buffer, and bytes are
// compared through 8-byte loads: both take memory as little-endian.
static_assert(std::endian::native == std::endian::little, "the bit packing assumes a little-endian machine");

constexpr uint32_t kNone = 0xFFFFFFFFu;  // a hash that no position has had yet

// Copy lengths 3..258 and distances 1..32768 as deflate codes them: symbol i
// covers kBase[i] .. kBase[i] + 2^kExtra[i] - 1, the extra bits giving the rest.
constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                      31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                        33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                        1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                        6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

struct CopyCodes {
    uint8_t length[259];   // length -> its symbol's index (symbol 257 + index)
    uint8_t nearby[256];   // distance 1..256 -> its code, at distance - 1
    uint8_t faraway[256];  // distance 257..32768 -> its code, at (distance - 1) / 128
    constexpr CopyCodes() : length(), nearby(), faraway() {
        for (int i = 0; i < 29; ++i)
            for (int n = kLengthBase[i]; n < kLengthBase[i] + (1 << kLengthExtra[i]) && n <= 258; ++n)
                length[n] = uint8_t(i);
        length[258] = 28;  // 258 has a symbol of its own, not the last of 227..258
        for (int i = 0; i < 30; ++i)
            for (int d = kDistanceBase[i]; d < kDistanceBase[i] + (1 << kDistanceExtra[i]); ++d) {
                if (d <= 256)
                    nearby[d - 1] = uint8_t(i);
                else
                    faraway[(d - 1) >> 7] = uint8_t(i);
            }
    }
};
constexpr CopyCodes kCopyCodes;
static_assert(kCopyCodes.length[3] == 0 && kCopyCodes.length[11] == 8 && kCopyCodes.length[257] == 27 &&
              kCopyCodes.length[258] == 28);
static_assert(kCopyCodes.faraway[32767 >> 7] == 29 && kCopyCodes.faraway[256 >> 7] == 16);

inline int DistanceCode(uint32_t distance) {
    return distance <= 256 ? kCopyCodes.nearby[distance - 1] : kCopyCodes.faraway[(distance - 1) >> 7];
}

// What a copy's length and distance symbols are guessed to cost (their extra
// bits come on top) before a block has given them codes, and for symbols the
// last block did not use; measured on filtered 16-bit photographs, where most
// copies are 4 to 6 bytes from up to a few rows back.
constexpr uint8_t kLengthSymbolBits = 5, kDistanceSymbolBits = 5;

// The order in which the code lengths' own code lengths are sent.
constexpr uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
constexpr uint8_t kCodeLengthExtra[19] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 7};

// Byte counts of p[0..n) added to counts, four tables at a time so that a
// repeated byte does not wait on its own counter.
void CountBytes(const uint8_t* p, size_t n, uint32_t counts[4][256]) {
    size_t i = 0;
    for (; i + 4 <= n; i += 4) ++counts[0][p[i]], ++counts[1][p[i + 1]], ++counts[2][p[i + 2]], ++counts[3][p[i + 3]];
    for (; i < n; ++i) ++counts[0][p[i]];
}

}  // namespace

// zlib's raw deflate of a block, kept open from block to block.
struct RowDeflater::Rival {
    z_stream zs{};
    std::vector<uint8_t> out;
    ~Rival() { deflateEnd(&zs); }
};

RowDeflater::RowDeflater() = default;
RowDeflater::~RowDeflater() = default;

bool RowDeflater::Open(const RowDeflaterSettings& settings, size_t rowLength, int sampleBytes, bool zlibHeader) {
    settings_ = settings;
    blockBytes_ = std::clamp<size_t>(settings.blockBytes, 16, size_t(1) << 30);
    rowLength_ = std::max<size_t>(rowLength, 1);
    sampleBytes_ = sampleBytes == 2 ? 2 : 1;
    fill_ = history_ = 0;
    position_ = 0;
    std::fill(std::begin(lengthBits_), std::end(lengthBits_), kLengthSymbolBits);
    std::fill(std::begin(distanceBits_), std::end(distanceBits_), kDistanceSymbolBits);
    bits_ = 0, bitCount_ = 0;
    adler_ = 1;
    try {
        window_.assign(kWindow + blockBytes_ + 8, 0);  // 8: loads that reach past the block
        newest_.assign(sampleBytes_ == 2 && settings.matches ? size_t(1) << kHashBits : 0, kNone);
        // A run covers 9 bytes or more, a match 4, and a run past 258 bytes
        // is cut in pieces.
        copies_.clear();
        copies_.reserve(blockBytes_ / 4 + 2);
        // A block is never coded larger than stored (5 bytes a 65535-byte
        // piece beside the data); then the stream's header and checksum, and
        // room for the 8-byte stores.
        out_.assign(blockBytes_ + 5 * (blockBytes_ / 65535 + 1) + 64, 0);
        rival_.reset();
        if (settings.rivalLevel > 0) {
            auto rival = std::make_unique<Rival>();
            if (deflateInit2(&rival->zs, settings.rivalLevel, Z_DEFLATED, -15, settings.rivalMemLevel,
                             settings.rivalStrategy) != Z_OK)
                return false;
            rival_ = std::move(rival);
            // A block, its sync flush's empty stored block, and room to spare.
            rival_->out.assign(deflateBound(&rival_->zs, uLong(blockBytes_)) + 64, 0);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    put_ = out_.data();
    if (!zlibHeader) return true;
    // CMF: deflate with a 32 KB window; FLG: "fast" compression, and check
    // bits that make CMF * 256 + FLG a multiple of 31.
    *put_++ = 0x78;
    *put_++ = 0x5E;
    return true;
}

size_t RowDeflater::Take(const uint8_t* data, size_t n) {
    const size_t take = std::min(n, blockBytes_ - fill_);
    std::memcpy(window_.data() + kWindow + fill_, data, take);
    fill_ += take;
    adler_ = uint32_t(adler32(adler_, data, uInt(take)));
    return take;
}

void RowDeflater::ClearOutput() { put_ = out_.data(); }

void RowDeflater::PutBits(uint32_t value, int n) {
    bits_ |= uint64_t(value) << bitCount_;
    bitCount_ += n;
    std::memcpy(put_, &bits_, 8);
    put_ += bitCount_ >> 3;
    bits_ >>= bitCount_ & ~7;
    bitCount_ &= 7;
}

// A copy into the block's list; one past 258 bytes (a long run) goes in
// pieces, a remainder under 3 being no copy at all, so the piece before it
// is cut short to leave 3.
void RowDeflater::AddCopy(size_t start, uint32_t length, uint32_t distance) {
    while (length > 0) {
        const uint32_t piece = length <= 258 ? length : (length - 258 >= 3 ? 258 : length - 3);
        copies_.push_back({uint32_t(start), piece, distance});
        ++literalCounts_[257 + kCopyCodes.length[piece]];
        ++distanceCounts_[DistanceCode(distance)];
        start += piece, length -= piece;
    }
}

// Runs of 9 or more equal bytes: the byte before the run and 8 or more
// copies of it.
void RowDeflater::FindRuns() {
    const uint8_t* p = window_.data() + kWindow;  // p[-1]: the stream's byte before the block, if any
    const size_t n = fill_;
    uint32_t counts[4][256] = {};
    size_t j = history_ == 0 ? 1 : 0, literalsFrom = 0;
    while (j + 8 <= n) {
        uint64_t here, before;
        std::memcpy(&here, p + j, 8);
        std::memcpy(&before, p + j - 1, 8);
        const uint64_t differ = here ^ before;  // byte k zero: p[j + k] == p[j + k - 1]
        if (differ != 0) {
            // No run starts at or before the last byte that differs from the one before it.
            j += size_t(8 - std::countl_zero(differ) / 8);
            continue;
        }
        const uint8_t value = p[j - 1];
        const uint64_t all = 0x0101010101010101ull * value;
        size_t end = j + 8;
        for (uint64_t word; end + 8 <= n; end += 8) {
            std::memcpy(&word, p + end, 8);
            if (word != all) break;
        }
        while (end < n && p[end] == value) ++end;
        CountBytes(p + literalsFrom, j - literalsFrom, counts);
        AddCopy(j, uint32_t(end - j), 1);
        literalsFrom = j = end;
    }
    CountBytes(p + literalsFrom, n - literalsFrom, counts);
    for (int v = 0; v < 256; ++v) literalCounts_[v] = counts[0][v] + counts[1][v] + counts[2][v] + counts[3][v];
}

// Copies of 4 bytes or more that start where a 16-bit sample does (odd
// offsets in a row: offset 0 is the filter type), found through a table of
// the newest position for each hash of 4 bytes.
void RowDeflater::FindMatches() {
    const uint8_t* w = window_.data();
    const uint8_t* p = w + kWindow;
    const size_t n = fill_;
    uint32_t counts[4][256] = {};
    CountBytes(p, n, counts);
    // Every byte counts as a literal until a copy takes it.
    for (int v = 0; v < 256; ++v) literalCounts_[v] = counts[0][v] + counts[1][v] + counts[2][v] + counts[3][v];
    uint8_t literalBits[256];
    HuffmanLengths(literalCounts_, 256, 15, literalBits);

    uint32_t* newest = newest_.data();
    const size_t limit = kWindow + n, rowLength = rowLength_;
    size_t j = kWindow;
    size_t offset = size_t(position_ % rowLength);  // of j in its row
    // On to the next byte at an odd offset.
    auto toSample = [&]() {
        while (offset >= rowLength) offset -= rowLength;
        if ((offset & 1) != 0) return;
        if (offset + 1 < rowLength)
            ++j, ++offset;
        else
            j += 2, offset = 1;  // past the next row's filter type
    };
    toSample();
    while (j + 8 <= limit) {
        uint32_t key, there;
        std::memcpy(&key, w + j, 4);
        const uint32_t hash = (key * 2654435761u) >> (32 - kHashBits);  // Knuth's multiplicative hash
        const uint32_t candidate = newest[hash];
        newest[hash] = uint32_t(j);
        const uint32_t distance = uint32_t(j) - candidate;  // huge for kNone
        if (distance - 1 < kWindow && (std::memcpy(&there, w + candidate, 4), there == key)) {
            const size_t most = std::min<size_t>(258, limit - j);
            size_t length = 4;
            while (length < most) {
                uint64_t a, b;
                std::memcpy(&a, w + candidate + length, 8);
                std::memcpy(&b, w + j + length, 8);
                if (a != b) {
                    length += size_t(std::countr_zero(a ^ b) / 8);
                    break;
                }
                length += 8;
            }
            length = std::min(length, most);
            uint32_t literalCost = 0;
            for (size_t k = 0; k < length; ++k) literalCost += literalBits[w[j + k]];
            const int l = kCopyCodes.length[length], d = DistanceCode(distance);
            const uint32_t copyCost = lengthBits_[l] + kLengthExtra[l] + distanceBits_[d] + kDistanceExtra[d];
            if (literalCost > copyCost) {
                for (size_t k = 0; k < length; ++k) --literalCounts_[w[j + k]];
                AddCopy(j - kWindow, uint32_t(length), distance);
                j += length, offset += length;
                toSample();
                continue;
            }
        }
        // The next sample: two bytes on, or past the next row's filter type.
        if (offset + 2 < rowLength)
            j += 2, offset += 2;
        else
            j += 3, offset = 1;
    }
}

void RowDeflater::PutStoredBlocks(bool final) {
    const uint8_t* p = window_.data() + kWindow;
    size_t at = 0;
    do {
        const size_t length = std::min<size_t>(fill_ - at, 65535);
        const bool last = at + length == fill_;
        PutBits(final && last ? 1 : 0, 3);  // BFINAL, BTYPE 00
        if (bitCount_ > 0) PutBits(0, 8 - bitCount_);
        PutBits(uint32_t(length), 16);
        PutBits(uint32_t(~length & 0xFFFF), 16);
        std::memcpy(put_, p + at, length);
        put_ += length;
        at += length;
    } while (at < fill_);
}

uint64_t RowDeflater::PlanHuffmanBlock() {
    Plan& b = plan_;
    HuffmanLengths(literalCounts_, 286, 15, b.literalLengths);
    HuffmanLengths(distanceCounts_, 30, 15, b.distanceLengths);
    b.literals = 286, b.distances = 30;
    while (b.literals > 257 && b.literalLengths[b.literals - 1] == 0) --b.literals;
    while (b.distances > 1 && b.distanceLengths[b.distances - 1] == 0) --b.distances;

    // The code lengths of both codes as one sequence, shortened by deflate's
    // repeat symbols: 16 repeats the last length 3..6 times, 17 and 18 give
    // 3..10 and 11..138 zeros.
    uint8_t sequence[286 + 30];
    std::copy(b.literalLengths, b.literalLengths + b.literals, sequence);
    std::copy(b.distanceLengths, b.distanceLengths + b.distances, sequence + b.literals);
    const int total = b.literals + b.distances;
    b.sent = 0;
    uint32_t clCounts[19] = {};
    auto send = [&](int symbol, int extra) {
        b.symbols[b.sent] = uint8_t(symbol), b.extras[b.sent++] = uint8_t(extra);
        ++clCounts[symbol];
    };
    for (int i = 0; i < total;) {
        const uint8_t v = sequence[i];
        int run = 1;
        while (i + run < total && sequence[i + run] == v) ++run;
        i += run;
        if (v == 0) {
            for (; run >= 11; run -= std::min(run, 138)) send(18, std::min(run, 138) - 11);
            if (run >= 3) send(17, run - 3), run = 0;
            for (; run > 0; --run) send(0, 0);
        } else {
            send(v, 0), --run;
            for (; run >= 3; run -= std::min(run, 6)) send(16, std::min(run, 6) - 3);
            for (; run > 0; --run) send(v, 0);
        }
    }
    HuffmanLengths(clCounts, 19, 7, b.clLengths);
    b.clSent = 19;
    while (b.clSent > 4 && b.clLengths[kCodeLengthOrder[b.clSent - 1]] == 0) --b.clSent;
    HuffmanCodes(b.literalLengths, 286, b.literalCodes);
    HuffmanCodes(b.distanceLengths, 30, b.distanceCodes);
    HuffmanCodes(b.clLengths, 19, b.clCodes);

    uint64_t size = 3 + 5 + 5 + 4 + 3 * uint64_t(b.clSent);
    for (int s = 0; s < 19; ++s) size += uint64_t(clCounts[s]) * (b.clLengths[s] + kCodeLengthExtra[s]);
    for (int s = 0; s < 286; ++s)
        size += uint64_t(literalCounts_[s]) * (b.literalLengths[s] + (s > 256 ? kLengthExtra[s - 257] : 0));
    for (int s = 0; s < 30; ++s) size += uint64_t(distanceCounts_[s]) * (b.distanceLengths[s] + kDistanceExtra[s]);
    return size;
}

void RowDeflater::PutHuffmanBlock(bool final) {
    const Plan& b = plan_;
    PutBits(final ? 1 : 0, 1);
    PutBits(2, 2);  // dynamic Huffman codes
    PutBits(uint32_t(b.literals - 257), 5);
    PutBits(uint32_t(b.distances - 1), 5);
    PutBits(uint32_t(b.clSent - 4), 4);
    for (int i = 0; i < b.clSent; ++i) PutBits(b.clLengths[kCodeLengthOrder[i]], 3);
    for (int i = 0; i < b.sent; ++i) {
        PutBits(b.clCodes[b.symbols[i]], b.clLengths[b.symbols[i]]);
        if (kCodeLengthExtra[b.symbols[i]] != 0) PutBits(b.extras[i], kCodeLengthExtra[b.symbols[i]]);
    }

    // A literal's code and length in one word. Three codes of at most 15 bits
    // fit beside the 7 bits left over before the buffer is stored.
    uint32_t table[256];
    for (int v = 0; v < 256; ++v) table[v] = uint32_t(b.literalCodes[v]) | uint32_t(b.literalLengths[v]) << 16;
    const uint8_t* p = window_.data() + kWindow;
    auto putLiterals = [&](size_t from, size_t to) {
        uint64_t bits = bits_;
        int count = bitCount_;
        uint8_t* put = put_;
        size_t i = from;
        for (; i + 3 <= to; i += 3) {
            const uint32_t x = table[p[i]], y = table[p[i + 1]], z = table[p[i + 2]];
            bits |= uint64_t(x & 0xFFFF) << count;
            count += int(x >> 16);
            bits |= uint64_t(y & 0xFFFF) << count;
            count += int(y >> 16);
            bits |= uint64_t(z & 0xFFFF) << count;
            count += int(z >> 16);
            std::memcpy(put, &bits, 8);
            put += count >> 3;
            bits >>= count & ~7;
            count &= 7;
        }
        bits_ = bits, bitCount_ = count, put_ = put;
        for (; i < to; ++i) PutBits(table[p[i]] & 0xFFFF, int(table[p[i]] >> 16));
    };
    size_t from = 0;
    for (const Copy& copy : copies_) {
        putLiterals(from, copy.start);
        const int l = kCopyCodes.length[copy.length], d = DistanceCode(copy.distance);
        PutBits(b.literalCodes[257 + l], b.literalLengths[257 + l]);
        if (kLengthExtra[l] != 0) PutBits(copy.length - kLengthBase[l], kLengthExtra[l]);
        PutBits(b.distanceCodes[d], b.distanceLengths[d]);
        if (kDistanceExtra[d] != 0) PutBits(copy.distance - kDistanceBase[d], kDistanceExtra[d]);
        from = copy.start + copy.length;
    }
    putLiterals(from, fill_);
    PutBits(b.literalCodes[256], b.literalLengths[256]);
}

// zlib's coding of the block into rival_->out: raw deflate with the stream's
// last 32 KB as its dictionary, ended by a sync flush (an empty stored block,
// so it ends on a byte) or, for the final block, by the end of the stream.
bool RowDeflater::CodeRival(bool final, size_t* bytes) {
    z_stream& zs = rival_->zs;
    if (deflateReset(&zs) != Z_OK) return false;
    if (history_ > 0 && deflateSetDictionary(&zs, window_.data() + kWindow - history_, uInt(history_)) != Z_OK)
        return false;
    zs.next_in = window_.data() + kWindow;
    zs.avail_in = uInt(fill_);
    zs.next_out = rival_->out.data();
    zs.avail_out = uInt(rival_->out.size());
    const int status = deflate(&zs, final ? Z_FINISH : Z_SYNC_FLUSH);
    *bytes = rival_->out.size() - zs.avail_out;
    return zs.avail_in == 0 && (final ? status == Z_STREAM_END : status == Z_OK && zs.avail_out > 0);
}

void RowDeflater::PadToByte() {
    if (bitCount_ == 0) return;
    PutBits(0, 3);  // BFINAL 0, BTYPE 00
    if (bitCount_ > 0) PutBits(0, 8 - bitCount_);
    PutBits(0, 16);       // LEN 0
    PutBits(0xFFFF, 16);  // NLEN
}

void RowDeflater::EndPart() {
    if (fill_ > 0) CodeBlock(false);
    PadToByte();
}

std::vector<uint8_t> RowDeflater::StreamEnd(uint32_t adler) {
    // A final fixed-code block holding only its end code: BFINAL 1, BTYPE 01
    // and seven 0 bits, then the checksum, most significant byte first.
    return {0x03, 0x00, uint8_t(adler >> 24), uint8_t(adler >> 16), uint8_t(adler >> 8), uint8_t(adler)};
}

void RowDeflater::CodeBlock(bool final) {
    copies_.clear();
    std::fill(literalCounts_ + 256, literalCounts_ + 286, 0);
    std::fill(distanceCounts_, distanceCounts_ + 30, 0);
    if (sampleBytes_ == 2 && settings_.matches)
        FindMatches();
    else
        FindRuns();
    literalCounts_[256] = 1;  // the end of the block
    const uint64_t huffmanSize = PlanHuffmanBlock();
    // The next block prices its copies with this one's codes.
    for (int i = 0; i < 29; ++i)
        lengthBits_[i] = plan_.literalLengths[257 + i] != 0 ? plan_.literalLengths[257 + i] : kLengthSymbolBits;
    for (int i = 0; i < 30; ++i)
        distanceBits_[i] = plan_.distanceLengths[i] != 0 ? plan_.distanceLengths[i] : kDistanceSymbolBits;
    // The stored form's size with the most padding it can need.
    const uint64_t storedSize = 8 * uint64_t(fill_) + (3 + 7 + 32) * (uint64_t(fill_) / 65535 + 1);
    size_t rivalBytes = 0;
    // zlib's bytes start on a byte: after a block of ours that does not end
    // on one, an empty stored block pads the stream out to one.
    const uint64_t toByte = bitCount_ == 0 ? 0 : 3 + 7 + 32;
    if (rival_ && CodeRival(final, &rivalBytes) &&
        8 * uint64_t(rivalBytes) + toByte < std::min(huffmanSize, storedSize)) {
        PadToByte();
        std::memcpy(put_, rival_->out.data(), rivalBytes);
        put_ += rivalBytes;
    } else if (huffmanSize < storedSize) {
        PutHuffmanBlock(final);
    } else {
        PutStoredBlocks(final);
    }

    // The last 32 KB of the stream move in front of the next block, and the
    // positions in the hash table with them.
    const size_t keep = std::min(kWindow, history_ + fill_);
    std::memmove(window_.data() + kWindow - keep, window_.data() + kWindow + fill_ - keep, keep);
    for (uint32_t& at : newest_) at = at != kNone && at >= fill_ ? uint32_t(at - fill_) : kNone;
    history_ = keep;
    position_ += fill_;
    fill_ = 0;
    if (final) {
        if (bitCount_ > 0) PutBits(0, 8 - bitCount_);
        for (int shift = 24; shift >= 0; shift -= 8) *put_++ = uint8_t(adler_ >> shift);
    }
}

}  // namespace filterhost
