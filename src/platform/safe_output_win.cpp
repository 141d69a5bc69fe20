// Safe output on Windows: a temporary file beside the target, flushed and closed, then put in
// the target's place by ReplaceFileW (which keeps the target's attributes and permissions) or,
// for a new file, by MoveFileExW.
#include <windows.h>

#include <string>

#include "platform/file_faults.h"
#include "platform/file_io_win.h"
#include "platform/path_win.h"
#include "platform/safe_output.h"

struct SafeOutput {
  FileHandle* file;
  std::wstring target;  // absolute, links followed
  std::wstring temp;    // empty when the target is written directly
  bool replace;         // the target existed when the output began
};

namespace {

constexpr wchar_t kTempStem[] = L"~figmerg-";
// Another program (a virus scanner, an indexer, a viewer) may hold the target for a moment;
// this many tries this far apart ride that out without making a user wait for a stuck one.
constexpr int kPutTries = 5;
constexpr DWORD kPutRetryMs = 100;
// A name taken by a file an earlier process left behind is passed over; names are fresh at
// every try, so a few tries find a free one.
constexpr int kBackupNameTries = 10;

// The folder part of path, with its final separator, or empty for the current folder.
std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos) return path.substr(0, slash + 1);
  if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
  return std::wstring();
}

bool IsSharingViolation(DWORD err) {
  return err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION ||
         err == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The path a symbolic link leads to, by the handle opened through it; the link's own path when
// the system cannot tell.
std::wstring FinalPath(HANDLE h, const std::wstring& path) {
  std::wstring final(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetFinalPathNameByHandleW(h, &final[0], static_cast<DWORD>(final.size()),
                                              FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return path;
    if (n < final.size()) {
      final.resize(n);
      return final;
    }
    final.resize(n + 1);
  }
}

SafeOutput* OpenDirect(const std::wstring& target) {
  const HANDLE h = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    Fail(GetLastError());
    return nullptr;
  }
  return new SafeOutput{NewHandle(h), target, std::wstring(), false};
}

SafeOutput* OpenTemp(const std::wstring& target, bool replace) {
  std::wstring temp;
  const HANDLE h =
      CreateUniqueFile(FolderOf(target), kTempStem, GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL, &temp);
  if (h == INVALID_HANDLE_VALUE) {
    Fail(GetLastError());
    return nullptr;
  }
  return new SafeOutput{NewHandle(h), target, temp, replace};
}

// One attempt to put the temporary file in the target's place. The old target goes to backup
// first, so that a replace that fails half way can be undone.
bool Put(const SafeOutput* o, const std::wstring& backup) {
  if (!o->replace) {
    return MoveFileExW(o->temp.c_str(), o->target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }
  if (ReplaceFileW(o->target.c_str(), o->temp.c_str(), backup.c_str(),
                   REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
    return true;
  }
  // Some failures leave the old target under the backup name only: put it back.
  const DWORD err = GetLastError();
  if (!Exists(o->target) && Exists(backup)) MoveFileExW(backup.c_str(), o->target.c_str(), 0);
  SetLastError(err);
  return false;
}

bool PutWithRetries(const SafeOutput* o) {
  std::wstring backup;
  for (int i = 0; o->replace && i < kBackupNameTries && (backup.empty() || Exists(backup)); ++i) {
    backup = UniqueName(FolderOf(o->target), kTempStem);
  }
  for (int attempt = 1;; ++attempt) {
    if (Put(o, backup)) break;
    const DWORD err = GetLastError();
    if (attempt == kPutTries || !IsSharingViolation(err)) return Fail(err);
    Sleep(kPutRetryMs);
  }
  // The old bytes are no longer wanted; one still open elsewhere goes when it is closed.
  if (o->replace) DeleteFileW(backup.c_str());
  return true;
}

}  // namespace

SafeOutput* SafeOutputOpen(const char* target) {
  if (FileFaultNow()) {
    Fail(ERROR_DISK_FULL);
    return nullptr;
  }
  std::wstring wide;
  if (!WidenPath(target, &wide)) {
    Fail(GetLastError());
    return nullptr;
  }
  // A look at what stands there now, asking for no access so that nobody's sharing refuses it,
  // and with backup semantics so that a folder opens and can be told apart.
  const HANDLE probe =
      CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (probe == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    // Only a missing file is a new output; a missing folder cannot take one.
    if (err != ERROR_FILE_NOT_FOUND) {
      Fail(err);
      return nullptr;
    }
    // Absolute, so that a change of the current folder before the commit changes nothing.
    const std::wstring full = FullPath(wide);
    if (full.empty()) {
      Fail(GetLastError());
      return nullptr;
    }
    return OpenTemp(SystemPath(full), false);
  }
  if (GetFileType(probe) != FILE_TYPE_DISK) {
    // A device or a pipe cannot be replaced, and holds nothing to lose.
    CloseHandle(probe);
    return OpenDirect(wide);
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(probe, &info)) {
    const DWORD err = GetLastError();
    CloseHandle(probe);
    Fail(err);
    return nullptr;
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
    // What CreateFileW itself answers when asked to write over a folder.
    CloseHandle(probe);
    Fail(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  // The probe followed any link; the file it reached is the one to replace, not the link.
  const DWORD own = GetFileAttributesW(wide.c_str());
  const std::wstring real = own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT)
                                ? FinalPath(probe, wide)
                                : FullPath(wide);
  CloseHandle(probe);
  if (real.empty()) {
    Fail(GetLastError());
    return nullptr;
  }
  return OpenTemp(SystemPath(real), true);
}

FileHandle* SafeOutputFile(SafeOutput* o) {
  return o->file;
}

bool SafeOutputCommit(SafeOutput* o) {
  const bool viaTemp = !o->temp.empty();
  DWORD err = ERROR_SUCCESS;
  if (viaTemp && FileFaultNow()) {
    err = ERROR_DISK_FULL;
  } else if (viaTemp && !FlushFileBuffers(o->file->h)) {
    err = GetLastError();
  }
  const bool closed = FileClose(o->file);
  // A flush failure is the first thing that went wrong and the better reason to give.
  bool ok = err == ERROR_SUCCESS ? closed : Fail(err);
  if (ok && viaTemp && FileFaultNow()) ok = Fail(ERROR_DISK_FULL);
  if (ok && viaTemp) ok = PutWithRetries(o);
  if (!ok && viaTemp) {
    err = GetLastError();
    DeleteFileW(o->temp.c_str());
    SetLastError(err);
  }
  delete o;
  return ok;
}

void SafeOutputAbort(SafeOutput* o) {
  FileClose(o->file);
  if (!o->temp.empty()) DeleteFileW(o->temp.c_str());
  delete o;
}
