// The Windows file layer and safe output, checked on a real Windows file system (under Wine):
// exact bytes, the target's old content kept until the commit, nothing left behind, and the
// system's reason on failure. Every result is checked with the system's own calls, not ours.
// Prints one line per failed check and ends with "N passed, N failed".
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_faults.h"
#include "platform/file_io.h"
#include "platform/path_win.h"
#include "platform/safe_output.h"

namespace {

constexpr size_t kBigBytes = 3 * 1024 * 1024 + 17;
constexpr size_t kScratchBytes = 100 * 1000;
constexpr size_t kReadChunk = 64 * 1024;
// Far more operations than one output takes: a sweep that gets here has lost its way.
constexpr long long kMaxSweep = 200;
constexpr size_t kLongSegment = 100;

// The current case's failures, printed as they happen.
const char* g_case = "";
int g_caseFailures = 0;
bool g_caseSkipped = false;

void Expect(bool ok, const char* what) {
  if (ok) return;
  ++g_caseFailures;
  std::printf("FAIL %s: %s\n", g_case, what);
}

// A folder of the test's own, as the system (wide) and our layer (narrow) name it; both end
// in a backslash.
struct Folder {
  std::wstring w;
  std::string a;
};

std::wstring g_root;

bool Narrow(const std::wstring& w, std::string* a) {
  const UINT cp = PathCodePage();
  BOOL lossy = FALSE;
  // UTF-8 has no default character to fall back on, so only the other code pages can lose one.
  BOOL* lossyOut = cp == CP_UTF8 ? nullptr : &lossy;
  const DWORD flags = cp == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  const int n = WideCharToMultiByte(cp, flags, w.c_str(), -1, nullptr, 0, nullptr, lossyOut);
  if (n <= 0 || lossy) return false;
  a->assign(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(cp, flags, w.c_str(), -1, &(*a)[0], n, nullptr, lossyOut);
  a->resize(static_cast<size_t>(n) - 1);
  return !lossy;
}

std::wstring Widen(const std::string& a) {
  std::wstring w(a.size() + 1, L'\0');
  const int n =
      MultiByteToWideChar(PathCodePage(), 0, a.c_str(), -1, &w[0], static_cast<int>(w.size()));
  w.resize(n > 0 ? static_cast<size_t>(n) - 1 : 0);
  return w;
}

Folder NewFolder(const char* name) {
  Folder f;
  f.w = g_root + Widen(name) + L"\\";
  CreateDirectoryW(f.w.c_str(), nullptr);
  Narrow(f.w, &f.a);
  return f;
}

bool WriteRaw(const std::wstring& path, const std::string& bytes) {
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
                  put == bytes.size();
  return CloseHandle(h) && ok;
}

// The file's bytes, or "<none>" when it cannot be opened.
std::string ReadRaw(const std::wstring& path) {
  const HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<none>";
  std::string bytes;
  char buf[kReadChunk];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
  CloseHandle(h);
  return bytes;
}

std::vector<std::wstring> Entries(const std::wstring& folder, const wchar_t* pattern = L"*") {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE h = FindFirstFileW((folder + pattern).c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    if (std::wcscmp(found.cFileName, L".") != 0 && std::wcscmp(found.cFileName, L"..") != 0) {
      names.push_back(found.cFileName);
    }
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return names;
}

// Only the named file stands in the folder: no temporary or backup file was left.
bool OnlyFile(const Folder& d, const wchar_t* name) {
  const std::vector<std::wstring> names = Entries(d.w);
  return names.size() == 1 && names[0] == name;
}

// The system's own message for err, as FormatMessageA gives it, without the line end.
std::string SystemMessage(DWORD err) {
  char text[512] = "";
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, err,
                           0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) --n;
  return std::string(text, n);
}

bool ReasonIsClean() {
  const char* e = FileError();
  const size_t n = std::strlen(e);
  return n > 0 && e[n - 1] != '\n' && e[n - 1] != '\r' && e[n - 1] != ' ';
}

// Our layer's reading of the whole file in pieces of chunk bytes; "<none>" when it cannot.
std::string ReadThrough(const std::string& path, size_t chunk) {
  FileHandle* f = FileOpenRead(path.c_str());
  if (f == nullptr) return "<none>";
  std::string bytes;
  std::vector<char> buf(chunk);
  long long n;
  while ((n = FileRead(f, buf.data(), chunk)) > 0) bytes.append(buf.data(), static_cast<size_t>(n));
  const bool closed = FileClose(f);
  return n == 0 && closed ? bytes : "<read failed>";
}

// One whole output to target in the given pieces; false when any step failed.
bool Output(const std::string& target, const std::vector<std::string>& pieces) {
  SafeOutput* o = SafeOutputOpen(target.c_str());
  if (o == nullptr) return false;
  for (const std::string& p : pieces) {
    if (!FileWrite(SafeOutputFile(o), p.data(), p.size())) {
      SafeOutputAbort(o);
      return false;
    }
  }
  return SafeOutputCommit(o);
}

// Every byte value, and the line ends and the end-of-file mark a text mode would change.
std::string AwkwardBytes() {
  std::string s = "g hip:1\r\nv 1 2 3\n\rf 1 2 3\r\r\n\x1a after SUB\n";
  for (int c = 0; c < 256; ++c) s += static_cast<char>(c);
  return s + std::string(1, '\0') + "last line without end";
}

void ReadsBackExactly() {
  const Folder d = NewFolder("read");
  const std::string bytes = AwkwardBytes();
  Expect(WriteRaw(d.w + L"in.obj", bytes), "set-up write");
  const size_t chunks[] = {1, 7, 4096, kReadChunk};
  for (size_t chunk : chunks) {
    Expect(ReadThrough(d.a + "in.obj", chunk) == bytes, "read back differs from the file");
  }
  Expect(ReadThrough(d.a + "empty.obj", 1) == "<none>", "a missing file opened");
  WriteRaw(d.w + L"empty.obj", "");
  Expect(ReadThrough(d.a + "empty.obj", 1).empty(), "an empty file read as something");
}

void WritesNewTargetExactly() {
  const Folder d = NewFolder("new");
  const std::string bytes = AwkwardBytes();
  Expect(Output(d.a + "out.obj", {bytes.substr(0, 10), bytes.substr(10)}), "output failed");
  Expect(ReadRaw(d.w + L"out.obj") == bytes, "written bytes differ");
  Expect(OnlyFile(d, L"out.obj"), "something besides the target was left");
}

void ReplacesOnlyAtCommit() {
  const Folder d = NewFolder("replace");
  Expect(WriteRaw(d.w + L"out.obj", "old content\r\n"), "set-up write");
  SafeOutput* o = SafeOutputOpen((d.a + "out.obj").c_str());
  Expect(o != nullptr, "open failed");
  if (o == nullptr) return;
  Expect(FileWrite(SafeOutputFile(o), "new\n", 4), "write failed");
  Expect(ReadRaw(d.w + L"out.obj") == "old content\r\n", "target changed before the commit");
  Expect(SafeOutputCommit(o), "commit failed");
  Expect(ReadRaw(d.w + L"out.obj") == "new\n", "target not replaced");
  Expect(OnlyFile(d, L"out.obj"), "a temporary or backup file was left");
}

void AbortLeavesTargetAsItWas() {
  const Folder d = NewFolder("abort");
  Expect(WriteRaw(d.w + L"out.obj", "old content"), "set-up write");
  const char* targets[] = {"out.obj", "absent.obj"};
  for (const char* t : targets) {
    SafeOutput* o = SafeOutputOpen((d.a + t).c_str());
    Expect(o != nullptr, "open failed");
    if (o == nullptr) continue;
    Expect(FileWrite(SafeOutputFile(o), "new", 3), "write failed");
    SafeOutputAbort(o);
  }
  Expect(ReadRaw(d.w + L"out.obj") == "old content", "abort changed the target");
  Expect(OnlyFile(d, L"out.obj"), "abort left a file behind");
}

void MissingFolderIsRefusedWithReason() {
  const Folder d = NewFolder("missing");
  struct Row {
    bool output;
    const char* path;
    DWORD err;
  };
  const Row rows[] = {{true, "no such folder\\out.obj", ERROR_PATH_NOT_FOUND},
                      {false, "no such folder\\in.obj", ERROR_PATH_NOT_FOUND},
                      {false, "absent.obj", ERROR_FILE_NOT_FOUND}};
  for (const Row& r : rows) {
    const std::string path = d.a + r.path;
    SafeOutput* o = r.output ? SafeOutputOpen(path.c_str()) : nullptr;
    FileHandle* f = r.output ? nullptr : FileOpenRead(path.c_str());
    const DWORD err = GetLastError();
    Expect(o == nullptr && f == nullptr, r.path);
    Expect(err == r.err, "not the system's error for a missing folder or file");
    Expect(ReasonIsClean(), "no clean reason for a missing folder or file");
    Expect(FileError() == SystemMessage(r.err), "the reason is not the system's message");
  }
  Expect(Entries(d.w).empty(), "a failed open created something");
}

void FolderAsTargetIsRefused() {
  const Folder d = NewFolder("folder");
  CreateDirectoryW((d.w + L"sub").c_str(), nullptr);
  Expect(SafeOutputOpen((d.a + "sub").c_str()) == nullptr, "a folder was taken as output");
  Expect(ReasonIsClean(), "no reason for the refused folder");
  Expect(FileOpenRead((d.a + "sub").c_str()) == nullptr, "a folder was opened as input");
  Expect(OnlyFile(d, L"sub"), "a refused folder output left a file");
}

void DeviceIsWrittenDirectly() {
  const Folder d = NewFolder("device");
  wchar_t before[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, before);
  SetCurrentDirectoryW(d.w.c_str());
  const char* devices[] = {"NUL", "nul", "\\\\.\\NUL"};
  for (const char* dev : devices) {
    Expect(Output(dev, {"g hip:1\n", std::string(kReadChunk, 'x')}), dev);
  }
  SetCurrentDirectoryW(before);
  Expect(Entries(d.w).empty(), "writing to NUL created a file");
}

void InputReplacedWhileStillOpen() {
  const Folder d = NewFolder("same");
  Expect(WriteRaw(d.w + L"fig.obj", "g hip:1\r\n"), "set-up write");
  const std::string path = d.a + "fig.obj";
  FileHandle* in = FileOpenRead(path.c_str());
  Expect(in != nullptr, "input open failed");
  if (in == nullptr) return;
  char buf[64];
  Expect(FileRead(in, buf, sizeof buf) == 9, "input read failed");
  Expect(Output(path, {"g Figure_1\r\n"}), "replacing the open input failed");
  Expect(FileClose(in), "input close failed");
  Expect(ReadRaw(d.w + L"fig.obj") == "g Figure_1\r\n", "input not replaced");
  Expect(OnlyFile(d, L"fig.obj"), "a backup of the input was left");
}

struct Holder {
  HANDLE file;
  DWORD ms;
};

DWORD WINAPI ReleaseLater(void* p) {
  const Holder* h = static_cast<const Holder*>(p);
  Sleep(h->ms);
  CloseHandle(h->file);
  return 0;
}

// Another program holding the target without letting it be renamed: a short hold is waited out,
// a long one fails the commit with the target as it was and nothing left behind.
void HeldTargetIsWaitedForBriefly() {
  struct Row {
    const char* label;
    DWORD holdMs;
    bool committed;
  };
  const Row rows[] = {{"held for a moment", 150, true}, {"held throughout", 5000, false}};
  const Folder d = NewFolder("held");
  const std::wstring target = d.w + L"out.obj";
  for (const Row& r : rows) {
    WriteRaw(target, "old");
    Holder h{CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                         nullptr),
             r.holdMs};
    Expect(h.file != INVALID_HANDLE_VALUE, "set-up open");
    const HANDLE releaser = CreateThread(nullptr, 0, ReleaseLater, &h, 0, nullptr);
    const bool ok = Output(d.a + "out.obj", {"new"});
    const DWORD err = GetLastError();
    WaitForSingleObject(releaser, INFINITE);
    CloseHandle(releaser);
    Expect(ok == r.committed, r.label);
    if (!ok)
      Expect(err == ERROR_SHARING_VIOLATION || err == ERROR_UNABLE_TO_REMOVE_REPLACED ||
                 err == ERROR_ACCESS_DENIED,
             "not a sharing failure");
    Expect(ReadRaw(target) == (r.committed ? "new" : "old"), r.label);
    Expect(OnlyFile(d, L"out.obj"), "a held target left a file behind");
  }
}

void BigOutputRoundTrips() {
  const Folder d = NewFolder("big");
  std::string bytes(kBigBytes, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31 + i / 977);
  Expect(Output(d.a + "big.obj", {bytes}), "output failed");
  Expect(ReadRaw(d.w + L"big.obj") == bytes, "big output differs");
  Expect(ReadThrough(d.a + "big.obj", kReadChunk) == bytes, "big read differs");
}

// A fault at each file operation in turn: the target holds either all of its old bytes or all of
// the new ones, nothing else is left, and a run that met a fault never reports success.
void FaultAtEachStepLeavesOldOrNew() {
  const Folder d = NewFolder("sweep");
  const bool existing[] = {true, false};
  for (bool exists : existing) {
    const std::wstring target = d.w + L"out.obj";
    DeleteFileW(target.c_str());
    if (exists) WriteRaw(target, "old");
    const std::string before = exists ? "old" : "<none>";
    for (long long n = 1;; ++n) {
      FileFailNth(n);
      const bool ok = Output(d.a + "out.obj", {"new ", "bytes ", "here"});
      const long long ops = FileOperationCount();
      FileFailNth(0);
      Expect(ReadRaw(target) == (ok ? "new bytes here" : before), "target neither old nor new");
      Expect(Entries(d.w).size() == (ok || exists ? 1u : 0u), "a fault left a file behind");
      if (!ok) Expect(ReasonIsClean(), "a fault gave no reason");
      if (ok) {
        Expect(ops < n, "a run succeeded through a fault");
        break;
      }
      if (n == kMaxSweep) {
        Expect(false, "the sweep never reached a run without a fault");
        break;
      }
    }
  }
}

void ScratchReadsBackAndVanishes() {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  const size_t before = Entries(temp, L"figmerg-*").size();
  FileHandle* f = FileOpenScratch();
  Expect(f != nullptr, "scratch open failed");
  if (f == nullptr) return;
  std::string bytes(kScratchBytes, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251);
  Expect(FileWrite(f, bytes.data(), bytes.size()), "scratch write failed");
  Expect(FileRewind(f), "scratch rewind failed");
  std::string back(bytes.size() + 1, '\0');
  size_t got = 0;
  long long n;
  while ((n = FileRead(f, &back[got], back.size() - got)) > 0) got += static_cast<size_t>(n);
  back.resize(got);
  Expect(back == bytes, "scratch read back differs");
  Expect(FileClose(f), "scratch close failed");
  Expect(Entries(temp, L"figmerg-*").size() == before, "scratch file left in the temp folder");
}

// A path longer than the plain form allows, in folders made through the long form.
void LongPathRoundTrips() {
  const Folder d = NewFolder("long");
  const std::wstring a(kLongSegment, L'a');
  const std::wstring b(kLongSegment, L'b');
  CreateDirectoryW((L"\\\\?\\" + d.w + a).c_str(), nullptr);
  const std::wstring deep = L"\\\\?\\" + d.w + a + L"\\" + b + L"\\";
  CreateDirectoryW(deep.c_str(), nullptr);
  const std::string name = d.a + std::string(kLongSegment, 'a') + "\\" +
                           std::string(kLongSegment, 'b') + "\\" + std::string(60, 'c') + ".obj";
  Expect(name.size() > MAX_PATH, "the path is not long");
  const std::string bytes = AwkwardBytes();
  Expect(Output(name, {bytes}), "long output failed");
  Expect(Output(name, {bytes, "again"}), "long replace failed");
  Expect(ReadThrough(name, kReadChunk) == bytes + "again", "long path read differs");
  Expect(Entries(deep).size() == 1, "long path left extra files");
}

// Wine's own DLLs export this; Windows has no such function.
bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Attributes such as hidden stay on a replaced target.
void ReplaceKeepsAttributes() {
  if (UnderWine()) {
    // Wine's ReplaceFileW renames the new file into place and keeps none of the old attributes.
    std::printf("skip %s: Wine's ReplaceFileW does not carry attributes over\n", g_case);
    g_caseSkipped = true;
    return;
  }
  const Folder d = NewFolder("attrs");
  const std::wstring target = d.w + L"out.obj";
  WriteRaw(target, "old");
  SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_HIDDEN);
  Expect(Output(d.a + "out.obj", {"new"}), "output failed");
  const DWORD attrs = GetFileAttributesW(target.c_str());
  Expect(attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_HIDDEN), "hidden was lost");
  Expect(ReadRaw(target) == "new", "hidden target not replaced");
}

