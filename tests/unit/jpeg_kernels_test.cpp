// The decoder's vector kernels against plain arithmetic written out here
// from the same formulas: every sample must agree, for ordinary blocks and
// for the out-of-range values damaged files produce.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/jpeg/jpeg_idct.h"
#include "engine/jpeg/jpeg_upsample.h"
#include "engine/jpeg/jpeg_ycc.h"

namespace rivano::jpeg::detail {
namespace {

// The accurate integer 8×8 inverse DCT, one coefficient at a time, with the
// decoder's bounds: dequantised coefficients within ±8192, the workspace
// between the passes within ±12000.
class ReferenceIdct {
 public:
  static std::array<std::uint8_t, 64> run(const std::int16_t* c, const std::uint16_t* q) {
    std::int64_t ws[64];
    for (int col = 0; col < 8; ++col) {
      std::int64_t d[8], r[8];
      for (int k = 0; k < 8; ++k) d[k] = std::clamp<std::int64_t>(std::int64_t{c[8 * k + col]} * q[8 * k + col], -8192, 8192);
      points(d, r);
      for (int k = 0; k < 8; ++k) ws[8 * k + col] = std::clamp<std::int64_t>(descale(r[k], 11), -12000, 12000);
    }
    std::array<std::uint8_t, 64> out{};
    for (int row = 0; row < 8; ++row) {
      std::int64_t r[8];
      points(ws + 8 * row, r);
      for (int k = 0; k < 8; ++k) out[8 * row + k] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(descale(r[k], 18) + 128, 0, 255));
    }
    return out;
  }

 private:
  static std::int64_t fix(double x) { return static_cast<std::int64_t>(x * 8192 + 0.5); }
  static std::int64_t descale(std::int64_t x, int n) { return (x + (std::int64_t{1} << (n - 1))) >> n; }

  static void points(const std::int64_t* d, std::int64_t* r) {
    const std::int64_t z1 = (d[2] + d[6]) * fix(0.541196100);
    const std::int64_t e2 = z1 - d[6] * fix(1.847759065), e3 = z1 + d[2] * fix(0.765366865);
    const std::int64_t e0 = (d[0] + d[4]) * 8192, e1 = (d[0] - d[4]) * 8192;
    const std::int64_t t10 = e0 + e3, t13 = e0 - e3, t11 = e1 + e2, t12 = e1 - e2;
    const std::int64_t z5 = (d[7] + d[3] + d[5] + d[1]) * fix(1.175875602);
    const std::int64_t y1 = (d[7] + d[1]) * -fix(0.899976223), y2 = (d[5] + d[3]) * -fix(2.562915447);
    const std::int64_t y3 = (d[7] + d[3]) * -fix(1.961570560) + z5, y4 = (d[5] + d[1]) * -fix(0.390180644) + z5;
    const std::int64_t o0 = d[7] * fix(0.298631336) + y1 + y3, o1 = d[5] * fix(2.053119869) + y2 + y4;
    const std::int64_t o2 = d[3] * fix(3.072711026) + y2 + y3, o3 = d[1] * fix(1.501321110) + y1 + y4;
    r[0] = t10 + o3;
    r[7] = t10 - o3;
    r[1] = t11 + o2;
    r[6] = t11 - o2;
    r[2] = t12 + o1;
    r[5] = t12 - o1;
    r[3] = t13 + o0;
    r[4] = t13 - o0;
  }
};

// The reduced transforms that give 4×4 and 2×2 samples from the 8×8
// coefficients, with the same bounds; out holds size × size samples.
class ReferenceReducedIdct {
 public:
  static std::array<std::uint8_t, 64> run(int size, const std::int16_t* c, const std::uint16_t* q) {
    std::int64_t ws[8 * 4] = {};
    for (int col = 0; col < 8; ++col) {
      std::int64_t d[8];
      for (int k = 0; k < 8; ++k) d[k] = std::clamp<std::int64_t>(std::int64_t{c[8 * k + col]} * q[8 * k + col], -8192, 8192);
      std::int64_t r[4];
      const int shift = size == 4 ? points4(d, r) : points2(d, r);
      for (int k = 0; k < size; ++k) ws[8 * k + col] = std::clamp<std::int64_t>(descale(r[k], 13 - 2 + shift), -12000, 12000);
    }
    std::array<std::uint8_t, 64> out{};
    for (int row = 0; row < size; ++row) {
      std::int64_t r[4];
      const int shift = size == 4 ? points4(ws + 8 * row, r) : points2(ws + 8 * row, r);
      for (int k = 0; k < size; ++k) {
        out[static_cast<std::size_t>(size * row + k)] =
            static_cast<std::uint8_t>(std::clamp<std::int64_t>(descale(r[k], 13 + 2 + 3 + shift) + 128, 0, 255));
      }
    }
    return out;
  }

