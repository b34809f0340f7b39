// The parts of the fast Fourier transforms' step order that need no lanes: bit reversal of whole
// sequences in tiles, of many short runs by one list of swaps, and of the rows of a slower axis.
// Declared in fft_schedule.h; plain baseline code on every lane path.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "numerics/fft_schedule.h"

namespace numerics {
namespace fft {
namespace {

// Trades the complex values at a[0..1] and b[0..1], each moved whole.
void swap_complex(float* a, float* b) {
  float t[2];
  std::memcpy(t, a, sizeof t);
  std::memcpy(a, b, sizeof t);
  std::memcpy(b, t, sizeof t);
}

// The lowest `bits` bits of x in reverse order.
std::uint32_t reverse_bits(std::uint32_t x, int bits) {
  std::uint32_t r = 0;
  for (int b = 0; b < bits; ++b, x >>= 1) r = (r << 1) | (x & 1u);
  return r;
}

int log2_of(std::uint32_t points) {
  int bits = 0;
  while ((1u << bits) < points) ++bits;
  return bits;
}

// Trades two distinct rows of width floats (a multiple of 4): moving floats copies their bits.
void swap_rows(float* a, float* b, std::uint32_t width) {
  for (std::uint32_t c = 0; c < width; c += 4) {
    float t[4];
    std::memcpy(t, a + c, sizeof t);
    std::memcpy(a + c, b + c, sizeof t);
    std::memcpy(b + c, t, sizeof t);
  }
}

}  // namespace

// The swaps of reference::fft_complex's bit reversal over data[1..n] (n floats), each value with the
// one at its bit-reversed index. The swaps are disjoint, so their order does not matter: a complex
// index of L bits splits into high, middle and low parts (x, m, y) of s, L - 2s and s bits
// (s = kTileBits, or L/2 for short sequences), and (x, m, y) trades places with (rev y, rev m, rev x).
// For one middle value the tile of all x, y is 2^s short contiguous runs, and so is its partner
// tile, so every swap stays within a few cache lines. A pair inside a tile that is its own partner
// is swapped once.
void bit_reverse(float* data, std::uint32_t n) {
  const int bits = log2_of(n >> 1);
  const int side_bits = std::min(kTileBits, bits / 2);
  const int middle_bits = bits - 2 * side_bits;
  const int high_shift = bits - side_bits;
  const std::uint32_t side = 1u << side_bits;
  std::uint32_t reversed_low[1u << kTileBits];
  std::size_t high[1u << kTileBits];          // float offset of x in the high bits
  std::size_t partner_high[1u << kTileBits];  // and of rev y in the high bits of the partner
  for (std::uint32_t t = 0; t < side; ++t) {
    reversed_low[t] = reverse_bits(t, side_bits);
    high[t] = 2 * (std::size_t{t} << high_shift);
    partner_high[t] = 2 * (std::size_t{reversed_low[t]} << high_shift);
  }
  for (std::uint32_t m = 0; m < (1u << middle_bits); ++m) {
    const std::uint32_t rm = reverse_bits(m, middle_bits);
    if (rm < m) continue;
    float* const tile = data + 2 * (std::size_t{m} << side_bits) + 1;
    float* const partner = data + 2 * (std::size_t{rm} << side_bits) + 1;
    for (std::uint32_t x = 0; x < side; ++x) {
      float* const row = tile + high[x];
      float* const column = partner + 2 * std::size_t{reversed_low[x]};
      for (std::uint32_t y = 0; y < side; ++y) {
        float* const a = row + 2 * std::size_t{y};
        float* const b = column + partner_high[y];
        if (m == rm && b <= a) continue;
        swap_complex(a, b);
      }
    }
  }
}

void list_reversal_pairs(ReversalPairs& pairs, std::uint32_t points) {
  pairs.count = 0;
  pairs.listed = points <= kReversalPoints;
  if (!pairs.listed) return;
  const int bits = log2_of(points);
  for (std::uint32_t i = 0; i < points; ++i) {
    const std::uint32_t r = reverse_bits(i, bits);
    if (i < r) {
      pairs.low[pairs.count] = static_cast<std::uint16_t>(i);
      pairs.high[pairs.count] = static_cast<std::uint16_t>(r);
      ++pairs.count;
    }
  }
}

void bit_reverse_runs(float* data, std::uint32_t total, std::uint32_t run_length,
                      const ReversalPairs& pairs) {
  for (std::uint32_t base = 0; base < total; base += run_length) {
    if (!pairs.listed) {
      bit_reverse(data + base, run_length);
      continue;
    }
    float* const run = data + base + 1;
    for (std::uint32_t k = 0; k < pairs.count; ++k) {
      swap_complex(run + 2 * std::size_t{pairs.low[k]}, run + 2 * std::size_t{pairs.high[k]});
    }
  }
}

// Bit reversal along an axis: within each run of the slice the rows trade places.
void bit_reverse_rows(float* data, const Axis& a, const Slice& s) {
  for (std::uint32_t base = s.begin; base < s.end; base += a.p2) {
    std::uint32_t r = 1;
    for (std::uint32_t i2 = 1; i2 <= a.p2; i2 += a.p1) {
      if (i2 < r) swap_rows(data + base + i2 + s.column, data + base + r + s.column, s.width);
      std::uint32_t bit = a.p2 >> 1;
      while (bit >= a.p1 && r > bit) {
        r -= bit;
        bit >>= 1;
      }
      r += bit;
    }
  }
}

}  // namespace fft
}  // namespace numerics
