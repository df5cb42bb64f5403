#include "engine/jpeg/jpeg_scan.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace rivano::jpeg::detail {
namespace {

// Rows of MCUs of a scan: of blocks, in a scan of one component.
std::int32_t rowsOf(const Frame& f, const ScanHeader& scan) {
  return scan.count == 1 ? f.components[static_cast<std::size_t>(scan.component[0])].usedBlocksHigh : f.mcusHigh;
}

// Visits the blocks of rows [row, endRow) of a scan in order, one MCU after
// another, taking the restart markers between intervals; `row`,
// untilRestart and nextRestart are left where the next rows resume.
// decodeBlock(i, bx, by) decodes the block of the scan's i-th component;
// reset() resets predictions; rowDone(my) follows each row of MCUs.
template <class DecodeBlock, class Reset, class RowDone>
bool walkRows(const Stream& s, const ScanHeader& scan, BitReader& reader, std::int32_t& row, std::int32_t endRow,
              int& untilRestart, int& nextRestart, DecodeBlock decodeBlock, Reset reset, RowDone rowDone) {
  const Frame& f = s.frame;
  const bool single = scan.count == 1;
  const Component& first = f.components[static_cast<std::size_t>(scan.component[0])];
  const std::int32_t mcusWide = single ? first.usedBlocksWide : f.mcusWide;
  const int interval = s.restartInterval;
  for (; row < endRow; ++row) {
    const std::int32_t my = row;
    for (std::int32_t mx = 0; mx < mcusWide; ++mx) {
      if (interval > 0 && untilRestart == 0) {
        if (reader.overran() || !reader.restart(nextRestart)) return false;
        nextRestart = (nextRestart + 1) & 7;
        untilRestart = interval;
        reset();
      }
      if (single) {
        if (!decodeBlock(0, mx, my)) return false;
      } else {
        for (int i = 0; i < scan.count; ++i) {
          const Component& c = f.components[static_cast<std::size_t>(scan.component[i])];
          for (int v = 0; v < c.v; ++v) {
            for (int h = 0; h < c.h; ++h) {
              if (!decodeBlock(i, mx * c.h + h, my * c.v + v)) return false;
            }
          }
        }
      }
      --untilRestart;
    }
    rowDone(my);
  }
  return true;
}

// The whole scan, leaving s.pos at the marker after it.
template <class DecodeBlock, class Reset, class RowDone>
JpegStatus walkScan(Stream& s, const ScanHeader& scan, BitReader& reader, DecodeBlock decodeBlock, Reset reset,
                    RowDone rowDone) {
  std::int32_t row = 0;
  int untilRestart = s.restartInterval;
  int nextRestart = 0;
  if (!walkRows(s, scan, reader, row, rowsOf(s.frame, scan), untilRestart, nextRestart, decodeBlock, reset, rowDone) ||
      reader.overran()) {
    return JpegStatus::corrupt;
  }
  s.pos = reader.position();
  skipToMarker(s);
  return JpegStatus::ok;
}

bool tablesDefined(const Stream& s, const ScanHeader& scan, bool needDc, bool needAc) {
  for (int i = 0; i < scan.count; ++i) {
    if (needDc && !s.dc[static_cast<std::size_t>(scan.dcTable[i])].defined) return false;
    if (needAc && !s.ac[static_cast<std::size_t>(scan.acTable[i])].defined) return false;
  }
  return true;
}

}  // namespace

