// Scratch storage that a routine takes within one call and releases before it returns, at most as
// many bytes as the caller's data. A routine never fails for lack of it: when the memory cannot be
// had, it takes its in-place path, which gives the same bits.
#pragma once

#include <cstddef>
#include <cstdlib>

namespace numerics {
namespace detail {

// Internal, for tests and benchmarks (one thread at a time, as the library): while refuse_scratch is
// set every request fails, so that the in-place paths run; the byte counts measure what the routines
// take (peak since the last reset).
extern bool refuse_scratch;
extern std::size_t scratch_bytes_in_use;
extern std::size_t scratch_bytes_peak;
inline void reset_scratch_peak() { scratch_bytes_peak = scratch_bytes_in_use; }

// `count` values of T, or none (get() is null) when the memory cannot be had.
template <typename T>
class Scratch {
 public:
  explicit Scratch(std::size_t count)
      : data_(refuse_scratch ? nullptr : static_cast<T*>(std::malloc(count * sizeof(T)))),
        bytes_(data_ != nullptr ? count * sizeof(T) : 0) {
    scratch_bytes_in_use += bytes_;
    if (scratch_bytes_in_use > scratch_bytes_peak) scratch_bytes_peak = scratch_bytes_in_use;
  }
  ~Scratch() {
    scratch_bytes_in_use -= bytes_;
    std::free(data_);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  T* get() const { return data_; }

 private:
  T* data_;
  std::size_t bytes_;
};

}  // namespace detail
}  // namespace numerics
