#include "archivers/rar/v29/ppm_model.h"

#include <cstring>

namespace rivano::arc::rar {
namespace {

constexpr std::uint32_t kTop = 1u << 24;
constexpr std::uint32_t kBottom = 1u << 15;
constexpr unsigned kIntervalBits = 7;
constexpr unsigned kPeriodBits = 7;
constexpr unsigned kTotalBits = kIntervalBits + kPeriodBits;
constexpr unsigned kInterval = 1u << kIntervalBits;
constexpr unsigned kBinScale = 1u << kTotalBits;
constexpr std::uint16_t kInitBinEsc[8] = {0x3CDD, 0x1F3F, 0x59BF, 0x48F3, 0x64A1, 0x5ABC, 0x6632, 0x6051};
constexpr std::uint8_t kExpEscape[16] = {25, 14, 9, 7, 5, 5, 4, 4, 4, 3, 3, 3, 2, 2, 2, 2};
constexpr std::uint16_t kFreeStamp = 0xffff;

unsigned getMean(unsigned summ) { return (summ + (1u << (kPeriodBits - 2))) >> kPeriodBits; }

}  // namespace

std::uint16_t PpmModel::u16(std::uint32_t off) const {
  std::uint16_t v;
  std::memcpy(&v, heap_.get() + off, 2);
  return v;
}
std::uint32_t PpmModel::u32(std::uint32_t off) const {
  std::uint32_t v;
  std::memcpy(&v, heap_.get() + off, 4);
  return v;
}
void PpmModel::setU16(std::uint32_t off, std::uint32_t v) {
  const std::uint16_t w = static_cast<std::uint16_t>(v);
  std::memcpy(heap_.get() + off, &w, 2);
}
void PpmModel::setU32(std::uint32_t off, std::uint32_t v) { std::memcpy(heap_.get() + off, &v, 4); }

PpmModel::StateValue PpmModel::load(std::uint32_t s) const {
  return StateValue{heap_[s], heap_[s + 1], u32(s + 2)};
}
void PpmModel::store(std::uint32_t s, const StateValue& v) {
  heap_[s] = v.symbol;
  heap_[s + 1] = v.freq;
  setU32(s + 2, v.successor);
}
void PpmModel::swapStates(std::uint32_t a, std::uint32_t b) {
  std::uint8_t t[6];
  std::memcpy(t, heap_.get() + a, 6);
  std::memmove(heap_.get() + a, heap_.get() + b, 6);
  std::memcpy(heap_.get() + b, t, 6);
}

// ---- sub-allocator -------------------------------------------------------

void PpmModel::initAllocator() {
  std::memset(freeList_, 0, sizeof freeList_);
  glueCount_ = 0;
  // The text area grows up from the start; units are carved from the top
  // seven eighths (rounded to whole units), contexts from the very top.
  text_ = 4;
  const std::uint32_t size2 = kUnit * (heapSize_ / 8 / kUnit * 7);
  hiUnit_ = text_ + heapSize_;
  loUnit_ = unitsStart_ = hiUnit_ - size2;
}

void PpmModel::insertNode(std::uint32_t p, unsigned index) {
  setU32(p, freeList_[index]);
  freeList_[index] = p;
}

std::uint32_t PpmModel::removeNode(unsigned index) {
  const std::uint32_t p = freeList_[index];
  freeList_[index] = u32(p);
  return p;
}

void PpmModel::splitBlock(std::uint32_t p, unsigned oldIndex, unsigned newIndex) {
  unsigned diff = indexToUnits_[oldIndex] - indexToUnits_[newIndex];
  p += kUnit * indexToUnits_[newIndex];
  unsigned i = unitsToIndex_[diff - 1];
  if (indexToUnits_[i] != diff) {
    --i;
    insertNode(p, i);
    p += kUnit * indexToUnits_[i];
    diff -= indexToUnits_[i];
  }
  insertNode(p, unitsToIndex_[diff - 1]);
}

// Free blocks: stamp (u16) and unit count (u16), then next and prev links.
void PpmModel::glueFreeBlocks() {
  // The list head sits in the spare unit past the heap's end.
  const std::uint32_t head = heapEnd_;
  setU32(head + 4, head);
  setU32(head + 8, head);
  setU16(head, 0);
  if (loUnit_ != hiUnit_) setU16(loUnit_, 0);
  for (unsigned i = 0; i < kIndexes; ++i) {
    while (freeList_[i] != 0) {
      const std::uint32_t p = removeNode(i);
      // Insert right after the head.
      const std::uint32_t next = u32(head + 4);
      setU32(p + 8, head);
      setU32(p + 4, next);
      setU32(next + 8, p);
      setU32(head + 4, p);
      setU16(p, kFreeStamp);
      setU16(p + 2, indexToUnits_[i]);
    }
  }
  for (std::uint32_t p = u32(head + 4); p != head; p = u32(p + 4)) {
    for (;;) {
      const std::uint32_t p1 = p + kUnit * u16(p + 2);
      if (p1 >= heapEnd_ || u16(p1) != kFreeStamp || u16(p + 2) + u16(p1 + 2) >= 0x10000u) break;
      const std::uint32_t prev = u32(p1 + 8), next = u32(p1 + 4);
      setU32(prev + 4, next);
      setU32(next + 8, prev);
      setU16(p + 2, u16(p + 2) + u16(p1 + 2));
    }
  }
  for (std::uint32_t p = u32(head + 4); p != head; p = u32(head + 4)) {
    const std::uint32_t prev = u32(p + 8), next = u32(p + 4);
    setU32(prev + 4, next);
    setU32(next + 8, prev);
    unsigned units = u16(p + 2);
    for (; units > 128; units -= 128, p += 128 * kUnit) insertNode(p, kIndexes - 1);
    unsigned i = unitsToIndex_[units - 1];
    if (indexToUnits_[i] != units) {
      const unsigned k = units - indexToUnits_[--i];
      insertNode(p + kUnit * (units - k), k - 1);
    }
    insertNode(p, i);
  }
}

std::uint32_t PpmModel::allocUnitsRare(unsigned index) {
  if (glueCount_ == 0) {
    glueCount_ = 255;
    glueFreeBlocks();
    if (freeList_[index] != 0) return removeNode(index);
  }
  unsigned i = index;
  do {
    if (++i == kIndexes) {
      --glueCount_;
      const std::uint32_t bytes = kUnit * indexToUnits_[index];
      if (unitsStart_ - text_ > bytes) {
        unitsStart_ -= bytes;
        return unitsStart_;
      }
      return 0;
    }
  } while (freeList_[i] == 0);
  const std::uint32_t p = removeNode(i);
  splitBlock(p, i, index);
  return p;
}

std::uint32_t PpmModel::allocUnits(unsigned units) {
  const unsigned index = unitsToIndex_[units - 1];
  if (freeList_[index] != 0) return removeNode(index);
  const std::uint32_t bytes = kUnit * indexToUnits_[index];
  if (hiUnit_ - loUnit_ >= bytes) {
    const std::uint32_t p = loUnit_;
    loUnit_ += bytes;
    return p;
  }
  return allocUnitsRare(index);
}

std::uint32_t PpmModel::allocContext() {
  if (hiUnit_ != loUnit_) return hiUnit_ -= kUnit;
  if (freeList_[0] != 0) return removeNode(0);
  return allocUnitsRare(0);
}

std::uint32_t PpmModel::expandUnits(std::uint32_t old, unsigned oldUnits) {
  const unsigned i0 = unitsToIndex_[oldUnits - 1], i1 = unitsToIndex_[oldUnits];
  if (i0 == i1) return old;
  const std::uint32_t p = allocUnits(oldUnits + 1);
  if (p != 0) {
    std::memcpy(heap_.get() + p, heap_.get() + old, kUnit * oldUnits);
    insertNode(old, i0);
  }
  return p;
}

std::uint32_t PpmModel::shrinkUnits(std::uint32_t old, unsigned oldUnits, unsigned newUnits) {
  const unsigned i0 = unitsToIndex_[oldUnits - 1], i1 = unitsToIndex_[newUnits - 1];
  if (i0 == i1) return old;
  if (freeList_[i1] != 0) {
    const std::uint32_t p = removeNode(i1);
    std::memcpy(heap_.get() + p, heap_.get() + old, kUnit * newUnits);
    insertNode(old, i0);
    return p;
  }
  splitBlock(old, i0, i1);
  return old;
}

// ---- model ---------------------------------------------------------------

void PpmModel::clearMask() {
  escCount_ = 1;
  std::memset(charMask_, 0, sizeof charMask_);
}

void PpmModel::restartModel() {
  std::memset(charMask_, 0, sizeof charMask_);
  initAllocator();
  initRL_ = -(maxOrder_ < 12 ? maxOrder_ : 12) - 1;
  minContext_ = maxContext_ = allocContext();
  setSuffix(minContext_, 0);
  orderFall_ = maxOrder_;
  setNumStats(minContext_, 256);
  setSummFreq(minContext_, 257);
  foundState_ = allocUnits(256 / 2);
  setStats(minContext_, foundState_);
  runLength_ = initRL_;
  prevSuccess_ = 0;
  for (unsigned i = 0; i < 256; ++i) {
    store(foundState_ + 6 * i, StateValue{static_cast<std::uint8_t>(i), 1, 0});
  }
  for (unsigned i = 0; i < 128; ++i) {
    for (unsigned k = 0; k < 8; ++k) {
      for (unsigned m = 0; m < 64; m += 8) {
        binSumm_[i][k + m] = static_cast<std::uint16_t>(kBinScale - kInitBinEsc[k] / (i + 2));
      }
    }
  }
  for (unsigned i = 0; i < 25; ++i) {
    for (See& s : see_[i]) {
      s.shift = kPeriodBits - 4;
      s.summ = static_cast<std::uint16_t>((5 * i + 10) << s.shift);
      s.count = 4;
    }
  }
}

void PpmModel::startModel(unsigned maxOrder) {
  // Block sizes in units: 1-4, then steps of 2, 3 and 4 up to 128.
  for (unsigned i = 0, k = 0; i < kIndexes; ++i) {
    k += i < 4 ? 1 : i < 8 ? 2 : i < 12 ? 3 : 4;
    indexToUnits_[i] = static_cast<std::uint8_t>(k);
  }
  for (unsigned k = 0, i = 0; k < 128; ++k) {
    i += indexToUnits_[i] < k + 1;
    unitsToIndex_[k] = static_cast<std::uint8_t>(i);
  }
  escCount_ = 1;
  maxOrder_ = static_cast<int>(maxOrder);
  restartModel();
  ns2BsIndex_[0] = 0;
  ns2BsIndex_[1] = 2;
  std::memset(ns2BsIndex_ + 2, 4, 9);
  std::memset(ns2BsIndex_ + 11, 6, 256 - 11);
  unsigned i = 0;
  for (; i < 3; ++i) ns2Index_[i] = static_cast<std::uint8_t>(i);
  for (unsigned m = i, k = 1, step = 1; i < 256; ++i) {
    ns2Index_[i] = static_cast<std::uint8_t>(m);
    if (--k == 0) {
      k = ++step;
      ++m;
    }
  }
  std::memset(hb2Flag_, 0, 0x40);
  std::memset(hb2Flag_ + 0x40, 0x08, 0x100 - 0x40);
  dummySee_.shift = kPeriodBits;
  dummySee_.summ = 0;
  dummySee_.count = 64;
}

std::uint32_t PpmModel::createSuccessors(bool skip, std::uint32_t p1) {
  std::uint32_t pc = minContext_;
  const std::uint32_t upBranch = successor(foundState_);
  const std::uint8_t foundSymbol = sym(foundState_);
  std::uint32_t ps[kMaxOrder];
  unsigned n = 0;
  std::uint32_t p = 0;
  if (!skip) {
    ps[n++] = foundState_;
    if (suffix(pc) == 0) goto noLoop;
  }
  if (p1 != 0) {
    p = p1;
    pc = suffix(pc);
    goto loopEntry;
  }
  do {
    pc = suffix(pc);
    if (numStats(pc) != 1) {
      p = stats(pc);
      for (unsigned guard = 0; sym(p) != foundSymbol; ++guard) {
        if (guard >= 255) return 0;
        p += 6;
      }
    } else {
      p = oneState(pc);
    }
  loopEntry:
    if (successor(p) != upBranch) {
      pc = successor(p);
      break;
    }
    if (n >= kMaxOrder) return 0;
    ps[n++] = p;
  } while (suffix(pc) != 0);
noLoop:
  if (n == 0) return pc;
  if (upBranch == 0 || upBranch >= heapEnd_) return 0;
  StateValue up{heap_[upBranch], 0, upBranch + 1};
  if (numStats(pc) != 1) {
    if (pc <= text_) return 0;
    p = stats(pc);
    for (unsigned guard = 0; sym(p) != up.symbol; ++guard) {
      if (guard >= 255) return 0;
      p += 6;
    }
    const unsigned cf = freq(p) - 1u;
    const unsigned s0 = summFreq(pc) - numStats(pc) - cf;
    if (s0 == 0) return 0;
    up.freq = static_cast<std::uint8_t>(1 + ((2 * cf <= s0) ? (5 * cf > s0) : ((2 * cf + 3 * s0 - 1) / (2 * s0))));
  } else {
    up.freq = freq(oneState(pc));
  }
  do {
    const std::uint32_t child = allocContext();
    if (child == 0) return 0;
    setNumStats(child, 1);
    store(oneState(child), up);
    setSuffix(child, pc);
    setSuccessor(ps[--n], child);
    pc = child;
  } while (n != 0);
  return pc;
}

void PpmModel::updateModel() {
  const StateValue fs = load(foundState_);
  StateValue fsNew = fs;
  std::uint32_t p = 0;
  std::uint32_t pc = suffix(minContext_);
  if (fs.freq < kMaxFreq / 4 && pc != 0) {
    if (numStats(pc) != 1) {
      p = stats(pc);
      if (sym(p) != fs.symbol) {
        unsigned guard = 0;
        do {
          p += 6;
          if (++guard >= 256) goto restart;
        } while (sym(p) != fs.symbol);
        if (freq(p) >= freq(p - 6)) {
          swapStates(p, p - 6);
          p -= 6;
        }
      }
      if (freq(p) < kMaxFreq - 9) {
        freq(p) = static_cast<std::uint8_t>(freq(p) + 2);
        setSummFreq(pc, summFreq(pc) + 2);
      }
    } else {
      p = oneState(pc);
      if (freq(p) < 32) ++freq(p);
    }
  }
  if (orderFall_ == 0) {
    minContext_ = maxContext_ = createSuccessors(true, p);
    if (minContext_ == 0) goto restart;
    setSuccessor(foundState_, minContext_);
    return;
  }
  {
    heap_[text_++] = fs.symbol;
    std::uint32_t succ = text_;
    if (text_ >= unitsStart_) goto restart;
    if (fs.successor != 0) {
      if (fs.successor <= text_) {
        fsNew.successor = createSuccessors(false, p);
        if (fsNew.successor == 0) goto restart;
      }
      if (--orderFall_ == 0) {
        succ = fsNew.successor;
        if (maxContext_ != minContext_) --text_;
      }
    } else {
      setSuccessor(foundState_, succ);
      fsNew.successor = minContext_;
    }
    const unsigned ns = numStats(minContext_);
    const unsigned s0 = summFreq(minContext_) - ns - (fs.freq - 1u);
    for (pc = maxContext_; pc != minContext_; pc = suffix(pc)) {
      unsigned ns1 = numStats(pc);
      if (ns1 != 1) {
        if ((ns1 & 1) == 0) {
          const std::uint32_t grown = expandUnits(stats(pc), ns1 >> 1);
          if (grown == 0) goto restart;
          setStats(pc, grown);
        }
        unsigned add = (2 * ns1 < ns) + 2 * ((4 * ns1 <= ns) & (summFreq(pc) <= 8 * ns1));
        setSummFreq(pc, summFreq(pc) + add);
      } else {
        const std::uint32_t q = allocUnits(1);
        if (q == 0) goto restart;
        store(q, load(oneState(pc)));
        setStats(pc, q);
        if (freq(q) < kMaxFreq / 4 - 1) {
          freq(q) = static_cast<std::uint8_t>(freq(q) * 2);
        } else {
          freq(q) = kMaxFreq - 4;
        }
        setSummFreq(pc, freq(q) + static_cast<unsigned>(initEsc_) + (ns > 3));
      }
      unsigned cf = 2 * fs.freq * (summFreq(pc) + 6);
      const unsigned sf = s0 + summFreq(pc);
      if (cf < 6 * sf) {
        cf = 1 + (cf > sf) + (cf >= 4 * sf);
        setSummFreq(pc, summFreq(pc) + 3);
      } else {
        cf = 4 + (cf >= 9 * sf) + (cf >= 12 * sf) + (cf >= 15 * sf);
        setSummFreq(pc, summFreq(pc) + cf);
      }
      const std::uint32_t q = stats(pc) + 6 * ns1;
      store(q, StateValue{fs.symbol, static_cast<std::uint8_t>(cf), succ});
      setNumStats(pc, ++ns1);
    }
    maxContext_ = minContext_ = fsNew.successor;
    return;
  }
restart:
  restartModel();
  escCount_ = 0;
}

void PpmModel::rescale(std::uint32_t context) {
  const unsigned oldNs = numStats(context);
  unsigned i = oldNs - 1;
  const std::uint32_t first = stats(context);
  std::uint32_t p = foundState_;
  for (; p != first; p -= 6) swapStates(p, p - 6);
  freq(first) = static_cast<std::uint8_t>(freq(first) + 4);
  setSummFreq(context, summFreq(context) + 4);
  int escFreq = static_cast<int>(summFreq(context)) - freq(p);
  const unsigned adder = orderFall_ != 0;
  freq(p) = static_cast<std::uint8_t>((freq(p) + adder) >> 1);
  unsigned sum = freq(p);
  do {
    p += 6;
    escFreq -= freq(p);
    freq(p) = static_cast<std::uint8_t>((freq(p) + adder) >> 1);
    sum += freq(p);
    if (freq(p) > freq(p - 6)) {
      const StateValue tmp = load(p);
      std::uint32_t p1 = p;
      do {
        std::memmove(heap_.get() + p1, heap_.get() + p1 - 6, 6);
        p1 -= 6;
      } while (p1 != first && tmp.freq > freq(p1 - 6));
      store(p1, tmp);
    }
  } while (--i != 0);
  if (freq(p) == 0) {
    do {
      ++i;
      p -= 6;
    } while (freq(p) == 0);
    escFreq += static_cast<int>(i);
    setNumStats(context, numStats(context) - i);
    if (numStats(context) == 1) {
      StateValue tmp = load(first);
      do {
        tmp.freq = static_cast<std::uint8_t>(tmp.freq - (tmp.freq >> 1));
        escFreq >>= 1;
      } while (escFreq > 1);
      freeUnits(first, (oldNs + 1) >> 1);
      foundState_ = oneState(context);
      store(foundState_, tmp);
      return;
    }
  }
  escFreq -= escFreq >> 1;
  setSummFreq(context, sum + static_cast<unsigned>(escFreq));
  const unsigned n0 = (oldNs + 1) >> 1, n1 = (numStats(context) + 1) >> 1;
  if (n0 != n1) setStats(context, shrinkUnits(first, n0, n1));
  foundState_ = stats(context);
}

void PpmModel::decodeBinSymbol(std::uint32_t context) {
  const std::uint32_t rs = oneState(context);
  hiBitsFlag_ = hb2Flag_[sym(foundState_)];
  std::uint16_t& bs =
      binSumm_[freq(rs) - 1][prevSuccess_ + ns2BsIndex_[numStats(suffix(context)) - 1] + hiBitsFlag_ +
                             2 * hb2Flag_[sym(rs)] + ((runLength_ >> 26) & 0x20)];
  if (currentShiftCount(kTotalBits) < bs) {
    foundState_ = rs;
    if (freq(rs) < 128) ++freq(rs);
    lowCount_ = 0;
    highCount_ = bs;
    bs = static_cast<std::uint16_t>(bs + kInterval - getMean(bs));
    prevSuccess_ = 1;
    ++runLength_;
  } else {
    lowCount_ = bs;
    bs = static_cast<std::uint16_t>(bs - getMean(bs));
    highCount_ = kBinScale;
    initEsc_ = kExpEscape[bs >> 10];
    numMasked_ = 1;
    charMask_[sym(rs)] = escCount_;
    prevSuccess_ = 0;
    foundState_ = 0;
  }
}

void PpmModel::update1(std::uint32_t context, std::uint32_t p) {
  foundState_ = p;
  freq(p) = static_cast<std::uint8_t>(freq(p) + 4);
  setSummFreq(context, summFreq(context) + 4);
  if (freq(p) > freq(p - 6)) {
    swapStates(p, p - 6);
    foundState_ = p - 6;
    if (freq(p - 6) > kMaxFreq) rescale(context);
  }
}

bool PpmModel::decodeSymbol1(std::uint32_t context) {
  scale_ = summFreq(context);
  std::uint32_t p = stats(context);
  unsigned count;
  if (!currentCount(count)) return false;
  if (count >= scale_) return false;
  unsigned hiCnt = freq(p);
  if (count < hiCnt) {
    highCount_ = hiCnt;
    prevSuccess_ = 2 * hiCnt > scale_;
    runLength_ += prevSuccess_;
    foundState_ = p;
    hiCnt += 4;
    freq(p) = static_cast<std::uint8_t>(hiCnt);
    setSummFreq(context, summFreq(context) + 4);
    if (hiCnt > kMaxFreq) rescale(context);
    lowCount_ = 0;
    return true;
  }
  if (foundState_ == 0) return false;
  prevSuccess_ = 0;
  unsigned i = numStats(context) - 1;
  while ((hiCnt += freq(p += 6)) <= count) {
    if (--i == 0) {
      hiBitsFlag_ = hb2Flag_[sym(foundState_)];
      lowCount_ = hiCnt;
      charMask_[sym(p)] = escCount_;
      numMasked_ = numStats(context);
      i = numMasked_ - 1;
      foundState_ = 0;
      do {
        p -= 6;
        charMask_[sym(p)] = escCount_;
      } while (--i != 0);
      highCount_ = scale_;
      return true;
    }
  }
  highCount_ = hiCnt;
  lowCount_ = hiCnt - freq(p);
  update1(context, p);
  return true;
}

PpmModel::See* PpmModel::makeEscFreq2(std::uint32_t context, unsigned diff) {
  const unsigned ns = numStats(context);
  if (ns != 256) {
    const int wider = static_cast<int>(numStats(suffix(context))) - static_cast<int>(ns);
    See* s = &see_[ns2Index_[diff - 1]][(static_cast<int>(diff) < wider) + 2 * (summFreq(context) < 11 * ns) +
                                        4 * (numMasked_ > diff) + hiBitsFlag_];
    scale_ = s->mean();
    return s;
  }
  scale_ = 1;
  return &dummySee_;
}

void PpmModel::update2(std::uint32_t context, std::uint32_t p) {
  foundState_ = p;
  freq(p) = static_cast<std::uint8_t>(freq(p) + 4);
  setSummFreq(context, summFreq(context) + 4);
  if (freq(p) > kMaxFreq) rescale(context);
  ++escCount_;
  runLength_ = initRL_;
}

bool PpmModel::decodeSymbol2(std::uint32_t context) {
  const unsigned ns = numStats(context);
  if (ns <= numMasked_) return false;
  unsigned i = ns - numMasked_;
  See* see = makeEscFreq2(context, i);
  std::uint32_t ps[256];
  unsigned n = 0;
  std::uint32_t p = stats(context) - 6;
  const std::uint32_t last = stats(context) + 6 * (ns - 1);
  unsigned hiCnt = 0;
  do {
    do {
      p += 6;
      if (p > last) return false;
    } while (charMask_[sym(p)] == escCount_);
    hiCnt += freq(p);
    ps[n++] = p;
  } while (--i != 0);
  scale_ += hiCnt;
  unsigned count;
  if (!currentCount(count)) return false;
  if (count >= scale_) return false;
  if (count < hiCnt) {
    unsigned k = 0;
    p = ps[0];
    hiCnt = freq(p);
    while (hiCnt <= count) {
      p = ps[++k];
      hiCnt += freq(p);
    }
    highCount_ = hiCnt;
    lowCount_ = hiCnt - freq(p);
    see->update();
    update2(context, p);
  } else {
    lowCount_ = hiCnt;
    highCount_ = scale_;
    for (unsigned k = 0; k < n; ++k) charMask_[sym(ps[k])] = escCount_;
    see->summ = static_cast<std::uint16_t>(see->summ + scale_);
    numMasked_ = ns;
  }
  return true;
}

// ---- range decoder and the block interface ----------------------------------

void PpmModel::initCoder(BitInput& in) {
  low_ = code_ = 0;
  range_ = 0xffffffffu;
  for (int i = 0; i < 4; ++i) code_ = (code_ << 8) | in.byte();
}

bool PpmModel::currentCount(unsigned& count) {
  range_ /= scale_;
  if (range_ == 0) return false;
  count = (code_ - low_) / range_;
  return true;
}

unsigned PpmModel::currentShiftCount(unsigned shift) {
  range_ >>= shift;
  return range_ == 0 ? 0xffffffffu : (code_ - low_) / range_;
}

void PpmModel::normalize(BitInput& in) {
  for (;;) {
    if ((low_ ^ (low_ + range_)) >= kTop) {
      if (range_ >= kBottom) break;
      range_ = (0u - low_) & (kBottom - 1);
    }
    code_ = (code_ << 8) | in.byte();
    range_ <<= 8;
    low_ <<= 8;
  }
}

bool PpmModel::startBlock(BitInput& in, int& escape) {
  unsigned maxOrder = in.byte();
  const bool fresh = (maxOrder & 0x20) != 0;
  unsigned maxMb = 0;
  if (fresh) {
    maxMb = in.byte();
  } else if (!usable_) {
    return false;
  }
  if ((maxOrder & 0x40) != 0) escape = static_cast<int>(in.byte());
  initCoder(in);
  if (fresh) {
    maxOrder = (maxOrder & 0x1f) + 1;
    if (maxOrder > 16) maxOrder = 16 + (maxOrder - 16) * 3;
    if (maxOrder == 1) {
      usable_ = false;
      return false;
    }
    const std::uint32_t size = (maxMb + 1) << 20;
    if (size != heapSize_ || !heap_) {
      heap_.reset();
      heapSize_ = size;
      // Room for the alignment gap before the text and one spare unit past
      // the end (the free-block list head while blocks are merged).
      heap_.reset(new std::uint8_t[std::size_t{size} + 4 + 2 * kUnit]);
    }
    heapEnd_ = 4 + heapSize_;
    std::memset(heap_.get() + heapEnd_, 0, 2 * kUnit);
    startModel(maxOrder);
    usable_ = true;
  }
  return usable_ && minContext_ != 0;
}

int PpmModel::decodeChar(BitInput& in) {
  if (!validContext(minContext_)) return -1;
  if (numStats(minContext_) != 1) {
    const std::uint32_t s = stats(minContext_);
    if (s <= text_ || s >= heapEnd_) return -1;
    if (!decodeSymbol1(minContext_)) return -1;
  } else {
    const std::uint32_t up = suffix(minContext_);
    if (!validContext(up) || numStats(up) == 0 || numStats(up) > 256 || freq(oneState(minContext_)) == 0) return -1;
    decodeBinSymbol(minContext_);
  }
  decodeRange();
  while (foundState_ == 0) {
    normalize(in);
    do {
      ++orderFall_;
      minContext_ = suffix(minContext_);
      if (!validContext(minContext_)) return -1;
    } while (numStats(minContext_) == numMasked_);
    if (!decodeSymbol2(minContext_)) return -1;
    decodeRange();
  }
  const int symbol = sym(foundState_);
  if (orderFall_ == 0 && successor(foundState_) > text_) {
    minContext_ = maxContext_ = successor(foundState_);
  } else {
    updateModel();
    if (escCount_ == 0) clearMask();
  }
  normalize(in);
  return symbol;
}

}  // namespace rivano::arc::rar
