// The benchmark buffers, 4096 x 4096 pixels of three samples, drawn by our
// own generator so every run and machine times the same pixels.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavirel::bench {

constexpr int kSide = 4096;
constexpr size_t kPixels = size_t(kSide) * kSide;

enum class Scene { Noise, Sweep, Photo };

// 8-bit samples, or 16-bit samples on the host scale 0..32768.
std::vector<uint8_t> MakeImage8(Scene scene);
std::vector<uint16_t> MakeImage16(Scene scene);

// FNV-1a over the bytes: a broken path cannot post a good time unnoticed.
uint64_t Checksum(const void* data, size_t bytes);

}  // namespace tavirel::bench
