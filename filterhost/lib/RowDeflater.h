// A zlib stream of filtered PNG rows, made fast by knowing what image rows
// hold. Bytes are coded as literals with Huffman codes fitted to each block,
// and as copies of earlier bytes (deflate's matches) found in two ways:
//
//   runs     at 8 bits a sample: runs of one byte value (9 or more) become
//            copies from 1 byte back. After a good filter the rows of a
//            photograph hold residuals that longer-range repeats seldom
//            shorten, so no search is made for them; flat areas still shrink
//            to a few bits a row.
//   matches  at 16 bits: a residual sample is a high byte that is nearly
//            always 0 or 255 beside a low byte, a pair that byte-wise
//            Huffman codes cannot see as one. Copies of 4 bytes or more from
//            up to 32 KB back catch recurring pairs; they are looked for
//            where a sample begins (one hash probe each, the newest position
//            of each hash kept) and kept only when they cost fewer bits than
//            the literals they replace: literals priced by the block's own
//            byte counts, copies by the codes the block before gave them.
//
// Blocks are large (blockBytes of input), so the code tables sent with each
// cost little; a block whose coded size would pass its stored size is
// stored. A stream may also be coded in parts side by side (each part a
// row range, its copies reaching no further back than its own start): the
// first part opened with the zlib header and the others without, every part
// ended by EndPart on a byte, the parts' output put one after another, and
// StreamEnd closing the stream with the checksum of all of them. For the
// smallest files each block can also be handed to zlib (a
// raw deflate of the block, with the stream's last 32 KB as its dictionary)
// and the shorter of the two codings kept: zlib's long searches find what
// ours cannot in drawn and synthetic images, at many times the time. The
// stream is standard zlib: any inflate reads it back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace filterhost {

struct RowDeflaterSettings {
    size_t blockBytes = size_t(1) << 18;  // input bytes a block, at least 16
    bool matches = true;                  // at 16 bits: copies found by hashing; false: runs only
    int rivalLevel = 0;                   // 1..9: each block also coded by zlib at this level; 0: never
    int rivalStrategy = 0;                // zlib's strategy for it (Z_DEFAULT_STRATEGY 0, Z_FILTERED 1, ...)
    int rivalMemLevel = 8;                // and its memory level, 1..9
};

class RowDeflater {
public:
    RowDeflater();
    ~RowDeflater();
    RowDeflater(const RowDeflater&) = delete;
    RowDeflater& operator=(const RowDeflater&) = delete;

    // Scratch for the blocks, allocated here only; false when memory is
    // short. rowLength: the bytes of a filtered row with its filter type byte;
    // sampleBytes: 1 or 2, the image's bytes a sample. The zlib header is the
    // first output unless zlibHeader is false (a part after the first).
    bool Open(const RowDeflaterSettings& settings, size_t rowLength, int sampleBytes, bool zlibHeader = true);
    // Copies up to n bytes into the block; returns how many it took, fewer
    // than n when the block fills. Then full() holds until CodeBlock.
    size_t Take(const uint8_t* data, size_t n);
    bool full() const { return fill_ == blockBytes_; }
    // Codes the bytes taken since the last block; the final block is followed
    // by the stream's checksum. Output collects until ClearOutput.
    void CodeBlock(bool final);
    const uint8_t* output() const { return out_.data(); }
    size_t outputSize() const { return size_t(put_ - out_.data()); }
    void ClearOutput();

    // Ends a part of a stream: the bytes taken since the last block coded as
    // a block that is not the final one, then the stream padded to a byte
    // (an empty stored block when it is not on one already).
    void EndPart();
    // The Adler-32 of every byte taken (zlib's adler32_combine joins parts').
    uint32_t adler() const { return adler_; }
    // The bytes that end a stream whose parts all ended with EndPart: an
    // empty final block and the checksum adler.
    static std::vector<uint8_t> StreamEnd(uint32_t adler);

private:
    struct Copy {
        uint32_t start, length, distance;  // start: offset in the block; length 3..258
    };
    // A dynamic Huffman block before it is written: its codes, and its code
    // lengths as sent (deflate's code length symbols with their extra bits).
    struct Plan {
        uint8_t literalLengths[286], distanceLengths[30], clLengths[19];
        uint16_t literalCodes[286], distanceCodes[30], clCodes[19];
        int literals, distances, clSent, sent;
        uint8_t symbols[286 + 30], extras[286 + 30];
    };
    struct Rival;
    static constexpr size_t kWindow = 32768;  // deflate's farthest copy
    static constexpr int kHashBits = 12;

    void FindRuns();
    void FindMatches();
    void AddCopy(size_t start, uint32_t length, uint32_t distance);
    uint64_t PlanHuffmanBlock();  // the block's size in bits
    bool CodeRival(bool final, size_t* bytes);
    void PutBits(uint32_t value, int n);
    void PutHuffmanBlock(bool final);
    void PutStoredBlocks(bool final);
    void PadToByte();  // by an empty stored block, when not on a byte

    RowDeflaterSettings settings_;
    size_t blockBytes_ = 0, fill_ = 0;
    size_t history_ = 0;     // bytes of the stream before the block kept in front of it, up to kWindow
    uint64_t position_ = 0;  // bytes of the stream before the block
    size_t rowLength_ = 1;
    int sampleBytes_ = 1;
    std::vector<uint8_t> window_;   // kWindow bytes of history, then the block
    std::vector<uint32_t> newest_;  // per hash: the newest window offset probed, or kNone
    std::vector<Copy> copies_;      // the block's copies, in order
    std::vector<uint8_t> out_;      // coded bytes, with room to spare for 8-byte stores
    uint8_t* put_ = nullptr;        // next output byte
    uint64_t bits_ = 0;             // bits not yet whole bytes in out_, from bit 0
    int bitCount_ = 0;              // 0..7 between calls
    uint32_t adler_ = 1;            // of every byte taken
    uint32_t literalCounts_[286] = {}, distanceCounts_[30] = {};
    uint8_t lengthBits_[29] = {}, distanceBits_[30] = {};  // what copies are priced at, per symbol
    Plan plan_;
    std::unique_ptr<Rival> rival_;
};

}  // namespace filterhost