// Names beyond ASCII, each where the path code page can spell it. The file the system holds
// must carry the intended wide name.
void NonAsciiNamesRoundTrip() {
  struct Row {
    const char* label;
    const wchar_t* name;
  };
  const Row rows[] = {{"latin (cafe with acute e)", L"caf\u00e9.obj"},
                      {"latin and chinese (cafe-ceshi)", L"caf\u00e9-\u6d4b\u8bd5.obj"},
                      {"greek (omega)", L"\u03a9\u03bc\u03ad\u03b3\u03b1.obj"}};
  const Folder d = NewFolder("names");
  for (const Row& r : rows) {
    std::string narrow;
    if (!Narrow(d.w + r.name, &narrow)) {
      std::printf("skip %s: code page %u cannot spell %s\n", g_case, PathCodePage(), r.label);
      continue;
    }
    Expect(Output(narrow, {r.label}), r.label);
    Expect(ReadRaw(d.w + r.name) == r.label, r.label);
    Expect(ReadThrough(narrow, kReadChunk) == r.label, r.label);
  }
}

struct Case {
  const char* name;
  void (*run)();
};

const Case kCases[] = {
    {"reads back exactly", ReadsBackExactly},
    {"writes a new target exactly", WritesNewTargetExactly},
    {"replaces only at commit", ReplacesOnlyAtCommit},
    {"abort leaves the target as it was", AbortLeavesTargetAsItWas},
    {"missing folder is refused with a reason", MissingFolderIsRefusedWithReason},
    {"a folder as target is refused", FolderAsTargetIsRefused},
    {"a device is written directly", DeviceIsWrittenDirectly},
    {"the input is replaced while still open", InputReplacedWhileStillOpen},
    {"a held target is waited for briefly", HeldTargetIsWaitedForBriefly},
    {"a big output round trips", BigOutputRoundTrips},
    {"a fault at each step leaves old or new", FaultAtEachStepLeavesOldOrNew},
    {"scratch reads back and vanishes", ScratchReadsBackAndVanishes},
    {"a long path round trips", LongPathRoundTrips},
    {"replace keeps attributes", ReplaceKeepsAttributes},
    {"non-ASCII names round trip", NonAsciiNamesRoundTrip},
};

void RemoveTree(const std::wstring& folder) {
  for (const std::wstring& name : Entries(folder)) {
    const std::wstring path = L"\\\\?\\" + folder + name;
    const DWORD attrs = GetFileAttributesW(path.c_str());
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) {
      RemoveTree(folder + name + L"\\");
    } else {
      DeleteFileW(path.c_str());
    }
  }
  RemoveDirectoryW((L"\\\\?\\" + folder).c_str());
}

}  // namespace

int main() {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  wchar_t root[MAX_PATH + 1];
  std::swprintf(root, MAX_PATH + 1, L"%lsfigmerg-io-test-%lu\\", temp,
                static_cast<unsigned long>(GetCurrentProcessId()));
  g_root = root;
  CreateDirectoryW(g_root.c_str(), nullptr);
  std::printf("code pages: ANSI %u, paths %u\n", GetACP(), PathCodePage());

  int passed = 0;
  int failed = 0;
  for (const Case& c : kCases) {
    g_case = c.name;
    g_caseFailures = 0;
    g_caseSkipped = false;
    c.run();
    if (g_caseSkipped) continue;
    (g_caseFailures == 0 ? passed : failed) += 1;
  }
  RemoveTree(g_root);
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
