// BLAKE2sp, the checksum RAR 5 may keep instead of a CRC-32: eight BLAKE2s
// leaves over interleaved 64-byte blocks, hashed again by a root node.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace rivano::arc::rar {

class Blake2s {
 public:
  // Parameters of a tree node (a plain hash: fanout 1, depth 1, rest 0).
  struct Node {
    std::uint8_t fanout = 1, depth = 1;
    std::uint64_t offset = 0;
    std::uint8_t nodeDepth = 0, innerLength = 0;
    bool lastNode = false;
  };
  explicit Blake2s(const Node& node);
  Blake2s() : Blake2s(Node{}) {}
  void update(const std::uint8_t* data, std::size_t size);
  std::array<std::uint8_t, 32> finish();

 private:
  void compress(const std::uint8_t* block, bool last);

  std::array<std::uint32_t, 8> h_{};
  std::array<std::uint8_t, 64> buffer_{};
  std::size_t buffered_ = 0;
  std::uint64_t counter_ = 0;
  bool lastNode_ = false;
};

class Blake2sp {
 public:
  Blake2sp();
  void update(const std::uint8_t* data, std::size_t size);
  std::array<std::uint8_t, 32> finish();

 private:
  static constexpr int kLeaves = 8;
  std::array<Blake2s, kLeaves> leaves_;
  std::array<std::uint8_t, 64 * kLeaves> buffer_{};
  std::size_t buffered_ = 0;
};

}  // namespace rivano::arc::rar
