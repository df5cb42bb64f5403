#include "archive/archive_access.h"

#include <cstring>
#include <utility>

#include "archive/member_text.h"
#include "engine/path_kind.h"
#include "platform/ansi.h"
#include "platform/file_system.h"
#include "common/run_error.h"
#include "shell/file_type_name.h"

namespace rivano {
namespace {

// A fixed-width text field of the member record, up to its first NUL.
std::string_view field(const char* text, std::size_t width) {
  const void* nul = std::memchr(text, '\0', width);
  return {text, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : width};
}

// Closes the archive on every way out, the overflow error included.
class OpenedArchive {
 public:
  OpenedArchive(const win::ArchiverFunctions& f, HWND owner, const std::string& path)
      : f_(f), handle_(f.openArchive(owner, path.c_str(), 0)) {}
  ~OpenedArchive() {
    if (handle_) f_.closeArchive(handle_);
  }
  OpenedArchive(const OpenedArchive&) = delete;
  OpenedArchive& operator=(const OpenedArchive&) = delete;
  win::HARC get() const { return handle_; }

 private:
  const win::ArchiverFunctions& f_;
  win::HARC handle_;
};

constexpr int kExistencePolls = 3000;

// The archiver interface takes ANSI text only. A name the code page cannot
// hold would reach the library with "?" in it, naming another file or
// none, and fail (or worse, succeed on the other file) without a word: it
// is refused here with the error of a file that cannot be found under the
// name given (53), or of a folder (76), which the caller's error dialog
// explains as a path to check.
std::string ansiOrRaise(std::wstring_view name, int number, const char* what) {
  auto ansi = win::toAnsiExact(name);
  if (!ansi) throw RunError(number, std::string(what) + " not expressible in the ANSI code page");
  return std::move(*ansi);
}

}  // namespace

std::int16_t archiverCodeFor(ArchiveAccess& access, std::wstring_view archivePath) {
  const SourceKind kind = archiveKindOf(archivePath);
  if (!isArchive(kind)) return 0;
  const std::int16_t code = rowOf(kind)->libraryCode;
  const win::ArchiverFunctions* f = access.libraries.functions(code);
  if (f == nullptr) {
    if (access.quiet) return 0;
    throw ArchiverMissing();
  }
  f->getVersion();
  return code;
}

bool runArchiverCommand(ArchiveAccess& access, HWND owner, std::int16_t libraryCode,
                        std::wstring_view commandLine) {
  const win::ArchiverFunctions* f = access.libraries.functions(libraryCode);
  if (f == nullptr) return false;
  // Never a mangled line: the callers have refused unfit names already.
  auto exact = win::toAnsiExact(commandLine);
  if (!exact) return false;
  std::string line = std::move(*exact);
  line.push_back('\0');
  char output[1] = {'\0'};
  return f->command(owner, line.c_str(), output, 0) == 0;
}

void addArchivePictures(ArchiveAccess& access, HWND owner, PictureListRows& rows,
                        std::wstring_view archivePath) {
  const std::int16_t code = archiverCodeFor(access, archivePath);
  if (code == 0) return;
  const win::ArchiverFunctions* f = access.libraries.functions(code);
  OpenedArchive archive(*f, owner, ansiOrRaise(archivePath, err::fileNotFound, "archive path"));
  // A library that could not open the archive hands out no handle; asking
  // it for members of a null handle is not something every library survives.
  if (!archive.get()) return;

  win::ArchiveMemberInfo info{};
  for (int found = f->findFirst(archive.get(), "*.*", &info); found == 0;
       found = f->findNext(archive.get(), &info)) {
    const std::wstring name = win::fromAnsi(field(info.fileName, sizeof info.fileName));
    if (!isPictureName(name)) continue;
    std::wstring sizeText;
    try {
      sizeText = memberSizeText(info.originalSize);
    } catch (const RunError&) {
      if (access.quiet) continue;
      throw;
    }
    const std::wstring typeName = fileTypeName(access.registry, name);
    const std::wstring dateText = memberDateText(info.date);
    const std::wstring attrText =
        memberAttributeText(win::fromAnsi(field(info.attribute, sizeof info.attribute)));
    rows.addRow(name, sizeText, typeName, dateText, attrText);
  }
}

PictureRows listArchivePictures(ArchiveAccess& access, HWND owner, std::wstring_view archivePath) {
  class Collected final : public PictureListRows {
   public:
    void addRow(const std::wstring& name, const std::wstring& size, const std::wstring& type,
                const std::wstring& date, const std::wstring& attributes) override {
      rows.add({name, size, type, date, attributes});
    }
    PictureRows rows;
  } collected;
  addArchivePictures(access, owner, collected, archivePath);
  return std::move(collected.rows);
}

std::wstring extractMember(ArchiveAccess& access, std::wstring_view archivePath,
                          std::wstring_view memberName) {
  // Checked before anything touches the disk: for "..\x" the target below
  // would name a file outside the folder, which the reuse test would hand
  // out as if it had been extracted.
  if (!memberNameStaysInside(memberName)) return {};
  // Without its folder the target would hang off the root of the drive.
  if (access.unpackFolder.empty()) return {};
  const std::wstring target = access.unpackFolder + L"\\" + std::wstring(memberName);
  if (win::fileExists(target)) return target;

  const std::int16_t code = archiverCodeFor(access, archivePath);
  if (code == 0) return target;
  ansiOrRaise(archivePath, err::fileNotFound, "archive path");
  ansiOrRaise(access.unpackFolder, err::pathNotFound, "unpack folder");
  ansiOrRaise(memberName, err::fileNotFound, "member name");
  const std::wstring command =
      extractCommandLine(archiveKindOf(archivePath), archivePath, access.unpackFolder, memberName);
  runArchiverCommand(access, access.mainWindow, code, command);
  for (int i = 0; i < kExistencePolls; ++i)
    if (win::fileExists(target)) break;
  return target;
}

}  // namespace rivano
