// Decoding time of our RAR reader next to unar (lsar -t) and bsdtar on the
// same archives: every member of each archive decoded and checked, best of
// three runs each. Not a test; see the "Benchmarks" section of README.md.
// Usage: rar_bench [archive ...]   (default: the largest samples of the
// shared corpus, when it is beside the repository)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "archivers/rar/rar_reader.h"

using rivano::arc::ByteSpan;
using rivano::arc::MemberEntry;
using rivano::arc::Result;

namespace {

constexpr int kRuns = 3;

const char* const kDefaultSamples[] = {
    "rar/libarchive/test_read_format_rar_ppmd_lzss_conversion.rar",  // RAR 3: 241 MB, PPMd and LZ
    "rar/libarchive/test_read_format_rar_multi_lzss_blocks.rar",     // RAR 3: 20 MB of LZ
    "rar/sharpcompress/Rar.Audio_program.rar",                       // RAR 3: 5 MB, audio and x86 filters
    "rar/libarchive/test_read_format_rar_filter.rar",                // RAR 3: an executable, E8 filter
    "rar/sharpcompress/Rar.solid.rar",                               // RAR 3 solid
    "rar/libarchive/test_read_format_rar5_arm.rar",                  // RAR 5: ARM filter
    "rar/sharpcompress/Rar5.rar",                                    // RAR 5
    "rar/sharpcompress/Rar5.solid.rar",                              // RAR 5 solid
};

double best(const std::function<bool()>& work, bool& ok) {
  double fastest = 1e9;
  ok = true;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = std::chrono::steady_clock::now();
    ok = work() && ok;
    fastest = std::min(fastest, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return fastest;
}

class Discard final : public rivano::arc::Sink {
 public:
  bool write(const std::uint8_t*, std::size_t size) override {
    bytes += size;
    return true;
  }
  std::uint64_t bytes = 0;
};

// Opens, lists and decodes every member, as the libraries do one by one
// (but in one opening, so a solid archive is decoded once).
bool decodeAll(ByteSpan data, std::uint64_t& produced) {
  Result r = Result::ok;
  auto reader = rivano::arc::openRar(data, {}, r);
  if (!reader) return false;
  std::vector<MemberEntry> members;
  reader->list(members);
  Discard sink;
  bool ok = true;
  for (const MemberEntry& m : members) {
    if (!m.isFolder) ok = reader->extract(m, sink) == Result::ok && ok;
  }
  produced = sink.bytes;
  return ok;
}

std::string quoted(const std::string& s) { return "'" + s + "'"; }

bool have(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) files.emplace_back(argv[i]);
  if (files.empty()) {
    for (const char* sample : kDefaultSamples) files.push_back(std::string(RIVANO_SHARED_ARCHIVES) + "/" + sample);
  }
  const bool unar = have("lsar"), bsdtar = have("bsdtar");
  std::printf("%-52s %9s %8s %8s %6s %8s %6s\n", "archive", "MB out", "ours s", "unar s", "ratio", "bsdtar s",
              "ratio");
  for (const std::string& file : files) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0 || st.st_size == 0) {
      std::printf("%-52s missing\n", file.c_str());
      if (fd >= 0) ::close(fd);
      continue;
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    const ByteSpan data(static_cast<const std::uint8_t*>(view), size);
    std::uint64_t produced = 0;
    bool oursOk = false, unarOk = false, bsdtarOk = false;
    const double ours = best([&] { return decodeAll(data, produced); }, oursOk);
    const double theirs = unar ? best([&] { return std::system(("lsar -t " + quoted(file) + " >/dev/null 2>&1").c_str()) == 0; }, unarOk) : 0;
    const double tar = bsdtar ? best([&] { return std::system(("bsdtar -xOf " + quoted(file) + " >/dev/null 2>&1").c_str()) == 0; }, bsdtarOk) : 0;
    munmap(view, size);
    std::string name = file.substr(file.find_last_of('/') + 1);
    if (!oursOk) name += " (ours failed)";
    auto ratio = [&](double t, bool ok) { return ok && t > 0 ? ours / t : 0.0; };
    std::printf("%-52s %9.2f %8.3f %8.3f%s %5.2f %8.3f%s %5.2f\n", name.c_str(), produced / 1e6, ours, theirs,
                unarOk ? " " : "!", ratio(theirs, unarOk), tar, bsdtarOk ? " " : "!", ratio(tar, bsdtarOk));
  }
  std::printf("\"!\" marks a tool that failed on the archive; its ratio is left at 0.\n");
  return 0;
}
