// A JPEG of a few hundred bytes whose frame header claims any size: the
// tables and a scan are in place, so a loader reads on past the header.
#pragma once

#include <cstdint>
#include <vector>

namespace rivano::testing {

inline std::vector<std::uint8_t> craftedJpeg(int width, int height, int components, std::uint8_t frameMarker = 0xC0,
                                             int precision = 8) {
  std::vector<std::uint8_t> f{0xFF, 0xD8};
  auto segment = [&f](std::uint8_t marker, const std::vector<std::uint8_t>& body) {
    const std::size_t length = body.size() + 2;
    f.insert(f.end(), {0xFF, marker, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
    f.insert(f.end(), body.begin(), body.end());
  };
  // Adobe's marker, which makes four components CMYK.
  segment(0xEE, {'A', 'd', 'o', 'b', 'e', 0, 100, 0, 0, 0, 0, 0});
  std::vector<std::uint8_t> quant{0};
  quant.resize(65, 1);
  segment(0xDB, quant);
  std::vector<std::uint8_t> frame{static_cast<std::uint8_t>(precision),
                                  static_cast<std::uint8_t>(height >> 8),
                                  static_cast<std::uint8_t>(height),
                                  static_cast<std::uint8_t>(width >> 8),
                                  static_cast<std::uint8_t>(width),
                                  static_cast<std::uint8_t>(components)};
  for (int c = 1; c <= components; ++c) frame.insert(frame.end(), {static_cast<std::uint8_t>(c), 0x11, 0});
  segment(frameMarker, frame);
  // One code of one bit in each table: DC category 0, AC end of block.
  std::vector<std::uint8_t> dc{0x00, 1};
  dc.resize(17, 0);
  dc.push_back(0);
  segment(0xC4, dc);
  std::vector<std::uint8_t> ac{0x10, 1};
  ac.resize(17, 0);
  ac.push_back(0);
  segment(0xC4, ac);
  std::vector<std::uint8_t> scan{static_cast<std::uint8_t>(components)};
  for (int c = 1; c <= components; ++c) scan.insert(scan.end(), {static_cast<std::uint8_t>(c), 0x00});
  scan.insert(scan.end(), {0, 63, 0});
  segment(0xDA, scan);
  f.insert(f.end(), 64, 0x00);  // a few blocks of flat colour
  f.insert(f.end(), {0xFF, 0xD9});
  return f;
}

}  // namespace rivano::testing
