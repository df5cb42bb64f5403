#include "archivers/gzip/tgz_reader.h"

#include <vector>

#include "archivers/gzip/gzip_stream.h"
#include "archivers/tar/tar_reader.h"

namespace rivano::arc {
namespace {

class TgzReader final : public ArchiveReader {
 public:
  TgzReader(std::vector<std::uint8_t> tar, const Limits& limits) : tar_(std::move(tar)), limits_(limits) {}

  Result open() {
    Result r = Result::ok;
    inner_ = openTar(tar_, limits_, r);
    return inner_ ? Result::ok : r;
  }
  Result list(std::vector<MemberEntry>& members) override { return inner_->list(members); }
  Result extract(const MemberEntry& member, Sink& sink) override { return inner_->extract(member, sink); }

 private:
  std::vector<std::uint8_t> tar_;
  Limits limits_;
  std::unique_ptr<ArchiveReader> inner_;
};

}  // namespace

std::unique_ptr<ArchiveReader> openTgz(ByteSpan data, const Limits& limits, Result& result) {
  if (!looksLikeGzip(data)) {
    result = Result::notThisFormat;
    return nullptr;
  }
  std::vector<std::uint8_t> tar;
  result = gunzip(data, limits, tar);
  if (result != Result::ok) return nullptr;
  auto reader = std::make_unique<TgzReader>(std::move(tar), limits);
  result = reader->open();
  // A gzip that holds something other than a tar is not an archive we list.
  if (result == Result::notThisFormat) result = Result::unsupportedMethod;
  return result == Result::ok ? std::move(reader) : nullptr;
}

}  // namespace rivano::arc
