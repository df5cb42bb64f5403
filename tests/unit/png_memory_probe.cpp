// Counts the bytes a test program holds at its peak, so a test can tell
// that a large picture shrunk as it is decoded never held its full-size
// pixels, or that a refused one was never allocated. zlib's own few kilobytes come from malloc and are not
// counted.
#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/unit/png_memory_probe.h"

namespace {
std::atomic<std::size_t> gLive{0};
std::atomic<std::size_t> gPeak{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* allocate(std::size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!block) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  const std::size_t live = gLive.fetch_add(size) + size;
  std::size_t peak = gPeak.load();
  while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
  }
  return block + kHeader;
}

void release(void* p) noexcept {
  if (!p) return;
  auto* block = static_cast<unsigned char*>(p) - kHeader;
  gLive.fetch_sub(*reinterpret_cast<std::size_t*>(block));
  std::free(block);
}
}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

namespace rivano::testing {
std::size_t peakHeldBytes() { return gPeak.load(); }
void resetPeakHeldBytes() { gPeak.store(gLive.load()); }
}  // namespace rivano::testing
