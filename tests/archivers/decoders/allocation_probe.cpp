// Counts the largest allocation of the RAR decoder test program, so that a
// test can tell that a refused dictionary was never allocated and that a
// small member does not get a window the size of a large dictionary.
#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/archivers/decoders/rar_test_util.h"

namespace {
std::atomic<std::size_t> gLargest{0};

void* allocate(std::size_t size) {
  std::size_t seen = gLargest.load(std::memory_order_relaxed);
  while (size > seen && !gLargest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace rivano::arc::test {
std::size_t largestAllocation() { return gLargest.load(); }
void resetLargestAllocation() { gLargest.store(0); }
}  // namespace rivano::arc::test
