// What the Windows file layer shares with the Windows safe output: the handle, the error text
// and the making of new files under unique names.
#pragma once
#include <windows.h>

#include <string>

struct FileHandle {
  HANDLE h;
  bool borrowed;  // standard input or output: never closed here
};

// Wraps a handle the caller opened; FileClose closes it.
FileHandle* NewHandle(HANDLE h);

// Records err (a system error code) as the reason FileError() gives. Returns false, so that a
// failing path can end with `return Fail(...)`.
bool Fail(DWORD err);

// A path in folder (empty for the current folder, else ending in a separator or a drive's colon)
// named stem followed by a tail made of the process id and a count, new at every call. A file
// left by an earlier process of the same id may still hold it.
std::wstring UniqueName(const std::wstring& folder, const std::wstring& stem);

// Creates a file under a UniqueName that did not exist before, trying further names while one
// is taken. Opened with access and flags as CreateFileW takes them, not shared. Returns the handle
// and its path in *path, or INVALID_HANDLE_VALUE with the system's last error set.
HANDLE CreateUniqueFile(const std::wstring& folder, const std::wstring& stem, DWORD access,
                        DWORD flags, std::wstring* path);
