// A small seeded generator of our own (SplitMix64), so every standard library
// and both builds draw the same numbers in the same order.
#pragma once
#include <cstdint>

namespace tavirel::test {

class TestRandom {
public:
    explicit TestRandom(uint64_t seed) : state_(seed) {}

    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // 0..limit inclusive; the tiny bias of the modulo does not matter for tests.
    uint32_t UpTo(uint32_t limit) { return uint32_t(Next() % (uint64_t(limit) + 1)); }

private:
    uint64_t state_;
};

}  // namespace tavirel::test
