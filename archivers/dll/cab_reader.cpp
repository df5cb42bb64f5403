#include "archivers/dll/cab_reader.h"

#include <windows.h>
#include <fcntl.h>
#include <fdi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>

#include "platform/system_libraries.h"

namespace rivano::arc {
namespace {

// The only name our open callback answers to: FDI never touches the disk.
constexpr char kCabinetName[] = "rivano-memory.cab";
constexpr unsigned kNameIsUtf8 = 0x80;  // _A_NAME_IS_UTF

using FdiCreateFn = HFDI(DIAMONDAPI*)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE, PFNCLOSE, PFNSEEK, int, PERF);
using FdiIsCabinetFn = BOOL(DIAMONDAPI*)(HFDI, INT_PTR, PFDICABINETINFO);
using FdiCopyFn = BOOL(DIAMONDAPI*)(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT, void*);
using FdiDestroyFn = BOOL(DIAMONDAPI*)(HFDI);

struct FdiApi {
  FdiCreateFn create = nullptr;
  FdiIsCabinetFn isCabinet = nullptr;
  FdiCopyFn copy = nullptr;
  FdiDestroyFn destroy = nullptr;
};

// Loaded on first use, so the other libraries never pull in cabinet.dll;
// from the system folder only, never a file of that name beside the
// program that loads this library.
const FdiApi* fdiApi() {
  static const FdiApi api = [] {
    FdiApi a;
    HMODULE module = rivano::win::loadSystemLibrary(L"cabinet.dll");
    if (module == nullptr) return a;
    a.create = reinterpret_cast<FdiCreateFn>(reinterpret_cast<void*>(GetProcAddress(module, "FDICreate")));
    a.isCabinet = reinterpret_cast<FdiIsCabinetFn>(reinterpret_cast<void*>(GetProcAddress(module, "FDIIsCabinet")));
    a.copy = reinterpret_cast<FdiCopyFn>(reinterpret_cast<void*>(GetProcAddress(module, "FDICopy")));
    a.destroy = reinterpret_cast<FdiDestroyFn>(reinterpret_cast<void*>(GetProcAddress(module, "FDIDestroy")));
    return a;
  }();
  return api.create && api.isCabinet && api.copy && api.destroy ? &api : nullptr;
}

// One FDI "file": the cabinet bytes being read or the sink being written.
struct MemoryFile {
  ByteSpan cabinet;
  std::size_t position = 0;
  Sink* sink = nullptr;
  std::uint64_t written = 0;
  std::uint64_t limit = 0;
  bool overflow = false;   // more bytes than the member's declared size
  bool refused = false;    // the sink would not take them
};

// What the callbacks of one FDI call work on. FDI's open callback has no
// context argument, hence the thread-local pointer.
struct Operation {
  ByteSpan cabinet;
  std::list<MemoryFile> files;
  // Listing.
  std::vector<MemberEntry>* members = nullptr;
  std::size_t maxMembers = 0;
  bool tooMany = false;
  // Extraction.
  const MemberEntry* target = nullptr;
  Sink* sink = nullptr;
  std::uint64_t limit = 0;
  std::uint64_t seen = 0;
  MemoryFile* output = nullptr;
  bool done = false;
};
thread_local Operation* tCurrent = nullptr;

MemoryFile* fileOf(INT_PTR handle) { return reinterpret_cast<MemoryFile*>(handle); }

FNALLOC(fdiAlloc) { return std::malloc(cb); }
FNFREE(fdiFree) { std::free(pv); }

FNOPEN(fdiOpen) {
  (void)oflag;
  (void)pmode;
  if (tCurrent == nullptr || pszFile == nullptr || std::strstr(pszFile, kCabinetName) == nullptr) return -1;
  MemoryFile& f = tCurrent->files.emplace_back();
  f.cabinet = tCurrent->cabinet;
  return reinterpret_cast<INT_PTR>(&f);
}

FNREAD(fdiRead) {
  MemoryFile* f = fileOf(hf);
  if (f->sink != nullptr) return static_cast<UINT>(-1);
  const std::size_t n = std::min<std::size_t>(cb, f->cabinet.size() - f->position);
  if (n > 0) std::memcpy(pv, f->cabinet.data() + f->position, n);
  f->position += n;
  return static_cast<UINT>(n);
}

FNWRITE(fdiWrite) {
  MemoryFile* f = fileOf(hf);
  if (f->sink == nullptr) return static_cast<UINT>(-1);
  if (cb > f->limit - f->written) {
    f->overflow = true;
    return static_cast<UINT>(-1);
  }
  if (cb > 0 && !f->sink->write(static_cast<std::uint8_t*>(pv), cb)) {
    f->refused = true;
    return static_cast<UINT>(-1);
  }
  f->written += cb;
  return cb;
}

FNCLOSE(fdiClose) {
  (void)hf;
  return 0;  // the Operation owns every MemoryFile
}

FNSEEK(fdiSeek) {
  MemoryFile* f = fileOf(hf);
  const long long size = static_cast<long long>(f->cabinet.size());
  long long base = seektype == SEEK_CUR ? static_cast<long long>(f->position) : seektype == SEEK_END ? size : 0;
  const long long to = base + dist;
  if (f->sink != nullptr || to < 0 || to > size) return -1;
  f->position = static_cast<std::size_t>(to);
  return static_cast<long>(to);
}

MemberEntry entryFrom(const FDINOTIFICATION* n, std::size_t index) {
  MemberEntry m;
  m.name = n->psz1 != nullptr ? n->psz1 : "";
  m.nameIsUtf8 = (n->attribs & kNameIsUtf8) != 0;
  m.size = static_cast<std::uint32_t>(n->cb);
  m.packedSize = m.size;
  m.dosDate = n->date;
  m.dosTime = n->time;
  m.dosAttributes = static_cast<std::uint8_t>(n->attribs & 0x27);
  if (m.dosAttributes == 0) m.dosAttributes = 0x20;
  m.method = "cab";
  m.locator = index;
  return m;
}

INT_PTR copyFile(Operation& op, const FDINOTIFICATION* n) {
  const std::uint64_t index = op.seen++;
  if (op.members != nullptr) {
    if (op.members->size() >= op.maxMembers) {
      op.tooMany = true;
      return -1;
    }
    op.members->push_back(entryFrom(n, static_cast<std::size_t>(index)));
    return 0;  // skip: listing decompresses nothing
  }
  if (op.done) return -1;  // the member is out; stop FDI here
  if (index != op.target->locator || n->psz1 == nullptr || op.target->name != n->psz1) return 0;
  MemoryFile& f = op.files.emplace_back();
  f.sink = op.sink;
  f.limit = op.limit;
  op.output = &f;
  return reinterpret_cast<INT_PTR>(&f);
}

FNFDINOTIFY(fdiNotify) {
  Operation& op = *tCurrent;
  switch (fdint) {
    case fdintCOPY_FILE: return copyFile(op, pfdin);
    case fdintCLOSE_FILE_INFO:
      op.done = true;
      return TRUE;
    case fdintNEXT_CABINET: return -1;  // members spanning cabinets are not ours to read
    default: return 0;
  }
}

Result resultOf(const ERF& erf) {
  switch (erf.erfOper) {
    case FDIERROR_NOT_A_CABINET:
    case FDIERROR_UNKNOWN_CABINET_VERSION: return Result::notThisFormat;
    case FDIERROR_BAD_COMPR_TYPE: return Result::unsupportedMethod;
    case FDIERROR_ALLOC_FAIL:
    case FDIERROR_TARGET_FILE: return Result::ioError;
    default: return Result::corrupt;
  }
}

// Runs one FDI pass over the cabinet with `op` as the callbacks' context.
Result runFdi(Operation& op, bool onlyProbe) {
  const FdiApi* api = fdiApi();
  if (api == nullptr) return Result::ioError;
  ERF erf{};
  HFDI fdi = api->create(fdiAlloc, fdiFree, fdiOpen, fdiRead, fdiWrite, fdiClose, fdiSeek, cpuUNKNOWN, &erf);
  if (fdi == nullptr) return Result::ioError;
  Operation* outer = tCurrent;
  tCurrent = &op;
  Result result = Result::ok;
  char name[sizeof kCabinetName];  // FDI takes the names as writable strings
  std::memcpy(name, kCabinetName, sizeof name);
  char path[] = "";
  if (onlyProbe) {
    FDICABINETINFO info{};
    const INT_PTR hf = fdiOpen(name, _O_RDONLY, 0);
    result = hf != -1 && api->isCabinet(fdi, hf, &info) ? Result::ok : Result::notThisFormat;
  } else if (!api->copy(fdi, name, path, 0, fdiNotify, nullptr, nullptr) && !op.done) {
    result = resultOf(erf);
  }
  tCurrent = outer;
  api->destroy(fdi);
  return result;
}

class CabReader final : public ArchiveReader {
 public:
  CabReader(ByteSpan data, const Limits& limits) : data_(data), limits_(limits) {}