namespace {

enum class BlockRead { bad, dcOnly, withAc };

// One block of a sequential scan into `block` (natural order, zero beyond
// the DC coefficient on entry). The bit reader is worked on as a local
// copy, which the compiler keeps in registers: it cannot know that the
// stores into the block leave the caller's reader alone.
BlockRead readSequentialBlock(BitReader& source, const HuffmanTable& dcTable, const HuffmanTable& acTable,
                              int& prediction, bool skipAc, std::int16_t* block) {
  BitReader reader = source;
  const int t = reader.decode(dcTable);
  if (t < 0 || t > 15) return BlockRead::bad;
  // Kept to 16 bits as the coefficients are, so damaged data cannot overflow it.
  prediction = static_cast<std::int16_t>(prediction + (t ? reader.receiveExtend(t) : 0));
  block[0] = static_cast<std::int16_t>(prediction);
  bool acSeen = false;
  if (skipAc) {
    for (int k = 1; k < 64;) {
      const std::int32_t fast = acTable.fastAc[reader.peek()];
      if (fast != 0) {
        k += ((fast >> 8) & 15) + 1;
        if (k > 64) return BlockRead::bad;
        reader.consume(fast & 0xFF);
        continue;
      }
      const int rs = reader.decode(acTable);
      if (rs < 0) return BlockRead::bad;
      const int size = rs & 15;
      if (size == 0) {
        if (rs != 0xF0) break;
        k += 16;
      } else {
        k += (rs >> 4) + 1;
        if (k > 64) return BlockRead::bad;
        reader.skip(size);
      }
    }
  } else {
    for (int k = 1; k < 64;) {
      const std::int32_t fast = acTable.fastAc[reader.peek()];
      if (fast != 0) {
        k += (fast >> 8) & 15;
        if (k > 63) return BlockRead::bad;
        reader.consume(fast & 0xFF);
        block[kZigzag[static_cast<std::size_t>(k)]] = static_cast<std::int16_t>(fast >> 16);
        acSeen = true;
        ++k;
        continue;
      }
      const int rs = reader.decode(acTable);
      if (rs < 0) return BlockRead::bad;
      const int size = rs & 15;
      if (size == 0) {
        if (rs != 0xF0) break;
        k += 16;
      } else {
        k += rs >> 4;
        if (k > 63) return BlockRead::bad;
        block[kZigzag[static_cast<std::size_t>(k)]] = static_cast<std::int16_t>(reader.receiveExtend(size));
        acSeen = true;
        ++k;
      }
    }
  }
  source = reader;
  // A coded coefficient of value 0 cannot occur, so any AC one taken is nonzero.
  return acSeen ? BlockRead::withAc : BlockRead::dcOnly;
}

}  // namespace

JpegStatus decodeSequentialScan(Stream& s, const ScanHeader& scan, const std::array<bool, 4>& dcOnly,
                                BlockSink& sink) {
  if (!tablesDefined(s, scan, true, true)) return JpegStatus::corrupt;
  BitReader reader(s.file.data(), s.file.size(), s.pos);
  std::array<int, 4> predictions{};
  alignas(16) std::int16_t block[64] = {};
  auto decodeBlock = [&](int i, std::int32_t bx, std::int32_t by) {
    const int component = scan.component[i];
    const BlockRead read = readSequentialBlock(reader, s.dc[static_cast<std::size_t>(scan.dcTable[i])],
                                               s.ac[static_cast<std::size_t>(scan.acTable[i])], predictions[i],
                                               dcOnly[static_cast<std::size_t>(component)], block);
    if (read == BlockRead::bad) return false;
    sink.block(component, bx, by, block, read == BlockRead::dcOnly);
    // Most blocks of smooth pictures have no AC coefficient: the block
    // stays zero beyond the DC one unless one was set.
    if (read == BlockRead::withAc) std::memset(block, 0, sizeof block);
    return true;
  };
  return walkScan(s, scan, reader, decodeBlock, [&] { predictions.fill(0); },
                  [&](std::int32_t row) { sink.rowDone(row); });
}

namespace {

// Adds one refinement bit to each coefficient of `mask` (zigzag indices,
// all already nonzero), in order. The bits are taken up to sixteen at a
// time, the first coefficient's first.
inline void refineAll(BitReader& reader, CoefficientBlock& block, std::uint64_t mask, int bit) {
  while (mask != 0) {
    const int n = std::min(std::popcount(mask), 16);
    const int taken = reader.bits(n);
    for (int j = n - 1; j >= 0; --j, mask &= mask - 1) block.refine(std::countr_zero(mask), bit, (taken >> j) & 1);
  }
}

// Bits first to last (zigzag indices) of a block's nonzero mask.
inline std::uint64_t band(int first, int last) {
  const std::uint64_t upTo = last == 63 ? ~std::uint64_t{0} : (std::uint64_t{1} << (last + 1)) - 1;
  return upTo & ~((std::uint64_t{1} << first) - 1);
}

}  // namespace

std::int32_t scanRows(const Frame& f, const ScanHeader& scan) { return rowsOf(f, scan); }

JpegStatus checkProgressiveScan(Stream& s, const ScanHeader& scan) {
  Frame& f = s.frame;
  const bool dcScan = scan.ss == 0;
  const bool first = scan.ah == 0;
  if (!tablesDefined(s, scan, dcScan && first, !dcScan)) return JpegStatus::corrupt;
  for (int i = 0; i < scan.count; ++i) {
    Component& c = f.components[static_cast<std::size_t>(scan.component[i])];
    if (dcScan && first) c.dcStarted = true;
    // Refinements and AC bands build on a first DC scan.
    if (!c.dcStarted) return JpegStatus::corrupt;
  }
  return JpegStatus::ok;
}

