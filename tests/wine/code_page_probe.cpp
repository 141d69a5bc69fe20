// Reports how this system treats the byte-string (A) calls for a file name outside the Latin
// alphabets: the ANSI code page in force, and whether CreateFileA, FindFirstFileA and the A
// open dialog carry the name's UTF-8 bytes through. Built with and without a manifest that
// asks for UTF-8 as the code page.
//   code_page_probe FOLDER [dialog]
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

// café-测试.obj as UTF-8 and as UTF-16.
static const char kNameUtf8[] = "caf\xc3\xa9-\xe6\xb5\x8b\xe8\xaf\x95.obj";
static const wchar_t kNameWide[] = L"caf\u00e9-\u6d4b\u8bd5.obj";
constexpr size_t kPathSize = 512;

static void PrintHex(const char* label, const char* s) {
  printf("%s=", label);
  for (; *s; ++s) printf("%02x", static_cast<unsigned char>(*s));
  printf("\n");
}

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc < 2) {
    fputs("usage: code_page_probe FOLDER [dialog]\n", stderr);
    return 2;
  }
  printf("acp=%u\noemcp=%u\n", GetACP(), GetOEMCP());

  static char path[kPathSize];
  snprintf(path, sizeof path, "%s\\%s", argv[1], kNameUtf8);
  HANDLE h =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  printf("create_a=%s\n", h == INVALID_HANDLE_VALUE ? "failed" : "ok");
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);

  // Did the A call create the file whose UTF-16 name is the intended one?
  static wchar_t wpath[kPathSize];
  MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, wpath, kPathSize);
  wcscat(wpath, L"\\");
  wcscat(wpath, kNameWide);
  printf("exists_w=%s\n", GetFileAttributesW(wpath) == INVALID_FILE_ATTRIBUTES ? "no" : "yes");

  WIN32_FIND_DATAA fd;
  static char pattern[kPathSize];
  snprintf(pattern, sizeof pattern, "%s\\caf*", argv[1]);
  HANDLE f = FindFirstFileA(pattern, &fd);
  if (f != INVALID_HANDLE_VALUE) {
    do PrintHex("found_a", fd.cFileName);
    while (FindNextFileA(f, &fd));
    FindClose(f);
  }

  if (argc > 2 && strcmp(argv[2], "dialog") == 0) {
    static char chosen[kPathSize];
    static const char filter[] = "OBJ files\0*.OBJ\0";
    OPENFILENAMEA o = {};
    o.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    o.lpstrFilter = filter;
    o.lpstrFile = chosen;
    o.nMaxFile = sizeof chosen;
    o.lpstrTitle = "code page probe";
    o.Flags = OFN_FILEMUSTEXIST;
    BOOL ok = GetOpenFileNameA(&o);
    printf("dialog=%d\n", ok);
    PrintHex("dialog_file", chosen);
    printf("dialog_matches=%s\n", strstr(chosen, kNameUtf8) ? "yes" : "no");
  }
  return 0;
}
