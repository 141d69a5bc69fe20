// The file layer on POSIX systems: plain descriptors, no stdio buffering in between, and the
// system's own reason for every failure.
#include "platform/file_io_posix.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/file_faults.h"
#include "platform/file_io.h"

namespace {

constexpr size_t kErrorBytes = 512;
char g_error[kErrorBytes];

FileHandle g_stdin{STDIN_FILENO, true};
FileHandle g_stdout{STDOUT_FILENO, true};

}  // namespace

void SetFileError(int err) {
  std::snprintf(g_error, sizeof g_error, "%s", std::strerror(err));
}

const char* FileError() {
  return g_error;
}

FileHandle* NewHandle(int fd) {
  return new FileHandle{fd, false};
}

FileHandle* FileOpenRead(const char* path) {
  if (FileFaultNow()) {
    SetFileError(EIO);
    return nullptr;
  }
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    SetFileError(errno);
    return nullptr;
  }
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    close(fd);
    SetFileError(EISDIR);
    return nullptr;
  }
  return NewHandle(fd);
}

FileHandle* FileStdin() {
  return &g_stdin;
}
FileHandle* FileStdout() {
  return &g_stdout;
}

long long FileRead(FileHandle* f, char* buf, size_t cap) {
  if (FileFaultNow()) {
    SetFileError(EIO);
    return -1;
  }
  for (;;) {
    const ssize_t n = read(f->fd, buf, cap);
    if (n >= 0) return n;
    if (errno != EINTR) {
      SetFileError(errno);
      return -1;
    }
  }
}

bool FileWrite(FileHandle* f, const char* buf, size_t len) {
  if (FileFaultNow()) {
    SetFileError(ENOSPC);
    return false;
  }
  while (len > 0) {
    const ssize_t n = write(f->fd, buf, len);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetFileError(errno);
      return false;
    }
    buf += n;
    len -= static_cast<size_t>(n);
  }
  return true;
}

FileHandle* FileOpenScratch() {
  if (FileFaultNow()) {
    SetFileError(ENOSPC);
    return nullptr;
  }
  const char* dir = getenv("TMPDIR");
  std::string name = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/figmerg-XXXXXX";
  const int fd = mkstemp(&name[0]);
  if (fd < 0) {
    SetFileError(errno);
    return nullptr;
  }
  unlink(name.c_str());  // nameless from now on: it goes when it is closed, however we end
  return NewHandle(fd);
}

bool FileRewind(FileHandle* f) {
  if (FileFaultNow() || lseek(f->fd, 0, SEEK_SET) < 0) {
    SetFileError(errno);
    return false;
  }
  return true;
}

bool FileClose(FileHandle* f) {
  if (f->borrowed) return true;
  const bool faulted = FileFaultNow();
  const int err = faulted ? EIO : 0;
  // A close interrupted by a signal has still released the descriptor on Linux: never retry.
  const bool closed = close(f->fd) == 0 || errno == EINTR;
  const int closeErr = errno;
  delete f;
  if (faulted || !closed) {
    SetFileError(faulted ? err : closeErr);
    return false;
  }
  return true;
}
