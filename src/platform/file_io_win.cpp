// The file layer on Windows: the wide Win32 calls on handles, no C runtime buffering in between,
// and the system's own message for every failure.
#include "platform/file_io_win.h"

#include <windows.h>

#include <cwchar>

#include "platform/file_faults.h"
#include "platform/file_io.h"
#include "platform/path_win.h"

namespace {

// ReadFile and WriteFile count in DWORDs; larger requests go in pieces of this size.
constexpr DWORD kMaxIoBytes = 1u << 30;
constexpr size_t kErrorChars = 512;
// A UTF-16 unit becomes at most three bytes in UTF-8 and two in any other ANSI code page.
constexpr size_t kMaxBytesPerChar = 3;
constexpr size_t kErrorBytes = kErrorChars * kMaxBytesPerChar + 1;
constexpr size_t kTailChars = 48;
// CREATE_NEW fails only on a name already taken, and a fresh name is rarely taken; this many
// taken names in a row mean something else is wrong.
constexpr int kMaxNameTries = 100;
constexpr wchar_t kScratchStem[] = L"figmerg-";

char g_error[kErrorBytes];
unsigned long g_nameCount = 0;

FileHandle g_stdin{nullptr, true};
FileHandle g_stdout{nullptr, true};

bool IsLineEnd(wchar_t c) {
  return c == L'\r' || c == L'\n' || c == L' ';
}

// The folder for scratch files, ending in a separator, or empty when the system has none.
std::wstring TempFolder() {
  std::wstring folder(MAX_PATH + 1, L'\0');
  for (;;) {
    const DWORD n = GetTempPathW(static_cast<DWORD>(folder.size()), &folder[0]);
    if (n == 0) return std::wstring();
    if (n < folder.size()) {
      folder.resize(n);
      return folder;
    }
    folder.resize(n + 1);
  }
}

}  // namespace

bool Fail(DWORD err) {
  static wchar_t message[kErrorChars];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, err,
                           0, message, kErrorChars, nullptr);
  if (n == 0) {
    const int made =
        std::swprintf(message, kErrorChars, L"system error %lu", static_cast<unsigned long>(err));
    n = made > 0 ? static_cast<DWORD>(made) : 0;
  }
  // The system's messages end in CR LF, which would show as an empty line after the reason.
  while (n > 0 && IsLineEnd(message[n - 1])) --n;
  message[n] = L'\0';
  NarrowText(message, g_error, sizeof g_error);
  SetLastError(err);
  return false;
}

const char* FileError() {
  return g_error;
}

FileHandle* NewHandle(HANDLE h) {
  return new FileHandle{h, false};
}

std::wstring UniqueName(const std::wstring& folder, const std::wstring& stem) {
  wchar_t tail[kTailChars];
  std::swprintf(tail, kTailChars, L"%lx-%lx.tmp", static_cast<unsigned long>(GetCurrentProcessId()),
                ++g_nameCount);
  return SystemPath(folder + stem + tail);
}

HANDLE CreateUniqueFile(const std::wstring& folder, const std::wstring& stem, DWORD access,
                        DWORD flags, std::wstring* path) {
  for (int attempt = 0; attempt < kMaxNameTries; ++attempt) {
    *path = UniqueName(folder, stem);
    const HANDLE h = CreateFileW(path->c_str(), access, 0, nullptr, CREATE_NEW, flags, nullptr);
    if (h != INVALID_HANDLE_VALUE) return h;
    const DWORD err = GetLastError();
    if (err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS) return INVALID_HANDLE_VALUE;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return INVALID_HANDLE_VALUE;
}

FileHandle* FileOpenRead(const char* path) {
  if (FileFaultNow()) {
    Fail(ERROR_READ_FAULT);
    return nullptr;
  }
  std::wstring wide;
  if (!WidenPath(path, &wide)) {
    Fail(GetLastError());
    return nullptr;
  }
  // Others may read the file meanwhile, or rename it, which lets the input itself be replaced
  // by its consolidated form; a writer would change it under us and is refused.
  const HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    Fail(GetLastError());
    return nullptr;
  }
  return NewHandle(h);
}

// Looked up at each call: a program without a console gets its standard handles late or never.
FileHandle* FileStdin() {
  g_stdin.h = GetStdHandle(STD_INPUT_HANDLE);
  return &g_stdin;
}

FileHandle* FileStdout() {
  g_stdout.h = GetStdHandle(STD_OUTPUT_HANDLE);
  return &g_stdout;
}

long long FileRead(FileHandle* f, char* buf, size_t cap) {
  if (FileFaultNow()) {
    Fail(ERROR_READ_FAULT);
    return -1;
  }
  const DWORD want = cap < kMaxIoBytes ? static_cast<DWORD>(cap) : kMaxIoBytes;
  DWORD got = 0;
  if (ReadFile(f->h, buf, want, &got, nullptr)) return got;
  const DWORD err = GetLastError();
  // A pipe whose writer has gone has simply ended.
  if (err == ERROR_BROKEN_PIPE || err == ERROR_HANDLE_EOF) return 0;
  Fail(err);
  return -1;
}

bool FileWrite(FileHandle* f, const char* buf, size_t len) {
  if (FileFaultNow()) return Fail(ERROR_DISK_FULL);
  while (len > 0) {
    const DWORD want = len < kMaxIoBytes ? static_cast<DWORD>(len) : kMaxIoBytes;
    DWORD put = 0;
    if (!WriteFile(f->h, buf, want, &put, nullptr)) return Fail(GetLastError());
    // Success without progress would loop for ever; a disk file never does it.
    if (put == 0) return Fail(ERROR_WRITE_FAULT);
    buf += put;
    len -= put;
  }
  return true;
}

FileHandle* FileOpenScratch() {
  if (FileFaultNow()) {
    Fail(ERROR_DISK_FULL);
    return nullptr;
  }
  const std::wstring folder = TempFolder();
  if (folder.empty()) {
    Fail(GetLastError());
    return nullptr;
  }
  std::wstring path;
  // Deleted by the system when closed, however the program ends.
  const HANDLE h = CreateUniqueFile(folder, kScratchStem, GENERIC_READ | GENERIC_WRITE,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, &path);
  if (h == INVALID_HANDLE_VALUE) {
    Fail(GetLastError());
    return nullptr;
  }
  return NewHandle(h);
}

bool FileRewind(FileHandle* f) {
  if (FileFaultNow()) return Fail(ERROR_SEEK);
  LARGE_INTEGER start;
  start.QuadPart = 0;
  if (!SetFilePointerEx(f->h, start, nullptr, FILE_BEGIN)) return Fail(GetLastError());
  return true;
}

bool FileClose(FileHandle* f) {
  if (f->borrowed) return true;
  const bool faulted = FileFaultNow();
  const bool closed = CloseHandle(f->h) != 0;
  const DWORD err = GetLastError();
  delete f;
  if (faulted) return Fail(ERROR_DISK_FULL);
  if (!closed) return Fail(err);
  return true;
}