JpegStatus decodeProgressiveRows(const Stream& s, const ScanHeader& scan, ScanProgress& progress, std::int32_t endRow,
                                 std::vector<CoefficientStore>& coefficients) {
  const bool dcScan = scan.ss == 0;
  const bool first = scan.ah == 0;
  BitReader shared = progress.reader;
  std::array<int, 4> predictions = progress.predictions;
  int eobRun = progress.eobRun;
  const int bit = 1 << scan.al;
  // Works on a copy of the bit reader that the compiler keeps in
  // registers: it cannot know that the stores into the coefficients leave
  // a reader elsewhere alone.
  auto decodeWith = [&](BitReader& reader, int i, std::int32_t bx, std::int32_t by) {
    const int index = scan.component[i];
    CoefficientBlock block = coefficients[static_cast<std::size_t>(index)].at(bx, by);
    if (dcScan) {
      if (first) {
        const int t = reader.decode(s.dc[static_cast<std::size_t>(scan.dcTable[i])]);
        if (t < 0 || t > 15) return false;
        // Kept to 16 bits as the coefficients are, so damaged data cannot overflow it.
        predictions[i] = static_cast<std::int16_t>(predictions[i] + (t ? reader.receiveExtend(t) : 0));
        block.dc() = static_cast<std::int16_t>(predictions[i] * bit);
      } else if (reader.bit()) {
        block.dc() = static_cast<std::int16_t>(block.dc() | bit);
      }
      return true;
    }
    const HuffmanTable& table = s.ac[static_cast<std::size_t>(scan.acTable[i])];
    int k = scan.ss;
    if (first) {
      if (eobRun > 0) {
        --eobRun;
        return true;
      }
      for (; k <= scan.se;) {
        const std::int32_t fast = table.fastAc[reader.peek()];
        if (fast != 0) {
          k += (fast >> 8) & 15;
          if (k > scan.se) return false;
          reader.consume(fast & 0xFF);
          block.set(k, (fast >> 16) * bit);
          ++k;
          continue;
        }
        const int rs = reader.decode(table);
        if (rs < 0) return false;
        const int r = rs >> 4;
        const int size = rs & 15;
        if (size == 0) {
          if (r < 15) {
            eobRun = (1 << r) - 1 + reader.bits(r);
            break;
          }
          k += 16;
        } else {
          k += r;
          if (k > scan.se) return false;
          block.set(k, reader.receiveExtend(size) * bit);
          ++k;
        }
      }
      return true;
    }
    if (eobRun == 0) {
      for (; k <= scan.se;) {
        const int rs = reader.decode(table);
        if (rs < 0) return false;
        int r = rs >> 4;
        const int size = rs & 15;
        int value = 0;
        if (size != 0) {
          if (size != 1) return false;
          value = (2 * reader.bit() - 1) * bit;
        } else if (r != 15) {
          eobRun = (1 << r) + reader.bits(r);
          break;
        }
        // Past coefficients already nonzero (each takes a refinement bit)
        // and r zero ones, to where the new coefficient goes: the zero
        // after those r, or past the band.
        std::uint64_t zeros = ~*block.nonzero & band(k, scan.se);
        for (; r > 0 && zeros != 0; --r) zeros &= zeros - 1;
        const int target = zeros != 0 ? std::countr_zero(zeros) : scan.se + 1;
        if (target > k) refineAll(reader, block, *block.nonzero & band(k, target - 1), bit);
        k = target;
        if (value != 0) {
          if (k > scan.se) return false;
          block.set(k, value);
        }
        ++k;
      }
    }
    if (eobRun > 0) {
      if (k <= scan.se) refineAll(reader, block, *block.nonzero & band(k, scan.se), bit);
      --eobRun;
    }
    return true;
  };
  auto decodeBlock = [&](int i, std::int32_t bx, std::int32_t by) {
    BitReader reader = shared;
    const bool ok = decodeWith(reader, i, bx, by);
    shared = reader;
    return ok;
  };
  const bool walked = walkRows(s, scan, shared, progress.row, std::min(endRow, rowsOf(s.frame, scan)),
                               progress.untilRestart, progress.nextRestart, decodeBlock, [&] {
                                 predictions.fill(0);
                                 eobRun = 0;
                               }, [](std::int32_t) {});
  progress.reader = shared;
  progress.predictions = predictions;
  progress.eobRun = eobRun;
  if (!walked) return JpegStatus::corrupt;
  // Past the data at the end of the scan: it needed more than it had.
  if (progress.row == rowsOf(s.frame, scan) && shared.overran()) return JpegStatus::corrupt;
  return JpegStatus::ok;
}

}  // namespace rivano::jpeg::detail