 private:
  static std::int64_t fix(double x) { return static_cast<std::int64_t>(x * 8192 + 0.5); }
  static std::int64_t descale(std::int64_t x, int n) { return (x + (std::int64_t{1} << (n - 1))) >> n; }

  // Each returns the extra bits its outputs carry.
  static int points4(const std::int64_t* d, std::int64_t* r) {
    const std::int64_t e0 = d[0] * (8192 * 2), e2 = d[2] * fix(1.847759065) - d[6] * fix(0.765366865);
    const std::int64_t o0 = -d[7] * fix(0.211164243) + d[5] * fix(1.451774981) - d[3] * fix(2.172734803) +
                            d[1] * fix(1.061594337);
    const std::int64_t o2 = -d[7] * fix(0.509795579) - d[5] * fix(0.601344887) + d[3] * fix(0.899976223) +
                            d[1] * fix(2.562915447);
    r[0] = e0 + e2 + o2;
    r[3] = e0 + e2 - o2;
    r[1] = e0 - e2 + o0;
    r[2] = e0 - e2 - o0;
    return 1;
  }
  static int points2(const std::int64_t* d, std::int64_t* r) {
    const std::int64_t e = d[0] * (8192 * 4);
    const std::int64_t o = -d[7] * fix(0.720959822) + d[5] * fix(0.850430095) - d[3] * fix(1.272758580) +
                           d[1] * fix(3.624509785);
    r[0] = e + o;
    r[1] = e - o;
    return 2;
  }
};

std::array<std::uint8_t, 64> decoderIdct(int size, const std::int16_t* c, const std::uint16_t* q) {
  // Written into a wider buffer, so a store past the block's columns or
  // rows shows.
  std::array<std::uint8_t, 16 * 16> wide{};
  wide.fill(0xA5);
  inverseDct(size, c, q, wide.data(), 16);
  std::array<std::uint8_t, 64> out{};
  for (int row = 0; row < 16; ++row) {
    for (int k = 0; k < 16; ++k) {
      const std::uint8_t v = wide[static_cast<std::size_t>(16 * row + k)];
      if (row < size && k < size) {
        out[static_cast<std::size_t>(size * row + k)] = v;
      } else {
        EXPECT_EQ(v, 0xA5) << "size " << size << ": written outside the block at row " << row << ", column " << k;
      }
    }
  }
  return out;
}

void expectSameAsReference(const std::int16_t* c, const std::uint16_t* q, int trial) {
  const auto expected = ReferenceIdct::run(c, q);
  const auto actual = decoderIdct(8, c, q);
  for (int i = 0; i < 64; ++i) {
    ASSERT_EQ(int{actual[i]}, int{expected[i]}) << "trial " << trial << ", sample " << i;
  }
  for (const int size : {4, 2}) {
    const auto reducedExpected = ReferenceReducedIdct::run(size, c, q);
    const auto reduced = decoderIdct(size, c, q);
    for (int i = 0; i < size * size; ++i) {
      ASSERT_EQ(int{reduced[static_cast<std::size_t>(i)]}, int{reducedExpected[static_cast<std::size_t>(i)]})
          << "size " << size << ", trial " << trial << ", sample " << i;
    }
  }
}

// Blocks as photographs give them: most energy low, a few AC coefficients,
// quantisers of the usual 8-bit tables.
TEST(JpegInverseDct, OrdinaryBlocksMatchThePlainTransform) {
  std::mt19937 random(11);
  for (int trial = 0; trial < 20000; ++trial) {
    std::int16_t c[64] = {};
    std::uint16_t q[64];
    for (int i = 0; i < 64; ++i) q[i] = static_cast<std::uint16_t>(1 + random() % 60);
    c[0] = static_cast<std::int16_t>(static_cast<int>(random() % 256) - 128);
    const int count = static_cast<int>(random() % 20);
    for (int n = 0; n < count; ++n) {
      const int at = 1 + static_cast<int>(random() % 63);
      c[at] = static_cast<std::int16_t>(static_cast<int>(random() % 61) - 30);
    }
    expectSameAsReference(c, q, trial);
  }
}

// What damaged data can hold: any 16-bit coefficient, 16-bit quantisers
// (those of 32768 and above included), saturating the clamps both ways.
TEST(JpegInverseDct, ExtremeValuesAreClampedAsThePlainTransformClampsThem) {
  std::mt19937 random(23);
  const std::uint16_t quantisers[] = {1, 255, 32767, 32768, 40000, 65535};
  for (int trial = 0; trial < 20000; ++trial) {
    std::int16_t c[64];
    std::uint16_t q[64];
    for (int i = 0; i < 64; ++i) {
      c[i] = static_cast<std::int16_t>(random());
      if (random() % 3 == 0) c[i] = static_cast<std::int16_t>(static_cast<int>(random() % 9) - 4);
      q[i] = random() % 2 ? quantisers[random() % 6] : static_cast<std::uint16_t>(random());
    }
    expectSameAsReference(c, q, trial);
  }
  std::int16_t c[64];
  std::uint16_t q[64];
  for (const int value : {32767, -32768}) {
    std::fill(c, c + 64, static_cast<std::int16_t>(value));
    std::fill(q, q + 64, std::uint16_t{65535});
    expectSameAsReference(c, q, value);
  }
}

// The conversion as the common decoders' tables give it, one pixel at a time.
std::uint32_t referenceYcc(int y, int cb, int cr) {
  auto fix = [](double x) { return static_cast<int>(x * 65536.0 + 0.5); };
  const int b = cb - 128, r = cr - 128, half = 1 << 15;
  const int red = y + ((fix(1.40200) * r + half) >> 16);
  const int green = y + ((-fix(0.34414) * b + half - fix(0.71414) * r) >> 16);
  const int blue = y + ((fix(1.77200) * b + half) >> 16);
  auto limit = [](int v) { return static_cast<std::uint32_t>(std::clamp(v, 0, 255)); };
  return (limit(red) << 16) | (limit(green) << 8) | limit(blue);
}

// Every Y, Cb and Cr: rows of 256 luma values, one for each chroma pair.
TEST(JpegYccConversion, EveryColourMatchesTheTables) {
  std::vector<std::uint8_t> y(256), cb(256), cr(256);
  std::vector<std::uint32_t> out(256 + 1);
  for (int i = 0; i < 256; ++i) y[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
  for (int b = 0; b < 256; ++b) {
    for (int r = 0; r < 256; ++r) {
      std::fill(cb.begin(), cb.end(), static_cast<std::uint8_t>(b));
      std::fill(cr.begin(), cr.end(), static_cast<std::uint8_t>(r));
      out[256] = 0xDEADBEEF;
      yccRowToRgb(y.data(), cb.data(), cr.data(), 256, out.data());
      ASSERT_EQ(out[256], 0xDEADBEEFu) << "written past the row";
      for (int l = 0; l < 256; ++l) {
        ASSERT_EQ(out[static_cast<std::size_t>(l)], referenceYcc(l, b, r)) << "Y " << l << " Cb " << b << " Cr " << r;
      }
    }
  }
}

// Rows of every width up to a few groups at every alignment: the vector
// part, the rest done one at a time, and nothing written outside the row.
TEST(JpegYccConversion, RowsOfAnyWidth) {
  std::mt19937 random(5);
  for (std::int32_t width = 1; width <= 70; ++width) {
    std::vector<std::uint8_t> y(static_cast<std::size_t>(width)), cb(y.size()), cr(y.size());
    for (std::size_t i = 0; i < y.size(); ++i) {
      y[i] = static_cast<std::uint8_t>(random());
      cb[i] = static_cast<std::uint8_t>(random());
      cr[i] = static_cast<std::uint8_t>(random());
    }
    // The output at each alignment: the first pixels go one at a time
    // up to where the vector stores may start.
    for (std::size_t offset = 0; offset < 4; ++offset) {
      std::vector<std::uint32_t> out(offset + y.size() + 1, 0xDEADBEEF);
      yccRowToRgb(y.data(), cb.data(), cr.data(), width, out.data() + offset);
      for (std::size_t i = 0; i < offset; ++i) EXPECT_EQ(out[i], 0xDEADBEEFu) << "written before the row";
      for (std::size_t i = 0; i < y.size(); ++i) {
        ASSERT_EQ(out[offset + i], referenceYcc(y[i], cb[i], cr[i])) << width << " " << i << " offset " << offset;
      }
      EXPECT_EQ(out.back(), 0xDEADBEEFu) << "width " << width << " offset " << offset;
    }
  }
}

std::vector<std::uint8_t> referenceDoubleWidth(const std::vector<std::uint8_t>& in) {
  const std::size_t n = in.size();
  std::vector<std::uint8_t> out(2 * n);
  for (std::size_t x = 0; x < n; ++x) {
    const int left = in[x == 0 ? 0 : x - 1], right = in[x + 1 == n ? x : x + 1];
    out[2 * x] = static_cast<std::uint8_t>((in[x] * 3 + left + 1) >> 2);
    out[2 * x + 1] = static_cast<std::uint8_t>((in[x] * 3 + right + 2) >> 2);
  }
  return out;
}

std::vector<std::uint8_t> referenceDoubleBoth(const std::vector<std::uint8_t>& near, const std::vector<std::uint8_t>& far) {
  const std::size_t n = near.size();
  std::vector<int> sum(n);
  for (std::size_t x = 0; x < n; ++x) sum[x] = near[x] * 3 + far[x];
  std::vector<std::uint8_t> out(2 * n);
  for (std::size_t x = 0; x < n; ++x) {
    const int left = sum[x == 0 ? 0 : x - 1], right = sum[x + 1 == n ? x : x + 1];
    out[2 * x] = static_cast<std::uint8_t>((sum[x] * 3 + left + 8) >> 4);
    out[2 * x + 1] = static_cast<std::uint8_t>((sum[x] * 3 + right + 7) >> 4);
  }
  return out;
}

// Each output leans 3:1 towards its nearer sample; at the ends the sample
// itself stands in for the missing neighbour.
TEST(JpegSmoothUpsampling, RowsOfAnyWidthMatchTheTriangleFilter) {
  std::mt19937 random(9);
  for (std::int32_t width = 1; width <= 70; ++width) {
    for (int trial = 0; trial < 20; ++trial) {
      std::vector<std::uint8_t> near(static_cast<std::size_t>(width)), far(near.size());
      for (std::size_t i = 0; i < near.size(); ++i) {
        // Extremes now and then, where a lane too narrow would overflow.
        near[i] = trial % 4 == 0 ? std::uint8_t{255} : static_cast<std::uint8_t>(random());
        far[i] = trial % 4 == 0 ? std::uint8_t{255} : static_cast<std::uint8_t>(random());
      }
      std::vector<std::uint8_t> out(2 * near.size() + 1, 0xA5);
      smoothDoubleWidth(near.data(), width, out.data());
      EXPECT_EQ(out.back(), 0xA5) << "written past the row, width " << width;
      out.pop_back();
      ASSERT_EQ(out, referenceDoubleWidth(near)) << "width " << width;
      out.assign(2 * near.size() + 1, 0xA5);
      smoothDoubleBoth(near.data(), far.data(), width, out.data());
      EXPECT_EQ(out.back(), 0xA5) << "written past the row, width " << width;
      out.pop_back();
      ASSERT_EQ(out, referenceDoubleBoth(near, far)) << "width " << width;
    }
  }
}

}  // namespace
}  // namespace rivano::jpeg::detail
