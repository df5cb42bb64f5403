// The one interface every archive format reader implements. The DLL exports
// (one library per prefix) are a thin shell over it; the readers themselves
// need no Windows header, so they are built and fuzzed natively as well.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace rivano::arc {

// Distinct outcomes, so that callers can tell "not mine" from "broken".
enum class Result {
  ok,
  notThisFormat,      // the probe said no: another reader may try
  corrupt,            // structure or checksum wrong
  unsupportedMethod,  // readable container, compression we do not decode
  tooLarge,           // a size beyond the limits below (bombs end here)
  ioError,            // the sink refused data, the file could not be read
};

const char* resultName(Result r) noexcept;

// Bounds every reader enforces before it allocates or writes.
struct Limits {
  // Largest single member we will produce. The program only needs pictures.
  std::uint64_t maxMemberSize = std::uint64_t{1} << 30;
  // Largest whole decompressed stream (a .tgz or .tar.bz2 is decoded whole).
  std::uint64_t maxStreamSize = std::uint64_t{2} << 30;
  // More members than this is not an archive of pictures but an attack.
  std::size_t maxMembers = 1u << 20;
};

struct MemberEntry {
  std::string name;  // bytes as stored (ANSI / Shift_JIS passed through), '\' or '/' as stored
  std::uint64_t size = 0;
  std::uint64_t packedSize = 0;
  std::uint32_t crc = 0;
  std::uint16_t dosDate = 0;  // bits 0-4 day, 5-8 month, 9-15 years since 1980
  std::uint16_t dosTime = 0;
  std::uint8_t dosAttributes = 0x20;  // FILE_ATTRIBUTE_* low byte; archive bit by default
  bool isFolder = false;
  std::string method;  // short text such as "-lh5-", "deflate", "stored"
  // The name bytes are UTF-8 (ZIP flag bit 11, a pax path); the DLL shell
  // converts such names to the ANSI code page and passes all others through.
  bool nameIsUtf8 = false;
  std::uint64_t locator = 0;  // reader-private: where the member's data starts
  std::uint64_t locator2 = 0; // reader-private: second value if needed
};

// Receives a member's bytes during extraction, in order, in any chunk size.
class Sink {
 public:
  virtual ~Sink() = default;
  virtual bool write(const std::uint8_t* data, std::size_t size) = 0;
};

// Collects into memory; refuses to grow past a limit.
class VectorSink final : public Sink {
 public:
  explicit VectorSink(std::uint64_t limit = std::uint64_t{1} << 30) : limit_(limit) {}
  bool write(const std::uint8_t* data, std::size_t size) override {
    if (bytes.size() + size > limit_) return false;
    bytes.insert(bytes.end(), data, data + size);
    return true;
  }
  std::vector<std::uint8_t> bytes;

 private:
  std::uint64_t limit_;
};

// One opened archive. The bytes it reads stay owned by the caller and must
// outlive the reader.
class ArchiveReader {
 public:
  virtual ~ArchiveReader() = default;
  // Every member in archive order, folders included (callers filter).
  // A partly readable archive keeps what was read before the fault and
  // returns the fault.
  virtual Result list(std::vector<MemberEntry>& members) = 0;
  // Writes one member (as returned by list) to the sink, checking its CRC.
  virtual Result extract(const MemberEntry& member, Sink& sink) = 0;
};

using ByteSpan = std::span<const std::uint8_t>;

}  // namespace rivano::arc
