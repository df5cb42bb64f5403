// The exported functions of one archiver library. The same source is built
// once per library; RIVANO_ARC_PREFIX names it ("UnZip", "Tar", ...) and the
// generated .def file exports these under that prefix. No exception leaves
// an export: each ends in a catch that turns it into an error code.
#include <windows.h>

#include <cstring>
#include <mutex>
#include <set>

#include "archivers/dll/archive_shell.h"

#ifndef RIVANO_ARC_PREFIX
#error "RIVANO_ARC_PREFIX must name the library's export prefix"
#endif

using HARC = HANDLE;

namespace {

using rivano::arc::ArchiveSession;

constexpr std::string_view kPrefix = RIVANO_ARC_PREFIX;
constexpr WORD kVersion = 100;

// Handles given out and not yet closed. A handle is a session pointer, but
// only one found here is ever used, so a stale or made-up handle is an
// error result instead of a crash.
std::mutex gLock;
std::set<ArchiveSession*> gSessions;

ArchiveSession* sessionOf(HARC handle) {
  auto* session = static_cast<ArchiveSession*>(handle);
  return gSessions.count(session) != 0 ? session : nullptr;
}

void copyMessage(const std::string& message, LPSTR output, DWORD size) {
  if (output == nullptr || size == 0) return;
  const std::size_t n = message.size() < size ? message.size() : size - 1;
  std::memcpy(output, message.data(), n);
  output[n] = '\0';
}

}  // namespace

extern "C" {

WORD WINAPI ArcGetVersion() { return kVersion; }

int WINAPI ArcCommand(HWND, LPCSTR commandLine, LPSTR output, DWORD outputSize) {
  try {
    if (commandLine == nullptr) return rivano::arc::kErrorCommand;
    std::string message;
    const int rc = rivano::arc::runCommand(kPrefix, commandLine, message);
    copyMessage(message, output, outputSize);
    return rc;
  } catch (...) {
    return rivano::arc::kErrorInternal;
  }
}

HARC WINAPI ArcOpenArchive(HWND, LPCSTR archivePath, DWORD) {
  try {
    int error = 0;
    std::unique_ptr<ArchiveSession> session = rivano::arc::openSession(kPrefix, archivePath, error);
    if (!session) return nullptr;
    std::lock_guard<std::mutex> lock(gLock);
    gSessions.insert(session.get());
    return session.release();
  } catch (...) {
    return nullptr;
  }
}

int WINAPI ArcFindFirst(HARC handle, LPCSTR wildcard, rivano::arc::MemberInfo* info) {
  try {
    std::lock_guard<std::mutex> lock(gLock);
    ArchiveSession* session = sessionOf(handle);
    if (session == nullptr || info == nullptr) return rivano::arc::kErrorBadHandle;
    session->pattern = wildcard != nullptr ? wildcard : "";
    session->cursor = 0;
    return rivano::arc::nextMember(*session, *info);
  } catch (...) {
    return rivano::arc::kErrorInternal;
  }
}

int WINAPI ArcFindNext(HARC handle, rivano::arc::MemberInfo* info) {
  try {
    std::lock_guard<std::mutex> lock(gLock);
    ArchiveSession* session = sessionOf(handle);
    if (session == nullptr || info == nullptr) return rivano::arc::kErrorBadHandle;
    return rivano::arc::nextMember(*session, *info);
  } catch (...) {
    return rivano::arc::kErrorInternal;
  }
}

int WINAPI ArcCloseArchive(HARC handle) {
  try {
    std::lock_guard<std::mutex> lock(gLock);
    ArchiveSession* session = sessionOf(handle);
    if (session == nullptr) return rivano::arc::kErrorBadHandle;
    gSessions.erase(session);
    delete session;
    return 0;
  } catch (...) {
    return rivano::arc::kErrorInternal;
  }
}

}  // extern "C"
