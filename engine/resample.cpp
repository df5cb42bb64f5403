#include "engine/resample.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <deque>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace rivano {
namespace {

// Fixed point throughout: the weights of one output pixel sum to exactly
// 1 << kWeightBits on each axis, and the rows between the two passes keep
// kRowFractionBits of fraction, so a flat area comes out exactly as it
// went in and every sum stays within 32 bits even with negative lobes.
constexpr int kWeightBits = 14;
constexpr int kRowFractionBits = 8;
constexpr std::int32_t kRowMax = 255 << kRowFractionBits;

// For one axis, which source pixels each output pixel draws on and with
// what weight.
struct Taps {
  std::vector<std::int32_t> first;    // first source pixel of each output pixel
  std::vector<std::uint32_t> offset;  // where its weights start in `weights`
  std::vector<std::uint32_t> count;   // how many source pixels it draws on
  std::vector<std::int32_t> weights;
  std::uint32_t widest = 0;
};

// Real weights to fixed point by rounding the running sum, which makes
// them add up to exactly `one` whatever the rounding of each.
void addTaps(Taps& t, std::int32_t first, const std::vector<double>& w) {
  double total = 0;
  for (double v : w) total += v;
  t.first.push_back(first);
  t.offset.push_back(static_cast<std::uint32_t>(t.weights.size()));
  t.count.push_back(static_cast<std::uint32_t>(w.size()));
  t.widest = std::max(t.widest, static_cast<std::uint32_t>(w.size()));
  double running = 0;
  std::int64_t given = 0;
  for (double v : w) {
    running += v;
    const auto upTo = static_cast<std::int64_t>(std::llround(running / total * (1 << kWeightBits)));
    t.weights.push_back(static_cast<std::int32_t>(upTo - given));
    given = upTo;
  }
}

// Area averaging: output pixel i spans [i·n, (i + 1)·n) and source pixel j
// spans [j·m, (j + 1)·m) in units of 1/m source pixel, so the overlaps are
// exact integers.
Taps areaTaps(std::int32_t n, std::int32_t m) {
  Taps t;
  std::vector<double> w;
  for (std::int32_t i = 0; i < m; ++i) {
    const std::int64_t begin = std::int64_t{i} * n, end = begin + n;
    const auto j0 = static_cast<std::int32_t>(begin / m);
    const auto j1 = static_cast<std::int32_t>((end + m - 1) / m);  // one past the last
    w.clear();
    for (std::int32_t j = j0; j < j1; ++j)
      w.push_back(static_cast<double>(std::min(end, std::int64_t{j + 1} * m) - std::max(begin, std::int64_t{j} * m)));
    addTaps(t, j0, w);
  }
  return t;
}

// Lanczos with three lobes, widened by the shrink ratio so that it
// averages over every source pixel an output pixel stands for.
double lanczos3(double x) {
  constexpr double pi = 3.14159265358979323846;
  if (x == 0) return 1;
  if (x <= -3 || x >= 3) return 0;
  return 3 * std::sin(pi * x) * std::sin(pi * x / 3) / (pi * pi * x * x);
}

Taps lanczosTaps(std::int32_t n, std::int32_t m) {
  const double ratio = static_cast<double>(n) / m;
  const double widen = std::max(1.0, ratio), support = 3 * widen;
  Taps t;
  std::vector<double> w;
  for (std::int32_t i = 0; i < m; ++i) {
    const double centre = (i + 0.5) * ratio;
    const auto j0 = static_cast<std::int32_t>(std::max(0.0, std::floor(centre - support + 0.5)));
    const auto j1 = static_cast<std::int32_t>(std::min<double>(n, std::floor(centre + support + 0.5)));
    w.clear();
    for (std::int32_t j = j0; j < j1; ++j) w.push_back(lanczos3((j + 0.5 - centre) / widen));
    addTaps(t, j0, w);
  }
  return t;
}

std::int32_t clampRow(std::int32_t v) { return std::clamp(v, 0, kRowMax); }

// One source row resampled across: three channels per output pixel, each
// with kRowFractionBits of fraction.
void acrossRow(const std::uint32_t* src, const Taps& across, std::int32_t* out) {
  const std::size_t width = across.first.size();
  constexpr int shift = kWeightBits - kRowFractionBits;
  constexpr std::int32_t half = 1 << (shift - 1);
  for (std::size_t x = 0; x < width; ++x) {
    const std::uint32_t* p = src + across.first[x];
    const std::int32_t* w = across.weights.data() + across.offset[x];
    std::int32_t r = 0, g = 0, b = 0;
    for (std::uint32_t k = 0, n = across.count[x]; k < n; ++k) {
      const std::uint32_t px = p[k];
      const std::int32_t wk = w[k];
      r += static_cast<std::int32_t>(px >> 16 & 0xFF) * wk;
      g += static_cast<std::int32_t>(px >> 8 & 0xFF) * wk;
      b += static_cast<std::int32_t>(px & 0xFF) * wk;
    }
    out[3 * x] = clampRow((r + half) >> shift);
    out[3 * x + 1] = clampRow((g + half) >> shift);
    out[3 * x + 2] = clampRow((b + half) >> shift);
  }
}

// The rows resampled across, each made once: the rows an output row draws
// on are a run that only moves down, never longer than `widest`, so a ring
// of that many holds every row still wanted.
class RowRing {
 public:
  RowRing(const PixelImage& source, const Taps& across, std::uint32_t size)
      : source_(source), across_(across), rows_(size), index_(size, -1) {
    for (auto& row : rows_) row.resize(3 * across.first.size());
  }

