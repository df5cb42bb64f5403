#include "archivers/bzip2/bzip2_reader.h"

#include <cctype>
#include <string>

#include "archivers/bzip2/bzip2_decoder.h"
#include "archivers/core/crc32.h"

namespace rivano::arc {

namespace {

bool endsWithNoCase(std::string_view s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  for (std::size_t i = 0; i < tail.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(s[s.size() - tail.size() + i])) != tail[i]) return false;
  }
  return true;
}

// Runs the decoder to the end, handing each chunk to `take`; tooLarge as
// soon as more than `limit` bytes come out, so a bomb costs no memory.
template <class Take>
Result decodeAll(ByteSpan data, std::uint64_t limit, Take&& take) {
  bz2::Decoder decoder(data);
  std::vector<std::uint8_t> buf(64 * 1024);
  std::uint64_t total = 0;
  for (;;) {
    std::size_t got = 0;
    Result r = decoder.read(buf.data(), buf.size(), got);
    if (r != Result::ok) return r;
    total += got;
    if (total > limit) return Result::tooLarge;
    if (got && !take(buf.data(), got)) return Result::ioError;
    if (got < buf.size()) return Result::ok;
  }
}

class SingleFileReader final : public ArchiveReader {
 public:
  SingleFileReader(ByteSpan data, std::string name, const Limits& limits)
      : data_(data), name_(std::move(name)), limits_(limits) {}

  Result list(std::vector<MemberEntry>& members) override {
    members.clear();
    if (!measured_) {
      std::uint64_t size = 0;
      std::uint32_t crc = 0;
      result_ = decodeAll(data_, limits_.maxMemberSize, [&](const std::uint8_t* p, std::size_t n) {
        size += n;
        crc = crc32Update(crc, p, n);
        return true;
      });
      entry_.name = name_;
      entry_.size = size;
      entry_.crc = crc;
      entry_.packedSize = data_.size();
      entry_.method = "bzip2";
      measured_ = true;
    }
    if (result_ == Result::ok) members.push_back(entry_);
    return result_;
  }

  void rename(std::string name) {
    name_ = std::move(name);
    entry_.name = name_;
  }

  Result extract(const MemberEntry& member, Sink& sink) override {
    if (member.isFolder) return Result::ok;
    std::uint32_t crc = 0;
    Result r = decodeAll(data_, limits_.maxMemberSize, [&](const std::uint8_t* p, std::size_t n) {
      crc = crc32Update(crc, p, n);
      return sink.write(p, n);
    });
    // The bzip2 CRCs have been checked; this one guards a changed source.
    if (r == Result::ok && measured_ && crc != entry_.crc) return Result::corrupt;
    return r;
  }

 private:
  ByteSpan data_;
  std::string name_;
  Limits limits_;
  bool measured_ = false;
  Result result_ = Result::ok;
  MemberEntry entry_;
};

// Owns the decompressed tar bytes the inner reader looks at.
class TarInBzip2Reader final : public ArchiveReader {
 public:
  TarInBzip2Reader(std::vector<std::uint8_t> bytes, std::unique_ptr<ArchiveReader> inner)
      : bytes_(std::move(bytes)), inner_(std::move(inner)) {}
  Result list(std::vector<MemberEntry>& members) override { return inner_->list(members); }
  Result extract(const MemberEntry& member, Sink& sink) override { return inner_->extract(member, sink); }
  static std::unique_ptr<ArchiveReader> open(std::vector<std::uint8_t>&& bytes, const Limits& limits,
                                             Result& result, TarOpener openTar) {
    auto owner = std::make_unique<TarInBzip2Reader>(std::move(bytes), nullptr);
    owner->inner_ = openTar(ByteSpan(owner->bytes_), limits, result);
    if (!owner->inner_) return nullptr;
    return owner;
  }

 private:
  std::vector<std::uint8_t> bytes_;
  std::unique_ptr<ArchiveReader> inner_;
};

