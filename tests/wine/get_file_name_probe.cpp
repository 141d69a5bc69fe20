// Calls GetFileName once with the arguments of its command line and prints what came back, so
// that a script can drive the real dialog from outside and check the buffers afterwards.
//   get_file_name_probe WRITE SIZE CAPTION [INITIAL]
// prints ret=, file= and tit= lines, and guard=intact or guard=overrun for the bytes just past
// the SIZE bytes that the dialog was offered.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/get_file_name.h"

// As large as the program's largest path buffer, out.
constexpr size_t kMaxSize = 512;
constexpr size_t kGuardSize = 64;
constexpr unsigned char kGuardByte = 0xA5;
static char buffer[kMaxSize + kGuardSize];

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 4) {
    fputs("usage: get_file_name_probe WRITE SIZE CAPTION [INITIAL]\n", stderr);
    return 2;
  }
  int write = atoi(argv[1]);
  size_t size = strtoul(argv[2], nullptr, 10);
  const char* initial = argc > 4 ? argv[4] : "";
  if (size == 0 || size > kMaxSize || strlen(initial) >= size) {
    fputs("get_file_name_probe: SIZE must be 1 to 512 and hold INITIAL\n", stderr);
    return 2;
  }
  memset(buffer, kGuardByte, sizeof buffer);
  memcpy(buffer, initial, strlen(initial) + 1);

  int ret = GetFileName(nullptr, buffer, argv[3], filterOBJ, write, size);

  bool intact = true;
  for (size_t i = size; i < sizeof buffer; ++i) {
    if (static_cast<unsigned char>(buffer[i]) != kGuardByte) intact = false;
  }
  // The dialog may leave the buffer without a NUL only if it overran it; never print past it.
  printf("ret=%d\nfile=%.*s\ntit=%.*s\nguard=%s\n", ret, static_cast<int>(strnlen(buffer, size)),
         buffer, static_cast<int>(strnlen(tit, sizeof tit)), tit, intact ? "intact" : "overrun");
  return 0;
}
