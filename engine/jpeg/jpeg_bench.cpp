// Decodes a JPEG file at a given scale, reports the time taken and the
// peak memory, and optionally writes the result as a PPM for comparison.
// Usage: jpeg_bench [--rows] <file.jpg> <scale 1|2|4|8> [repeat] [out.ppm]
// With --rows the picture is decoded as the logon run decodes one it
// shrinks: row by row, each row copied out and dropped, as a decoder that
// writes its rows out does, and never held whole.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <span>
#include <string_view>
#include <vector>

#include "engine/jpeg/jpeg_decoder.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace {

// Copies each row out, as a decoder that writes its rows copies them into
// its output buffer, and keeps a sum so that the copy cannot be left out.
class CopiedRows final : public rivano::jpeg::RowSink {
 public:
  void row(std::span<const std::uint32_t> pixels) override {
    copied_.assign(pixels.begin(), pixels.end());
    sum_ += copied_.front() + copied_.back();
    width_ = static_cast<int>(pixels.size());
    ++rows_;
  }
  int width() const { return width_; }
  int rows() const { return rows_; }
  unsigned sum() const { return sum_; }

 private:
  std::vector<std::uint32_t> copied_;
  int width_ = 0;
  int rows_ = 0;
  unsigned sum_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const bool byRows = argc > 1 && std::string_view(argv[1]) == "--rows";
  if (byRows) {
    --argc;
    ++argv;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s [--rows] file.jpg scale [repeat] [out.ppm]\n", argv[0]);
    return 2;
  }
  // Read in one piece: a byte at a time would add more than the decode
  // of a small picture to the process's time, which the benchmark compares.
  std::ifstream in(argv[1], std::ios::binary | std::ios::ate);
  std::vector<std::uint8_t> file(static_cast<std::size_t>(std::max<std::streamoff>(0, in.tellg())));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(file.size()));
  const int scale = std::atoi(argv[2]);
  const int repeat = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1;
  rivano::PixelImage image;
  double best = 1e9;
  double bestCpu = 1e9;
  rivano::jpeg::JpegStatus status = rivano::jpeg::JpegStatus::ok;
  unsigned copiedSum = 0;
  for (int i = 0; i < repeat; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpuStart = std::clock();
    if (byRows) {
      CopiedRows rows;
      status = rivano::jpeg::decodeJpegRows(file, scale, rows);
      image.width = rows.width();
      image.height = rows.rows();
      copiedSum = rows.sum();
    } else {
      status = rivano::jpeg::decodeJpeg(file, scale, image);
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
    bestCpu = std::min(bestCpu, static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC);
  }
  double peakMiB = 0;  // not measured in the Windows build
#ifndef _WIN32
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
#endif
  // Printed so that the copy is work the compiler must keep.
  if (byRows) std::printf("rows copied, sum %u\n", copiedSum);
  std::printf("status %d, %d x %d, best %.4f s (CPU %.4f s), peak RSS %.1f MiB (file %.1f MiB)\n",
              static_cast<int>(status), image.width, image.height, best, bestCpu, peakMiB,
              file.size() / 1048576.0);
  if (argc > 4 && status == rivano::jpeg::JpegStatus::ok) {
    std::ofstream out(argv[4], std::ios::binary);
    out << "P6\n" << image.width << ' ' << image.height << "\n255\n";
    for (const std::uint32_t p : image.pixels) {
      const char rgb[3] = {static_cast<char>(p >> 16), static_cast<char>(p >> 8), static_cast<char>(p)};
      out.write(rgb, 3);
    }
  }
  return status == rivano::jpeg::JpegStatus::ok ? 0 : 1;
}