// A tar header block: its checksum field matches the sum of its bytes
// (the field itself counted as spaces).
bool looksLikeTarHeader(const std::vector<std::uint8_t>& head) {
  if (head.size() < 512) return false;
  unsigned sum = 0;
  for (std::size_t i = 0; i < 512; ++i) sum += (i >= 148 && i < 156) ? 0x20u : head[i];
  unsigned stored = 0;
  bool digits = false;
  for (std::size_t i = 148; i < 156; ++i) {
    const std::uint8_t c = head[i];
    if (c >= '0' && c <= '7') {
      stored = stored * 8 + (c - '0');
      digits = true;
    } else if (c != ' ' && c != 0) {
      return false;
    } else if (digits) {
      break;
    }
  }
  return digits && stored == sum;
}

bool allZero(const std::vector<std::uint8_t>& head) {
  for (std::uint8_t b : head) {
    if (b) return false;
  }
  return true;
}

bool nameSaysTar(std::string_view name) {
  return endsWithNoCase(name, ".tar.bz2") || endsWithNoCase(name, ".tbz") || endsWithNoCase(name, ".tbz2") ||
         endsWithNoCase(name, ".tb2");
}

}  // namespace

namespace bz2 {

std::string memberNameFor(std::string_view archiveName) {
  // Archive names come in the ANSI code page (Shift_JIS): a 0x5C after a
  // lead byte is the second half of a character, not a folder separator.
  std::size_t start = 0;
  for (std::size_t i = 0; i < archiveName.size(); ++i) {
    const auto c = static_cast<std::uint8_t>(archiveName[i]);
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
      ++i;
    } else if (c == '\\' || c == '/' || c == ':') {
      start = i + 1;
    }
  }
  std::string name(archiveName.substr(start < archiveName.size() ? start : archiveName.size()));
  if (endsWithNoCase(name, ".bz2")) {
    name.resize(name.size() - 4);
  } else if (endsWithNoCase(name, ".bz")) {
    name.resize(name.size() - 3);
  } else if (endsWithNoCase(name, ".tbz2")) {
    name.replace(name.size() - 5, 5, ".tar");
  } else if (endsWithNoCase(name, ".tbz") || endsWithNoCase(name, ".tb2")) {
    name.replace(name.size() - 4, 4, ".tar");
  }
  return name;
}

Result decompressAll(ByteSpan data, std::uint64_t limit, std::vector<std::uint8_t>& out) {
  out.clear();
  return decodeAll(data, limit, [&out](const std::uint8_t* p, std::size_t n) {
    out.insert(out.end(), p, p + n);
    return true;
  });
}

}  // namespace bz2

bool nameBzip2Member(ArchiveReader& reader, std::string_view archiveName) {
  auto* single = dynamic_cast<SingleFileReader*>(&reader);
  if (!single) return false;
  single->rename(bz2::memberNameFor(archiveName));
  return true;
}

std::unique_ptr<ArchiveReader> openBzip2(ByteSpan data, std::string_view archiveName, const Limits& limits,
                                         Result& result, TarOpener openTar) {
  if (!bz2::looksLikeBzip2(data)) {
    result = Result::notThisFormat;
    return nullptr;
  }
  if (openTar) {
    // The first blocks tell a tar from a single file without decoding the
    // whole source.
    std::vector<std::uint8_t> head;
    head.reserve(1024);
    bz2::Decoder decoder(data);
    head.resize(1024);
    std::size_t got = 0;
    result = decoder.read(head.data(), head.size(), got);
    if (result != Result::ok) return nullptr;
    head.resize(got);
    // Zeros alone are an empty tar unless the name says otherwise.
    const bool zeros = head.size() == 1024 && allZero(head);
    const bool tarLike = looksLikeTarHeader(head) || (zeros && (archiveName.empty() || nameSaysTar(archiveName)));
    if (tarLike) {
      std::vector<std::uint8_t> bytes;
      result = bz2::decompressAll(data, limits.maxStreamSize, bytes);
      if (result != Result::ok) return nullptr;
      auto reader = TarInBzip2Reader::open(std::move(bytes), limits, result, openTar);
      if (reader || result != Result::notThisFormat) return reader;
    }
  }
  result = Result::ok;
  return std::make_unique<SingleFileReader>(data, bz2::memberNameFor(archiveName), limits);
}

}  // namespace rivano::arc
