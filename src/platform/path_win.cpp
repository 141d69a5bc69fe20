// Narrow to wide and back for paths and system texts, and the long form of long paths.
#include "platform/path_win.h"

#include <windows.h>

#include <climits>
#include <cwchar>

namespace {

// The process's ANSI code page: the shipped manifest makes it UTF-8 where the system honours
// that, and the byte-string dialogs and boxes speak the same code page either way.
constexpr UINT kPathCodePage = CP_ACP;

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";
constexpr wchar_t kDevicePrefix[] = L"\\\\.\\";

bool StartsWith(const std::wstring& s, const wchar_t* prefix) {
  return s.compare(0, std::wcslen(prefix), prefix) == 0;
}

}  // namespace

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
    if (n == 0) return std::wstring();
    if (n < full.size()) {
      full.resize(n);
      return full;
    }
    full.resize(n);  // n counts the NUL when the buffer was too small
  }
}

unsigned PathCodePage() {
  return kPathCodePage == CP_ACP ? GetACP() : kPathCodePage;
}

std::wstring SystemPath(const std::wstring& path) {
  // Already in a form the system takes as it is; a device name stays a device.
  if (StartsWith(path, kLongPrefix) || StartsWith(path, kDevicePrefix)) return path;
  const std::wstring full = FullPath(path);
  // A short path keeps its plain form, so "NUL" and its kind still name their devices.
  if (full.size() < MAX_PATH) return path;
  if (StartsWith(full, kDevicePrefix) || StartsWith(full, kLongPrefix)) return full;
  if (StartsWith(full, L"\\\\")) return kLongUncPrefix + full.substr(2);
  if (full.size() > 2 && full[1] == L':') return kLongPrefix + full;
  return path;
}

bool WidenPath(const char* path, std::wstring* wide) {
  const int n = MultiByteToWideChar(kPathCodePage, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
  if (n <= 0) return false;
  std::wstring w(static_cast<size_t>(n), L'\0');
  if (MultiByteToWideChar(kPathCodePage, MB_ERR_INVALID_CHARS, path, -1, &w[0], n) != n) {
    return false;
  }
  w.resize(static_cast<size_t>(n) - 1);  // the converted NUL
  *wide = SystemPath(w);
  return true;
}

bool NarrowText(const wchar_t* text, char* out, size_t cap) {
  if (cap == 0) return false;
  const int limit = cap > INT_MAX ? INT_MAX : static_cast<int>(cap) - 1;
  int len = static_cast<int>(std::wcslen(text));
  bool whole = true;
  // Shortens the text until its narrow form fits, never between the halves of a surrogate pair.
  for (;;) {
    const int n =
        len == 0 ? 0
                 : WideCharToMultiByte(kPathCodePage, 0, text, len, out, limit, nullptr, nullptr);
    if (n > 0 || len == 0) {
      out[n] = '\0';
      return whole;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
      out[0] = '\0';
      return false;
    }
    whole = false;
    --len;
    if (len > 0 && IS_HIGH_SURROGATE(text[len - 1])) --len;
  }
}