  const std::int32_t* row(std::int32_t y) {
    const std::size_t slot = static_cast<std::size_t>(y) % rows_.size();
    if (index_[slot] != y) {
      acrossRow(source_.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(source_.width),
                across_, rows_[slot].data());
      index_[slot] = y;
    }
    return rows_[slot].data();
  }

 private:
  const PixelImage& source_;
  const Taps& across_;
  std::vector<std::vector<std::int32_t>> rows_;
  std::vector<std::int32_t> index_;
};

// Output rows y0 up to y1, each from the rows resampled across that it
// draws on.
void resampleRows(const PixelImage& source, const Taps& across, const Taps& down, PixelImage& out, std::int32_t y0,
                  std::int32_t y1) {
  RowRing rows(source, across, down.widest);
  const std::size_t channels = 3 * static_cast<std::size_t>(out.width);
  std::vector<std::int32_t> sum(channels);
  constexpr int shift = kWeightBits + kRowFractionBits;
  constexpr std::int32_t half = 1 << (shift - 1);
  for (std::int32_t y = y0; y < y1; ++y) {
    const auto yi = static_cast<std::size_t>(y);
    std::fill(sum.begin(), sum.end(), 0);
    const std::int32_t* w = down.weights.data() + down.offset[yi];
    for (std::uint32_t k = 0; k < down.count[yi]; ++k) {
      const std::int32_t wk = w[k];
      if (wk == 0) continue;
      const std::int32_t* row = rows.row(down.first[yi] + static_cast<std::int32_t>(k));
      for (std::size_t c = 0; c < channels; ++c) sum[c] += row[c] * wk;
    }
    std::uint32_t* dst = out.pixels.data() + yi * static_cast<std::size_t>(out.width);
    auto channel = [&](std::size_t c) {
      return static_cast<std::uint32_t>(std::clamp((sum[c] + half) >> shift, 0, 255));
    };
    for (std::size_t x = 0; x < static_cast<std::size_t>(out.width); ++x)
      dst[x] = channel(3 * x) << 16 | channel(3 * x + 1) << 8 | channel(3 * x + 2);
  }
}

// Below this many source pixels a second thread costs more than it saves.
constexpr std::size_t kPixelsWorthASecondThread = 1 << 20;

PixelImage resample(const PixelImage& source, std::int32_t width, std::int32_t height,
                    Taps (*taps)(std::int32_t, std::int32_t)) {
  if (source.width <= 0 || source.height <= 0 || width <= 0 || height <= 0 ||
      source.pixels.size() < static_cast<std::size_t>(source.width) * static_cast<std::size_t>(source.height))
    return {};
  const Taps across = taps(source.width, width);
  const Taps down = taps(source.height, height);
  PixelImage out{width, height,
                 std::vector<std::uint32_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height))};
  // The two halves of the output share nothing but the source, and each
  // row comes out the same whichever half makes it; the rows across that
  // both halves draw on near the middle are simply made twice.
  std::int32_t middle = height;
  std::thread lower;
  std::exception_ptr lowerFailed;
  if (height >= 2 && source.pixels.size() >= kPixelsWorthASecondThread && std::thread::hardware_concurrency() > 1) {
    try {
      lower = std::thread([&, from = height / 2] {
        try {
          resampleRows(source, across, down, out, from, height);
        } catch (...) {
          lowerFailed = std::current_exception();
        }
      });
      middle = height / 2;
    } catch (const std::system_error&) {
      // No thread to be had: this one does it all.
    }
  }
  {
    // Joined on every way out, a failure of this half's included.
    struct Join {
      std::thread& thread;
      ~Join() {
        if (thread.joinable()) thread.join();
      }
    } join{lower};
    resampleRows(source, across, down, out, 0, middle);
  }
  if (lowerFailed) std::rethrow_exception(lowerFailed);
  return out;
}

}  // namespace

// One resampling of a source that comes a row at a time: each row is
// resampled across once and added, by its weight, into every output row it
// counts for. The sums are those resampleRows makes, only added in another
// order, so the pixels are the same.
class RowByRowShrink::Stage {
 public:
  // Output rows go to `next` when there is one, otherwise into `out`.
  Stage(std::int32_t sourceWidth, std::int32_t sourceHeight, std::int32_t width, std::int32_t height,
        Taps (*taps)(std::int32_t, std::int32_t), Stage* next, PixelImage* out)
      : across_(taps(sourceWidth, width)),
        down_(taps(sourceHeight, height)),
        sourceWidth_(sourceWidth),
        sourceHeight_(sourceHeight),
        height_(height),
        acrossRow_(3 * static_cast<std::size_t>(width)),
        done_(static_cast<std::size_t>(width)),
        next_(next),
        out_(out) {}

