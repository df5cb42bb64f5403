// The PPMd (variant H) model and range decoder of RAR 3.x "best" blocks.
// The model lives in one heap whose size the block header gives (1 to 256
// MiB); every context and state is addressed by a 32-bit offset into it, in
// the 12-byte units the format's memory accounting is defined by, so the
// model restarts at exactly the points the encoder's did.
#pragma once

#include <cstdint>
#include <memory>

#include "archivers/rar/v20/bit_input.h"

namespace rivano::arc::rar {

class PpmModel {
 public:
  // Reads a block header at the current (byte-aligned) input position.
  // `escape` is updated when the header names a new escape byte. False for
  // a damaged header or a continuation with no model to continue.
  bool startBlock(BitInput& in, int& escape);
  // The next byte, or -1 when the data cannot come from a valid encoder.
  int decodeChar(BitInput& in);
  // Forgets the model (a new, non-solid member).
  void reset() { usable_ = false; }

 private:
  static constexpr unsigned kUnit = 12;
  static constexpr unsigned kIndexes = 38;
  static constexpr unsigned kMaxFreq = 124;
  static constexpr unsigned kMaxOrder = 64;

  struct See {
    std::uint16_t summ;
    std::uint8_t shift;
    std::uint8_t count;
    unsigned mean() {
      unsigned r = static_cast<unsigned>(summ >> shift);
      summ = static_cast<std::uint16_t>(summ - r);
      return r + (r == 0);
    }
    void update() {
      if (shift < 7 && --count == 0) {
        summ = static_cast<std::uint16_t>(summ * 2);
        count = static_cast<std::uint8_t>(3 << shift++);
      }
    }
  };
  struct StateValue {
    std::uint8_t symbol;
    std::uint8_t freq;
    std::uint32_t successor;
  };

  // Heap access. Offsets are from base_; 0 is the null reference.
  std::uint16_t u16(std::uint32_t off) const;
  std::uint32_t u32(std::uint32_t off) const;
  void setU16(std::uint32_t off, std::uint32_t v);
  void setU32(std::uint32_t off, std::uint32_t v);
  std::uint8_t& byteAt(std::uint32_t off) { return heap_[off]; }

  unsigned numStats(std::uint32_t c) const { return u16(c); }
  void setNumStats(std::uint32_t c, unsigned v) { setU16(c, v); }
  unsigned summFreq(std::uint32_t c) const { return u16(c + 2); }
  void setSummFreq(std::uint32_t c, unsigned v) { setU16(c + 2, v); }
  std::uint32_t stats(std::uint32_t c) const { return u32(c + 4); }
  void setStats(std::uint32_t c, std::uint32_t v) { setU32(c + 4, v); }
  std::uint32_t suffix(std::uint32_t c) const { return u32(c + 8); }
  void setSuffix(std::uint32_t c, std::uint32_t v) { setU32(c + 8, v); }
  static std::uint32_t oneState(std::uint32_t c) { return c + 2; }
  std::uint8_t& sym(std::uint32_t s) { return heap_[s]; }
  std::uint8_t& freq(std::uint32_t s) { return heap_[s + 1]; }
  std::uint32_t successor(std::uint32_t s) const { return u32(s + 2); }
  void setSuccessor(std::uint32_t s, std::uint32_t v) { setU32(s + 2, v); }
  StateValue load(std::uint32_t s) const;
  void store(std::uint32_t s, const StateValue& v);
  void swapStates(std::uint32_t a, std::uint32_t b);

  // Sub-allocator.
  void initAllocator();
  void insertNode(std::uint32_t p, unsigned index);
  std::uint32_t removeNode(unsigned index);
  void splitBlock(std::uint32_t p, unsigned oldIndex, unsigned newIndex);
  void glueFreeBlocks();
  std::uint32_t allocUnitsRare(unsigned index);
  std::uint32_t allocUnits(unsigned units);
  std::uint32_t allocContext();
  std::uint32_t expandUnits(std::uint32_t old, unsigned oldUnits);
  std::uint32_t shrinkUnits(std::uint32_t old, unsigned oldUnits, unsigned newUnits);
  void freeUnits(std::uint32_t p, unsigned units) { insertNode(p, unitsToIndex_[units - 1]); }

  // Model.
  void startModel(unsigned maxOrder);
  void restartModel();
  void clearMask();
  std::uint32_t createSuccessors(bool skip, std::uint32_t p1);
  void updateModel();
  void rescale(std::uint32_t context);
  void decodeBinSymbol(std::uint32_t context);
  bool decodeSymbol1(std::uint32_t context);
  bool decodeSymbol2(std::uint32_t context);
  void update1(std::uint32_t context, std::uint32_t p);
  void update2(std::uint32_t context, std::uint32_t p);
  See* makeEscFreq2(std::uint32_t context, unsigned diff);
  bool validContext(std::uint32_t c) const { return c > text_ && c < heapEnd_; }

  // Range decoder.
  void initCoder(BitInput& in);
  bool currentCount(unsigned& count);
  unsigned currentShiftCount(unsigned shift);
  void decodeRange() {
    low_ += range_ * lowCount_;
    range_ *= highCount_ - lowCount_;
  }
  void normalize(BitInput& in);

  std::unique_ptr<std::uint8_t[]> heap_;
  std::uint32_t heapSize_ = 0;  // the model's memory in bytes
  std::uint32_t heapEnd_ = 0;
  bool usable_ = false;

  std::uint32_t text_ = 0, unitsStart_ = 0, loUnit_ = 0, hiUnit_ = 0;
  std::uint32_t freeList_[kIndexes] = {};
  unsigned glueCount_ = 0;
  std::uint8_t indexToUnits_[kIndexes] = {};
  std::uint8_t unitsToIndex_[128] = {};

  std::uint32_t minContext_ = 0, maxContext_ = 0, foundState_ = 0;
  int orderFall_ = 0, initEsc_ = 0, runLength_ = 0, initRL_ = 0, maxOrder_ = 0;
  unsigned numMasked_ = 0;
  std::uint8_t escCount_ = 0, prevSuccess_ = 0, hiBitsFlag_ = 0;
  std::uint8_t charMask_[256] = {};
  std::uint8_t ns2Index_[256] = {}, ns2BsIndex_[256] = {}, hb2Flag_[256] = {};
  See see_[25][16] = {};
  See dummySee_ = {};
  std::uint16_t binSumm_[128][64] = {};

  std::uint32_t low_ = 0, code_ = 0, range_ = 0;
  std::uint32_t lowCount_ = 0, highCount_ = 0, scale_ = 0;
};

}  // namespace rivano::arc::rar
