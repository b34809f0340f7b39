// The heap count behind extra_memory.h: the benchmark programs (with glibc; elsewhere nothing is counted)
// define the C allocation functions themselves, pass each call to glibc's allocator and add the usable size
// of each block to a running total, keeping its peak.
#include "extra_memory.h"

#if defined(__GLIBC__)
#include <malloc.h>

#include <atomic>
#include <cerrno>
#include <cstddef>

// glibc's allocator under its own names (reserved to the implementation, which exports them for this use).
// NOLINTBEGIN(bugprone-reserved-identifier)
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* block);
}
// NOLINTEND(bugprone-reserved-identifier)

namespace {

std::atomic<std::int64_t> in_use{0};
std::atomic<std::int64_t> peak{0};

void* counted(void* block) {
  if (block != nullptr) {
    const auto size = static_cast<std::int64_t>(malloc_usable_size(block));
    const std::int64_t now = in_use.fetch_add(size) + size;
    std::int64_t seen = peak.load(std::memory_order_relaxed);
    while (now > seen && !peak.compare_exchange_weak(seen, now)) {
    }
  }
  return block;
}

void uncount(void* block) {
  if (block != nullptr) in_use.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(block)));
}

}  // namespace

namespace bench_support {
bool heap_counted() { return true; }
std::int64_t heap_in_use() { return in_use.load(); }
std::int64_t heap_peak() { return peak.load(); }
void reset_peak() { peak.store(in_use.load()); }
}  // namespace bench_support

// The C library's declarations name the parameters differently; these definitions replace its own.
// NOLINTBEGIN(readability-inconsistent-declaration-parameter-name)
extern "C" {

void* malloc(std::size_t size) { return counted(__libc_malloc(size)); }
void* calloc(std::size_t count, std::size_t size) { return counted(__libc_calloc(count, size)); }
void free(void* block) {
  uncount(block);
  __libc_free(block);
}
void* realloc(void* block, std::size_t size) {
  const std::int64_t old = block != nullptr ? static_cast<std::int64_t>(malloc_usable_size(block)) : 0;
  void* moved = __libc_realloc(block, size);
  if (moved == nullptr && size != 0) return nullptr;  // the old block stays, still counted
  in_use.fetch_sub(old);
  return counted(moved);
}
void* memalign(std::size_t alignment, std::size_t size) { return counted(__libc_memalign(alignment, size)); }
void* aligned_alloc(std::size_t alignment, std::size_t size) { return memalign(alignment, size); }
int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
  void* block = memalign(alignment, size);
  if (block == nullptr) return ENOMEM;
  *out = block;
  return 0;
}
void* valloc(std::size_t size) { return memalign(4096, size); }

}  // extern "C"
// NOLINTEND(readability-inconsistent-declaration-parameter-name)

#else
// Elsewhere the heap is not counted and the benchmarks report no extra memory.
namespace bench_support {
bool heap_counted() { return false; }
std::int64_t heap_in_use() { return 0; }
std::int64_t heap_peak() { return 0; }
void reset_peak() {}
}  // namespace bench_support
#endif