  void addRow(const std::uint32_t* row) {
    if (sourceRow_ >= sourceHeight_) return;
    const std::int32_t j = sourceRow_++;
    while (nextOutput_ < height_ && down_.first[static_cast<std::size_t>(nextOutput_)] <= j) open(nextOutput_++);
    acrossRow(row, across_, acrossRow_.data());
    for (Pending& p : pending_) {
      const auto y = static_cast<std::size_t>(p.y);
      const auto k = static_cast<std::uint32_t>(j - down_.first[y]);
      if (k >= down_.count[y]) continue;
      const std::int32_t wk = down_.weights[down_.offset[y] + k];
      if (wk == 0) continue;
      for (std::size_t c = 0; c < acrossRow_.size(); ++c) p.sum[c] += acrossRow_[c] * wk;
    }
    while (!pending_.empty()) {
      const auto y = static_cast<std::size_t>(pending_.front().y);
      if (down_.first[y] + static_cast<std::int32_t>(down_.count[y]) > j + 1) break;
      close();
    }
  }

  bool complete() const { return sourceRow_ == sourceHeight_ && emitted_ == height_; }
  std::int32_t width() const { return sourceWidth_; }

 private:
  struct Pending {
    std::int32_t y;
    std::vector<std::int32_t> sum;
  };

  void open(std::int32_t y) {
    std::vector<std::int32_t> sum;
    if (!spare_.empty()) {
      sum = std::move(spare_.back());
      spare_.pop_back();
    }
    sum.assign(acrossRow_.size(), 0);
    pending_.push_back({y, std::move(sum)});
  }

  void close() {
    Pending& p = pending_.front();
    constexpr int shift = kWeightBits + kRowFractionBits;
    constexpr std::int32_t half = 1 << (shift - 1);
    auto channel = [&](std::size_t c) {
      return static_cast<std::uint32_t>(std::clamp((p.sum[c] + half) >> shift, 0, 255));
    };
    for (std::size_t x = 0; x < done_.size(); ++x)
      done_[x] = channel(3 * x) << 16 | channel(3 * x + 1) << 8 | channel(3 * x + 2);
    if (next_) {
      next_->addRow(done_.data());
    } else {
      std::copy(done_.begin(), done_.end(),
                out_->pixels.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(p.y) * done_.size()));
    }
    ++emitted_;
    spare_.push_back(std::move(p.sum));
    pending_.pop_front();
  }

  Taps across_, down_;
  std::int32_t sourceWidth_, sourceHeight_, height_;
  std::int32_t sourceRow_ = 0, nextOutput_ = 0, emitted_ = 0;
  std::vector<std::int32_t> acrossRow_;
  std::vector<std::uint32_t> done_;
  std::deque<Pending> pending_;
  std::vector<std::vector<std::int32_t>> spare_;
  Stage* next_;
  PixelImage* out_;
};

RowByRowShrink::RowByRowShrink(std::int32_t sourceWidth, std::int32_t sourceHeight, std::int32_t width,
                               std::int32_t height) {
  if (sourceWidth <= 0 || sourceHeight <= 0 || width <= 0 || height <= 0) return;
  out_ = {width, height,
          std::vector<std::uint32_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height))};
  // The same two steps as shrinkPicture, the averaging feeding Lanczos row by row.
  const std::int32_t k = std::min(sourceWidth / width, sourceHeight / height) / 2;
  if (k < 2) {
    first_ = std::make_unique<Stage>(sourceWidth, sourceHeight, width, height, &lanczosTaps, nullptr, &out_);
    return;
  }
  const std::int32_t midWidth = (sourceWidth + k - 1) / k, midHeight = (sourceHeight + k - 1) / k;
  last_ = std::make_unique<Stage>(midWidth, midHeight, width, height, &lanczosTaps, nullptr, &out_);
  first_ = std::make_unique<Stage>(sourceWidth, sourceHeight, midWidth, midHeight, &areaTaps, last_.get(), nullptr);
}

RowByRowShrink::~RowByRowShrink() = default;

void RowByRowShrink::addRow(std::span<const std::uint32_t> row) {
  if (first_ && row.size() >= static_cast<std::size_t>(first_->width())) first_->addRow(row.data());
}

PixelImage RowByRowShrink::finish() {
  if (!first_ || !first_->complete() || (last_ && !last_->complete())) return {};
  return std::move(out_);
}

PixelImage resampleArea(const PixelImage& source, std::int32_t width, std::int32_t height) {
  return resample(source, width, height, &areaTaps);
}

PixelImage resampleLanczos(const PixelImage& source, std::int32_t width, std::int32_t height) {
  return resample(source, width, height, &lanczosTaps);
}

PixelImage shrinkPicture(const PixelImage& source, std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0) return {};
  const std::int32_t k = std::min(source.width / width, source.height / height) / 2;
  if (k < 2) return resampleLanczos(source, width, height);
  const PixelImage averaged = resampleArea(source, (source.width + k - 1) / k, (source.height + k - 1) / k);
  return resampleLanczos(averaged, width, height);
}

}  // namespace rivano
