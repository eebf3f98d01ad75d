#include "HuffmanCode.h"

#include <algorithm>

namespace filterhost {

void HuffmanLengths(const uint32_t* counts, int n, int limit, uint8_t* lengths) {
    // The symbols to code, least frequent first (ties in symbol order, so the
    // result depends on the counts alone).
    uint16_t order[kHuffmanMaxSymbols];
    int used = 0;
    for (int i = 0; i < n; ++i) {
        lengths[i] = 0;
        if (counts[i] != 0) order[used++] = uint16_t(i);
    }
    for (int i = 0; used < 2 && i < n; ++i)
        if (counts[i] == 0) order[used++] = uint16_t(i);
    std::sort(order, order + used,
              [&](uint16_t a, uint16_t b) { return counts[a] != counts[b] ? counts[a] < counts[b] : a < b; });

    // Huffman's tree by two queues: the sorted leaves, and the inner nodes,
    // which are made in order of weight. Node k's parent has a higher index.
    uint64_t weight[2 * kHuffmanMaxSymbols];
    int parent[2 * kHuffmanMaxSymbols], depth[2 * kHuffmanMaxSymbols];
    for (int i = 0; i < used; ++i) weight[i] = counts[order[i]];
    int leaf = 0, inner = used;
    for (int k = used; k < 2 * used - 1; ++k) {
        int pick[2];
        for (int& p : pick) p = leaf < used && (inner >= k || weight[leaf] <= weight[inner]) ? leaf++ : inner++;
        weight[k] = weight[pick[0]] + weight[pick[1]];
        parent[pick[0]] = parent[pick[1]] = k;
    }
    const int root = 2 * used - 2;
    depth[root] = 0;
    for (int k = root - 1; k >= 0; --k) depth[k] = depth[parent[k]] + 1;

    // How many codes of each length, those past the limit put at the limit.
    // That oversubscribes the code (Kraft sum, in units of 2^-limit, above
    // 2^limit); each step takes one code off the longest length and splits a
    // shorter code into two one bit longer, which lowers the sum by one unit.
    int perLength[16] = {};
    for (int i = 0; i < used; ++i) ++perLength[std::min(depth[i], limit)];
    uint32_t kraft = 0;
    for (int len = 1; len <= limit; ++len) kraft += uint32_t(perLength[len]) << (limit - len);
    while (kraft > (1u << limit)) {
        --perLength[limit];
        for (int len = limit - 1; len > 0; --len) {
            if (perLength[len] != 0) {
                --perLength[len];
                perLength[len + 1] += 2;
                break;
            }
        }
        --kraft;
    }
    // The shortest lengths to the commonest symbols.
    int next = used - 1;
    for (int len = 1; len <= limit; ++len)
        for (int c = 0; c < perLength[len]; ++c) lengths[order[next--]] = uint8_t(len);
}

void HuffmanCodes(const uint8_t* lengths, int n, uint16_t* codes) {
    int perLength[16] = {};
    for (int i = 0; i < n; ++i) ++perLength[lengths[i]];
    perLength[0] = 0;
    uint32_t nextCode[16] = {};
    uint32_t code = 0;
    for (int len = 1; len < 16; ++len) {
        code = (code + uint32_t(perLength[len - 1])) << 1;
        nextCode[len] = code;
    }
    for (int i = 0; i < n; ++i) {
        const int len = lengths[i];
        codes[i] = 0;
        if (len == 0) continue;
        uint32_t c = nextCode[len]++, reversed = 0;
        for (int b = 0; b < len; ++b, c >>= 1) reversed = reversed << 1 | (c & 1);
        codes[i] = uint16_t(reversed);
    }
}

}  // namespace filterhost
