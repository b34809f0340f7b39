// Reading a fuzz input as a stream of values: bytes, 32-bit words and floats kept inside a chosen
// range. Missing bytes read as zero, so every input, however short, is a complete case.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace fuzz_input {

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::uint16_t u16() { return static_cast<std::uint16_t>(byte() | byte() << 8); }
  std::uint32_t u32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(byte()) << (8 * i);
    return v;
  }
  // Any float bit pattern: NaN, infinities, subnormals and signed zeros included.
  float any_float() {
    const std::uint32_t b = u32();
    float f;
    std::memcpy(&f, &b, sizeof f);
    return f;
  }
  double any_double() {
    const std::uint64_t b = static_cast<std::uint64_t>(u32()) | static_cast<std::uint64_t>(u32()) << 32;
    double d;
    std::memcpy(&d, &b, sizeof d);
    return d;
  }
  // A float in [low, high] (0 < low < high): the pattern itself when it already lies there, so that the
  // bounds and any value inside can be reached exactly; otherwise the pattern's bits spread
  // log-uniformly over the range.
  float float_in(float low, float high) {
    const std::uint32_t b = u32();
    float f;
    std::memcpy(&f, &b, sizeof f);
    if (f >= low && f <= high) return f;
    const double u = static_cast<double>(b) / 4294967296.0;
    const auto v =
        static_cast<float>(static_cast<double>(low) * std::pow(static_cast<double>(high) / low, u));
    return v < low ? low : (v > high ? high : v);
  }
  // A float in [0, 1]: the pattern when it lies there, otherwise its bits as a fraction.
  float unit() {
    const std::uint32_t b = u32();
    float f;
    std::memcpy(&f, &b, sizeof f);
    if (f >= 0.0f && f <= 1.0f) return f;
    return static_cast<float>(static_cast<double>(b >> 8) / 16777216.0);
  }
  bool exhausted() const { return pos_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace fuzz_input
