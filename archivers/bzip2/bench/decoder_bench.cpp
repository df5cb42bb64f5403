// Times our bzip2, ARJ and LZH decoders against Debian's bzip2, arj and
// lhasa on the same ~50 MB input, made at run time, and prints the ratios.
// Usage: decoder_bench [megabytes] (native build only; it runs the tools).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archivers/arj/arj_reader.h"
#include "archivers/bzip2/bzip2_reader.h"
#include "archivers/lzh/lzh_reader.h"

namespace {

using namespace rivano::arc;
using Clock = std::chrono::steady_clock;

// Counts and drops the bytes, as a test run of a tool does.
class CountingSink final : public Sink {
 public:
  bool write(const std::uint8_t*, std::size_t size) override {
    bytes += size;
    return true;
  }
  std::uint64_t bytes = 0;
};

// Text-like input: words of a small vocabulary in a skewed order, with a
// stretch of noise every few megabytes, so every stage of each decoder works.
void makeInput(const std::string& path, std::size_t megabytes) {
  static const char* const words[] = {"wallpaper", "desktop", "picture", "folder", "random", "interval",
                                      "monitor",   "tile",    "center",  "stretch", "color", "the",
                                      "and",       "of",      "photo",   "archive"};
  std::string out;
  out.reserve(megabytes << 20);
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
  while (out.size() < (megabytes << 20)) {
    if ((out.size() & ((4u << 20) - 1)) < 16) {
      for (int i = 0; i < 65536; ++i) out.push_back(static_cast<char>(next() >> 24));
    }
    std::uint32_t r = next() >> 16;
    out += words[(r & 15) & ((r >> 4) & 15)];
    out.push_back((r & 0x300) ? ' ' : '\n');
  }
  std::ofstream(path, std::ios::binary).write(out.data(), static_cast<std::streamsize>(out.size()));
}

std::vector<std::uint8_t> readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Best of three runs of a shell command; negative if it failed.
double timeTool(const std::string& command) {
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    auto t = Clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    best = std::min(best, seconds(t));
  }
  return best;
}

template <class Open>
double timeOurs(const std::vector<std::uint8_t>& archive, Open open, std::uint64_t expected) {
  double best = 1e9;
  for (int i = 0; i < 3; ++i) {
    Result r;
    auto reader = open(ByteSpan(archive), r);
    std::vector<MemberEntry> members;
    // Listing a .bz2 decodes it once to learn the size; only the
    // extraction, the tools' equal, is timed.
    if (!reader || reader->list(members) != Result::ok || members.empty()) return -1;
    auto t = Clock::now();
    CountingSink sink;
    if (reader->extract(members[0], sink) != Result::ok || sink.bytes != expected) return -1;
    best = std::min(best, seconds(t));
  }
  return best;
}

void report(const char* what, double ours, double theirs) {
  if (ours < 0 || theirs < 0) {
    std::printf("%-8s skipped (tool missing or failed)\n", what);
    return;
  }
  std::printf("%-8s ours %7.3f s   reference %7.3f s   ratio %.2f\n", what, ours, theirs, ours / theirs);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t mb = argc > 1 ? static_cast<std::size_t>(std::atoi(argv[1])) : 50;
  char dirTemplate[] = "/tmp/rivano-bench-XXXXXX";
  if (!mkdtemp(dirTemplate)) return 1;
  const std::string dir = dirTemplate;
  const std::string input = dir + "/input.txt";
  makeInput(input, mb);
  const std::uint64_t size = readAll(input).size();
  std::printf("input %llu bytes\n", static_cast<unsigned long long>(size));

  const std::string q = " > /dev/null 2>&1";
  std::system(("bzip2 -9 -k " + input + q).c_str());
  std::system(("cd " + dir + " && arj a -m1 -y in.arj input.txt" + q).c_str());
  std::system(("cd " + dir + " && jlha c2o5q in.lzh input.txt" + q).c_str());

  auto bz = readAll(input + ".bz2");
  report("bzip2", timeOurs(bz, [](ByteSpan d, Result& r) { return openBzip2(d, "input.txt.bz2", Limits{}, r, nullptr); }, size),
         timeTool("bzip2 -dc " + input + ".bz2 > /dev/null"));
  auto arjData = readAll(dir + "/in.arj");
  report("arj -m1", timeOurs(arjData, [](ByteSpan d, Result& r) { return openArj(d, Limits{}, r); }, size),
         timeTool("arj t -y " + dir + "/in.arj" + q));
  auto lzh = readAll(dir + "/in.lzh");
  report("lzh -lh5-", timeOurs(lzh, [](ByteSpan d, Result& r) { return openLzh(d, Limits{}, r); }, size),
         timeTool("lhasa t " + dir + "/in.lzh" + q));
  std::system(("rm -rf " + dir).c_str());
  return 0;
}
