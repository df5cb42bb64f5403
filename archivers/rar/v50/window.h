// The sliding window of the RAR 5 decoder, addressed by absolute positions
// in the decoded stream (a solid archive's members follow each other in
// it). Its size is a power of two: at most the dictionary rounded up, and
// no more than the stream decoded so far needs, so a small member of an
// archive with a large dictionary costs little memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace rivano::arc::rar5 {

class Window {
 public:
  // Grows to hold `size` bytes (a power of two), keeping the last bytes of
  // the stream that ended at `streamPos`. Throws std::bad_alloc.
  void grow(std::size_t size, std::uint64_t streamPos);

  std::size_t size() const { return size_; }
  std::uint8_t& at(std::uint64_t pos) { return bytes_[pos & mask_]; }
  std::uint8_t* data() { return bytes_.get(); }
  std::size_t index(std::uint64_t pos) const { return static_cast<std::size_t>(pos & mask_); }

  // Appends `length` bytes that start `distance` bytes back (the caller
  // checked both against the window and the stream).
  void copyMatch(std::uint64_t pos, std::uint64_t distance, std::size_t length);
  // Copies [from, from + length) of the stream out of the window.
  void read(std::uint64_t from, std::size_t length, std::uint8_t* out) const;

 private:
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t size_ = 0;
  std::size_t mask_ = 0;
};

}  // namespace rivano::arc::rar5
