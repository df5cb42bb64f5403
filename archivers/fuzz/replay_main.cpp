// Runs a fuzz target's entry point once over every file named on the
// command line or found in a named folder: the kept corpus and the inputs
// of past findings replayed in the ordinary build, as a test. A crash, an
// abort on a broken invariant or a hang fails it.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool replay(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
    return false;
  }
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t count = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    std::error_code error;
    if (!std::filesystem::exists(arg, error)) {
      // A corpus that a run left empty is not kept in the repository.
      std::printf("%s: not there, nothing to replay\n", argv[i]);
      continue;
    }
    if (!std::filesystem::is_directory(arg, error)) {
      ok = replay(arg) && ok;
      ++count;
      continue;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(arg, error)) {
      if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
      ok = replay(file) && ok;
      ++count;
    }
  }
  std::printf("%zu inputs replayed\n", count);
  return ok ? 0 : 1;
}
