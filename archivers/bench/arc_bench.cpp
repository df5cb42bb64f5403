// Listing and one-member extraction times of our ZIP and TGZ readers next
// to Info-ZIP unzip and GNU tar, on the same large sample made at run time.
// Usage: rivano_arc_bench [work-folder]   (default: a new folder in /tmp)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "archivers/gzip/tgz_reader.h"
#include "archivers/zip/zip_reader.h"

namespace fs = std::filesystem;
using rivano::arc::ArchiveReader;
using rivano::arc::ByteSpan;
using rivano::arc::MemberEntry;
using rivano::arc::Result;

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;
constexpr int kRuns = 5;

// Half text, half noise: deflate has real work, sizes vary per member.
void makeSample(const fs::path& root) {
  std::mt19937 random(2026);
  for (int d = 0; d < kFolders; ++d) {
    const fs::path folder = root / ("album" + std::to_string(d));
    fs::create_directories(folder);
    for (int f = 0; f < kFilesPerFolder; ++f) {
      std::string bytes;
      const std::size_t size = 2000 + random() % 6000;
      while (bytes.size() < size) {
        if (random() % 2) {
          bytes += "wallpaper picture line " + std::to_string(random() % 1000) + "\n";
        } else {
          for (int i = 0; i < 32; ++i) bytes += static_cast<char>(random());
        }
      }
      std::ofstream(folder / ("pic" + std::to_string(f) + ".jpg"), std::ios::binary) << bytes;
    }
  }
}

double seconds(const std::function<void()>& work) {
  double best = 1e9;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

void run(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    std::exit(1);
  }
}

// The archive mapped read-only, as the DLL shell maps it.
class Mapped {
 public:
  explicit Mapped(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) std::exit(1);
    size_ = static_cast<std::size_t>(st.st_size);
    data_ = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (data_ == MAP_FAILED) std::exit(1);
  }
  ~Mapped() { munmap(data_, size_); }
  ByteSpan bytes() const { return {static_cast<const std::uint8_t*>(data_), size_}; }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

class FileSink final : public rivano::arc::Sink {
 public:
  explicit FileSink(const fs::path& path) : file_(std::fopen(path.c_str(), "wb")) {}
  ~FileSink() override {
    if (file_) std::fclose(file_);
  }
  bool write(const std::uint8_t* data, std::size_t size) override {
    return file_ && std::fwrite(data, 1, size, file_) == size;
  }

 private:
  std::FILE* file_;
};

using Opener = std::unique_ptr<ArchiveReader> (*)(ByteSpan, const rivano::arc::Limits&, Result&);

// Opens and lists; with a member name, also extracts that member to `out`.
void ours(Opener open, const fs::path& archive, const std::string& member, const fs::path& out) {
  Mapped mapped(archive);
  Result r = Result::ok;
  auto reader = open(mapped.bytes(), {}, r);
  std::vector<MemberEntry> members;
  if (!reader || reader->list(members) != Result::ok || members.size() < 10000) std::exit(2);
  if (member.empty()) return;
  for (const MemberEntry& m : members) {
    if (m.name != member) continue;
    FileSink sink(out);
    if (reader->extract(m, sink) != Result::ok) std::exit(3);
    return;
  }
  std::exit(4);
}

void report(const char* what, double our, double tool) {
  std::printf("%-28s ours %8.1f ms   tool %8.1f ms   ratio %.2f\n", what, our * 1000, tool * 1000, our / tool);
}

}  // namespace

int main(int argc, char** argv) {
  fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / ("rivano-bench-" + std::to_string(getpid()));
  fs::create_directories(work);
  std::printf("making %d members in %s ...\n", kFolders * kFilesPerFolder, work.c_str());
  makeSample(work / "sample");
  const fs::path zip = work / "sample.zip", tgz = work / "sample.tgz";
  run("cd '" + work.string() + "' && rm -f sample.zip && zip -q -r -6 sample.zip sample");
  run("cd '" + work.string() + "' && tar czf sample.tgz sample");
  std::printf("sample.zip %.1f MB, sample.tgz %.1f MB\n", fs::file_size(zip) / 1e6, fs::file_size(tgz) / 1e6);
  const std::string member = "sample/album57/pic42.jpg";
  const fs::path out = work / "out";
  fs::create_directories(out);
  const std::string q = "'" + work.string() + "'";

  report("ZIP list", seconds([&] { ours(&rivano::arc::openZip, zip, "", out / "x"); }),
         seconds([&] { run("unzip -l " + q + "/sample.zip > /dev/null"); }));
  report("ZIP extract one member", seconds([&] { ours(&rivano::arc::openZip, zip, member, out / "pic42.jpg"); }),
         seconds([&] { run("unzip -p " + q + "/sample.zip " + member + " > " + q + "/out/pic42.jpg"); }));
  report("TGZ list", seconds([&] { ours(&rivano::arc::openTgz, tgz, "", out / "x"); }),
         seconds([&] { run("tar tzf " + q + "/sample.tgz > /dev/null"); }));
  report("TGZ extract one member", seconds([&] { ours(&rivano::arc::openTgz, tgz, member, out / "pic42.jpg"); }),
         seconds([&] { run("tar xzf " + q + "/sample.tgz -C " + q + "/out " + member); }));
  if (argc <= 1) fs::remove_all(work);
  return 0;
}
