#include "tests/archivers/decoders/rar5_stream_writer.h"

#include <stdexcept>

namespace rivano::arc::test {

void Rar5StreamWriter::bits(std::uint64_t value, unsigned count) {
  for (unsigned i = count; i-- > 0;) block_.push_back(((value >> i) & 1) != 0);
}

void Rar5StreamWriter::literal(std::uint8_t byte) {
  bits(byte, kMainBits);
  plain_.push_back(byte);
}

void Rar5StreamWriter::literals(const std::vector<std::uint8_t>& bytes) {
  for (auto b : bytes) literal(b);
}

// Lengths: slots 0-7 are 2-9; slot s >= 8 starts at 2 + ((4 | s % 4) << (s / 4 - 1)).
void Rar5StreamWriter::lengthBits(unsigned slotBase, unsigned slotBits, unsigned length) {
  for (unsigned slot = 0; slot < 44; ++slot) {
    const unsigned extra = slot < 8 ? 0 : slot / 4 - 1;
    const unsigned first = slot < 8 ? slot + 2 : 2 + ((4 | (slot & 3)) << extra);
    if (length >= first && length < first + (1u << extra)) {
      bits(slotBase + slot, slotBits);
      bits(length - first, extra);
      return;
    }
  }
  throw std::invalid_argument("length out of range");
}

void Rar5StreamWriter::copyPlain(unsigned length, std::uint64_t distance) {
  // A distance reaching before the start has no meaning; damage tests use it.
  for (unsigned i = 0; i < length; ++i)
    plain_.push_back(distance == 0 || distance > plain_.size() ? 0 : plain_[plain_.size() - distance]);
}

void Rar5StreamWriter::match(unsigned length, std::uint64_t distance) {
  const unsigned bonus = distance > 0x40000 ? 3 : distance > 0x2000 ? 2 : distance > 0x100 ? 1 : 0;
  lengthBits(262, kMainBits, length - bonus);
  // Distances: slots 0-3 are 1-4; slot s >= 4 starts at 1 + ((2 | s % 2) << (s / 2 - 1)).
  const std::uint64_t d = distance - 1;
  if (d < 4) {
    bits(d, distBits_);
  } else {
    unsigned top = 63;
    while (((d >> top) & 1) == 0) --top;
    const unsigned extra = top - 1;
    const unsigned slot = 2 * top + static_cast<unsigned>((d >> extra) & 1);
    const std::uint64_t rest = d - (std::uint64_t{2 | (slot & 1)} << extra);
    bits(slot, distBits_);
    if (extra < 4) {
      bits(rest, extra);
    } else {
      bits(rest >> 4, extra - 4);
      bits(rest & 15, kLowBits);
    }
  }
  for (unsigned i = 3; i > 0; --i) history_[i] = history_[i - 1];
  history_[0] = distance;
  lastLength_ = length;
  copyPlain(length, distance);
}

void Rar5StreamWriter::repeatLast() {
  bits(257, kMainBits);
  copyPlain(lastLength_, history_[0]);
}

void Rar5StreamWriter::repeatDistance(unsigned which, unsigned length) {
  bits(258 + which, kMainBits);
  lengthBits(0, kRepBits, length);
  const std::uint64_t distance = history_[which];
  for (unsigned i = which; i > 0; --i) history_[i] = history_[i - 1];
  history_[0] = distance;
  lastLength_ = length;
  copyPlain(length, distance);
}

void Rar5StreamWriter::filter(std::uint32_t start, std::uint32_t length, unsigned type, unsigned channels) {
  bits(256, kMainBits);
  for (std::uint32_t value : {start, length}) {
    bits(3, 2);  // four bytes, lowest first
    for (unsigned i = 0; i < 4; ++i) bits((value >> (8 * i)) & 0xff, 8);
  }
  bits(type, 3);
  if (type == 0) bits(channels - 1, 5);
}

void Rar5StreamWriter::endBlock(bool last, bool withTables) {
  std::vector<bool> body;
  if (withTables) {
    // Level code: all 20 symbols 5 bits long, so symbol n is n in 5 bits.
    for (unsigned i = 0; i < 20; ++i)
      for (unsigned b = 4; b-- > 0;) body.push_back(((kLevelBits >> b) & 1) != 0);
    const unsigned sizes[4][2] = {{306, kMainBits}, {distCodes_, distBits_}, {16, kLowBits}, {44, kRepBits}};
    for (const auto& table : sizes)
      for (unsigned i = 0; i < table[0]; ++i)
        for (unsigned b = kLevelBits; b-- > 0;) body.push_back(((table[1] >> b) & 1) != 0);
  }
  body.insert(body.end(), block_.begin(), block_.end());
  block_.clear();
  const std::size_t size = (body.size() + 7) / 8;
  const unsigned lastBits = body.empty() ? 8 : static_cast<unsigned>((body.size() - 1) % 8 + 1);
  const unsigned sizeBytes = size < 0x100 ? 1 : size < 0x10000 ? 2 : 3;
  const unsigned flags = (lastBits - 1) | (sizeBytes - 1) << 3 | (last ? 0x40 : 0) | (withTables ? 0x80 : 0);
  const unsigned check = (0x5a ^ flags ^ size ^ (size >> 8) ^ (size >> 16)) & 0xff;
  out_.push_back(static_cast<std::uint8_t>(flags));
  out_.push_back(static_cast<std::uint8_t>(check));
  for (unsigned i = 0; i < sizeBytes; ++i) out_.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
  for (std::size_t i = 0; i < size; ++i) {
    std::uint8_t byte = 0;
    for (unsigned b = 0; b < 8; ++b) {
      const std::size_t at = i * 8 + b;
      byte = static_cast<std::uint8_t>(byte << 1 | (at < body.size() && body[at] ? 1 : 0));
    }
    out_.push_back(byte);
  }
}

}  // namespace rivano::arc::test