  Result list(std::vector<MemberEntry>& members) override {
    Operation op;
    op.cabinet = data_;
    op.members = &members;
    op.maxMembers = limits_.maxMembers;
    const Result r = runFdi(op, false);
    return op.tooMany ? Result::tooLarge : r;
  }

  Result extract(const MemberEntry& member, Sink& sink) override {
    if (member.size > limits_.maxMemberSize) return Result::tooLarge;
    Operation op;
    op.cabinet = data_;
    op.target = &member;
    op.sink = &sink;
    op.limit = member.size;
    Result r = runFdi(op, false);
    if (op.output == nullptr) return r == Result::ok ? Result::corrupt : r;
    if (op.output->overflow) return Result::corrupt;
    if (op.output->refused) return Result::ioError;
    if (r != Result::ok) return r;
    return op.done && op.output->written == member.size ? Result::ok : Result::corrupt;
  }

 private:
  ByteSpan data_;
  Limits limits_;
};

}  // namespace

std::unique_ptr<ArchiveReader> openCab(ByteSpan data, const Limits& limits, Result& result) {
  if (data.size() < 4 || std::memcmp(data.data(), "MSCF", 4) != 0) {
    result = Result::notThisFormat;
    return nullptr;
  }
  Operation op;
  op.cabinet = data;
  result = runFdi(op, true);
  if (result != Result::ok) return nullptr;
  return std::make_unique<CabReader>(data, limits);
}

}  // namespace rivano::arc
