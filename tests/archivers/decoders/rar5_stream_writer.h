// Writes RAR 5 compressed streams for the decoder tests. Its code tables
// are the simplest the format allows: every symbol of a table has the same
// code length, so a symbol's code is its number in that many bits. The
// writer also keeps the bytes a correct decoder must produce, derived from
// the meaning of each symbol (not from the decoder's code).
#pragma once

#include <cstdint>
#include <vector>

namespace rivano::arc::test {

class Rar5StreamWriter {
 public:
  // Algorithm version 1 stores 80 distance codes instead of 64.
  explicit Rar5StreamWriter(unsigned version = 0)
      : distCodes_(version == 1 ? 80 : 64), distBits_(version == 1 ? 7 : 6) {}

  void literal(std::uint8_t byte);
  void literals(const std::vector<std::uint8_t>& bytes);
  // A match at `distance` back; the length bonus for far distances is
  // taken off the stored length as the format's writer does.
  void match(unsigned length, std::uint64_t distance);
  void repeatLast();                                // symbol 257
  void repeatDistance(unsigned which, unsigned length);  // symbols 258-261
  // Symbol 256: a filter over [start, start + length) counted from here.
  void filter(std::uint32_t start, std::uint32_t length, unsigned type, unsigned channels = 1);
  // Closes the current block; `withTables` makes the block carry the
  // tables (the first block of a non-solid member must).
  void endBlock(bool last, bool withTables = true);
  // Raw bits, for hand-made damage.
  void bits(std::uint64_t value, unsigned count);

  const std::vector<std::uint8_t>& bytes() const { return out_; }
  std::vector<std::uint8_t>& mutableBytes() { return out_; }
  const std::vector<std::uint8_t>& expected() const { return plain_; }

  // The uniform code lengths used for every table.
  static constexpr unsigned kMainBits = 9, kLowBits = 4, kRepBits = 6, kLevelBits = 5;

 private:
  void lengthBits(unsigned slotBase, unsigned slotBits, unsigned length);
  void copyPlain(unsigned length, std::uint64_t distance);

  unsigned distCodes_;
  unsigned distBits_;  // 64 codes fit 6 bits, 80 need 7
  std::vector<bool> block_;  // bits of the block being written
  std::vector<std::uint8_t> out_;
  std::vector<std::uint8_t> plain_;
  std::uint64_t history_[4] = {};
  unsigned lastLength_ = 0;
};

}  // namespace rivano::arc::test
