// Length-limited Huffman codes for deflate, from symbol counts.
//
// Code lengths come from Huffman's construction; where a length would pass
// the limit, lengths are moved to the limit and the Kraft sum is restored by
// lengthening short codes, then the lengths are handed out again in order of
// frequency (the commonest symbol gets the shortest). The codes are then the
// canonical ones deflate defines (shorter codes first, equal lengths in symbol
// order), bit-reversed, because deflate sends Huffman codes from their most
// significant bit into a stream that is otherwise filled from bit 0.
#pragma once

#include <cstdint>

namespace filterhost {

constexpr int kHuffmanMaxSymbols = 288;

// lengths[i] for counts[i] of n symbols (n <= kHuffmanMaxSymbols), at most
// limit bits (limit 7 to 15). A symbol never counted gets length 0, except
// that at least two symbols always get a code: a single code, or none, is an
// incomplete code, which zlib refuses for the code lengths' own code.
void HuffmanLengths(const uint32_t* counts, int n, int limit, uint8_t* lengths);

// The canonical codes for the lengths, bit-reversed for sending LSB first.
void HuffmanCodes(const uint8_t* lengths, int n, uint16_t* codes);

}  // namespace filterhost
