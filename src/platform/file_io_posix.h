// What the POSIX file layer shares with the POSIX safe output: the handle and the error text.
#pragma once

struct FileHandle {
  int fd;
  bool borrowed;  // standard input or output: never closed here
};

// Wraps a descriptor the caller opened; FileClose closes it.
FileHandle* NewHandle(int fd);

// Records err (an errno value) as the reason FileError() gives.
void SetFileError(int err);
