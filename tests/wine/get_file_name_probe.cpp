// Calls GetFileName once with the arguments of its command line and prints what came back, so
// that a script can drive the real dialog from outside and check the buffers afterwards.
//   get_file_name_probe WRITE SIZE CAPTION [INITIAL]
// prints ret=, file= and tit= lines, and guard=intact or guard=overrun for the bytes just past
// the SIZE bytes that the dialog was offered. INITIAL arrives, and file and tit are printed, in
// UTF-8 whatever the process's code page, so that a script can compare them as it wrote them.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/get_file_name.h"

// As large as the program's largest path buffer, out.
constexpr size_t kMaxSize = 512;
constexpr size_t kGuardSize = 64;
constexpr unsigned char kGuardByte = 0xA5;
static char buffer[kMaxSize + kGuardSize];

// The buffers hold text in the process's ANSI code page; the script speaks UTF-8.
static void PrintAsUtf8(const char* label, const char* s, size_t cap) {
  static wchar_t wide[kMaxSize];
  static char utf8[kMaxSize * 3];
  int n = MultiByteToWideChar(CP_ACP, 0, s, static_cast<int>(strnlen(s, cap)), wide, kMaxSize);
  n = WideCharToMultiByte(CP_UTF8, 0, wide, n, utf8, sizeof utf8, nullptr, nullptr);
  printf("%s=%.*s\n", label, n, utf8);
}

// The command line as UTF-16, so that INITIAL reaches the buffer in the code page in force.
static bool InitialFromCommandLine(char* out, size_t size) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return false;
  bool ok = true;
  if (argc > 4) {
    int n =
        WideCharToMultiByte(CP_ACP, 0, argv[4], -1, out, static_cast<int>(size), nullptr, nullptr);
    ok = n > 0;
  } else {
    out[0] = 0;
  }
  LocalFree(argv);
  return ok;
}

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 4) {
    fputs("usage: get_file_name_probe WRITE SIZE CAPTION [INITIAL]\n", stderr);
    return 2;
  }
  int write = atoi(argv[1]);
  size_t size = strtoul(argv[2], nullptr, 10);
  memset(buffer, kGuardByte, sizeof buffer);
  if (size == 0 || size > kMaxSize || !InitialFromCommandLine(buffer, size)) {
    fputs("get_file_name_probe: SIZE must be 1 to 512 and hold INITIAL\n", stderr);
    return 2;
  }

  int ret = GetFileName(nullptr, buffer, argv[3], filterOBJ, write, size);

  bool intact = true;
  for (size_t i = size; i < sizeof buffer; ++i) {
    if (static_cast<unsigned char>(buffer[i]) != kGuardByte) intact = false;
  }
  printf("ret=%d\n", ret);
  // A buffer left without its NUL is never printed past its end.
  PrintAsUtf8("file", buffer, size);
  PrintAsUtf8("tit", tit, sizeof tit);
  printf("guard=%s\n", intact ? "intact" : "overrun");
  return 0;
}
