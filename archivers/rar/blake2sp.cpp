#include "archivers/rar/blake2sp.h"

#include <cstring>

namespace rivano::arc::rar {
namespace {

constexpr std::array<std::uint32_t, 8> kIv = {0x6A09E667u, 0xBB67AE85u, 0x3C6EF372u, 0xA54FF53Au,
                                              0x510E527Fu, 0x9B05688Cu, 0x1F83D9ABu, 0x5BE0CD19u};

constexpr std::uint8_t kSigma[10][16] = {
    {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, {14, 10, 4, 8, 9, 15, 13, 6, 1, 12, 0, 2, 11, 7, 5, 3},
    {11, 8, 12, 0, 5, 2, 15, 13, 10, 14, 3, 6, 7, 1, 9, 4}, {7, 9, 3, 1, 13, 12, 11, 14, 2, 6, 5, 10, 4, 0, 15, 8},
    {9, 0, 5, 7, 2, 4, 10, 15, 14, 1, 11, 12, 6, 8, 3, 13}, {2, 12, 6, 10, 0, 11, 8, 3, 4, 13, 7, 5, 15, 14, 1, 9},
    {12, 5, 1, 15, 14, 13, 4, 10, 0, 7, 6, 3, 9, 2, 8, 11}, {13, 11, 7, 14, 12, 1, 3, 9, 5, 0, 15, 4, 8, 6, 2, 10},
    {6, 15, 14, 9, 11, 3, 0, 8, 12, 2, 13, 7, 1, 4, 10, 5}, {10, 2, 8, 4, 7, 6, 1, 5, 15, 11, 9, 14, 3, 12, 13, 0},
};

inline std::uint32_t rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

inline std::uint32_t le32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

}  // namespace

Blake2s::Blake2s(const Node& node) {
  h_ = kIv;
  // Parameter block words: digest length 32, no key, fanout, depth; leaf
  // length 0; node offset (48 bits), node depth, inner length.
  h_[0] ^= 32u | std::uint32_t{node.fanout} << 16 | std::uint32_t{node.depth} << 24;
  h_[2] ^= static_cast<std::uint32_t>(node.offset);
  h_[3] ^= static_cast<std::uint32_t>((node.offset >> 32) & 0xFFFF) | std::uint32_t{node.nodeDepth} << 16 |
           std::uint32_t{node.innerLength} << 24;
  lastNode_ = node.lastNode;
}

void Blake2s::compress(const std::uint8_t* block, bool last) {
  std::uint32_t m[16];
  for (int i = 0; i < 16; ++i) m[i] = le32(block + 4 * i);
  std::uint32_t v[16];
  for (int i = 0; i < 8; ++i) {
    v[i] = h_[i];
    v[i + 8] = kIv[i];
  }
  v[12] ^= static_cast<std::uint32_t>(counter_);
  v[13] ^= static_cast<std::uint32_t>(counter_ >> 32);
  if (last) {
    v[14] = ~v[14];
    if (lastNode_) v[15] = ~v[15];
  }
  auto g = [&v, &m](int r, int i, int a, int b, int c, int d) {
    v[a] = v[a] + v[b] + m[kSigma[r][2 * i]];
    v[d] = rotr(v[d] ^ v[a], 16);
    v[c] = v[c] + v[d];
    v[b] = rotr(v[b] ^ v[c], 12);
    v[a] = v[a] + v[b] + m[kSigma[r][2 * i + 1]];
    v[d] = rotr(v[d] ^ v[a], 8);
    v[c] = v[c] + v[d];
    v[b] = rotr(v[b] ^ v[c], 7);
  };
  for (int r = 0; r < 10; ++r) {
    g(r, 0, 0, 4, 8, 12);
    g(r, 1, 1, 5, 9, 13);
    g(r, 2, 2, 6, 10, 14);
    g(r, 3, 3, 7, 11, 15);
    g(r, 4, 0, 5, 10, 15);
    g(r, 5, 1, 6, 11, 12);
    g(r, 6, 2, 7, 8, 13);
    g(r, 7, 3, 4, 9, 14);
  }
  for (int i = 0; i < 8; ++i) h_[i] ^= v[i] ^ v[i + 8];
}

void Blake2s::update(const std::uint8_t* data, std::size_t size) {
  // The last block is kept back until finish(), which flags it.
  while (size > 0) {
    if (buffered_ == 64) {
      counter_ += 64;
      compress(buffer_.data(), false);
      buffered_ = 0;
    }
    const std::size_t n = size < 64 - buffered_ ? size : 64 - buffered_;
    std::memcpy(buffer_.data() + buffered_, data, n);
    buffered_ += n;
    data += n;
    size -= n;
  }
}

std::array<std::uint8_t, 32> Blake2s::finish() {
  counter_ += buffered_;
  std::memset(buffer_.data() + buffered_, 0, 64 - buffered_);
  compress(buffer_.data(), true);
  std::array<std::uint8_t, 32> out{};
  for (int i = 0; i < 8; ++i) {
    for (int k = 0; k < 4; ++k) out[4 * i + k] = static_cast<std::uint8_t>(h_[i] >> (8 * k));
  }
  return out;
}

namespace {
Blake2s leaf(int i) {
  Blake2s::Node node;
  node.fanout = 8;
  node.depth = 2;
  node.offset = static_cast<std::uint64_t>(i);
  node.innerLength = 32;
  node.lastNode = i == 7;
  return Blake2s(node);
}
}  // namespace

Blake2sp::Blake2sp()
    : leaves_{leaf(0), leaf(1), leaf(2), leaf(3), leaf(4), leaf(5), leaf(6), leaf(7)} {}

void Blake2sp::update(const std::uint8_t* data, std::size_t size) {
  // Block i of the input goes to leaf i mod 8. Whole rounds of eight blocks
  // are handed out only when more data follows, so that finish() sees the
  // tail the way the leaves must.
  while (size > 0) {
    if (buffered_ == buffer_.size()) {
      for (int i = 0; i < kLeaves; ++i) leaves_[i].update(buffer_.data() + 64 * i, 64);
      buffered_ = 0;
    }
    const std::size_t n = size < buffer_.size() - buffered_ ? size : buffer_.size() - buffered_;
    std::memcpy(buffer_.data() + buffered_, data, n);
    buffered_ += n;
    data += n;
    size -= n;
  }
}

std::array<std::uint8_t, 32> Blake2sp::finish() {
  for (int i = 0; i < kLeaves; ++i) {
    const std::size_t from = 64 * static_cast<std::size_t>(i);
    if (buffered_ > from) {
      const std::size_t n = buffered_ - from < 64 ? buffered_ - from : 64;
      leaves_[i].update(buffer_.data() + from, n);
    }
  }
  Blake2s::Node rootNode;
  rootNode.fanout = 8;
  rootNode.depth = 2;
  rootNode.nodeDepth = 1;
  rootNode.innerLength = 32;
  rootNode.lastNode = true;
  Blake2s root(rootNode);
  for (int i = 0; i < kLeaves; ++i) {
    const std::array<std::uint8_t, 32> digest = leaves_[i].finish();
    root.update(digest.data(), digest.size());
  }
  return root.finish();
}

}  // namespace rivano::arc::rar
