// Safe output on POSIX systems: a temporary file beside the target, fsync'd and closed, then
// renamed over it, so the target holds either its old bytes or all of the new ones.
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/file_faults.h"
#include "platform/file_io_posix.h"
#include "platform/safe_output.h"

struct SafeOutput {
  FileHandle* file;
  std::string target;  // the path after following symbolic links
  std::string temp;    // empty when the target is written directly
};

namespace {

constexpr int kMaxLinkHops = 40;  // as the kernel allows before ELOOP
constexpr mode_t kNewFileMode = 0666;
constexpr char kTempSuffix[] = ".figmerg-XXXXXX";

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Follows symbolic links the way an editor saving a file does, down to the path that will hold
// the bytes; a dangling link resolves to the path it names. Empty with errno set on a loop.
std::string FollowLinks(std::string path) {
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string link(PATH_MAX, '\0');
    const ssize_t n = readlink(path.c_str(), &link[0], link.size());
    if (n < 0) return path;
    link.resize(static_cast<size_t>(n));
    path = link[0] == '/' ? link : FolderOf(path) + "/" + link;
  }
  errno = ELOOP;
  return std::string();
}

mode_t CurrentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

bool Fail(int err) {
  SetFileError(err);
  return false;
}

}  // namespace

SafeOutput* SafeOutputOpen(const char* target) {
  const std::string real = FollowLinks(target);
  if (real.empty()) {
    SetFileError(errno);
    return nullptr;
  }
  if (FileFaultNow()) {
    SetFileError(errno);
    return nullptr;
  }
  struct stat st;
  const bool exists = stat(real.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    SetFileError(EISDIR);
    return nullptr;
  }
  if (exists && !S_ISREG(st.st_mode)) {
    // A device or a pipe cannot be replaced, and holds nothing to lose.
    const int fd = open(real.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
      SetFileError(errno);
      return nullptr;
    }
    return new SafeOutput{NewHandle(fd), real, std::string()};
  }
  std::string temp = real + kTempSuffix;
  const int fd = mkstemp(&temp[0]);
  if (fd < 0) {
    SetFileError(errno);
    return nullptr;
  }
  // The new file takes the old one's permissions, or what a plain create would have given.
  const mode_t mode = exists ? (st.st_mode & 07777) : (kNewFileMode & ~CurrentUmask());
  if (fchmod(fd, mode) != 0) {
    const int err = errno;
    close(fd);
    unlink(temp.c_str());
    SetFileError(err);
    return nullptr;
  }
  return new SafeOutput{NewHandle(fd), real, temp};
}

FileHandle* SafeOutputFile(SafeOutput* o) {
  return o->file;
}

bool SafeOutputCommit(SafeOutput* o) {
  bool ok = true;
  if (!o->temp.empty() && (FileFaultNow() || fsync(o->file->fd) != 0)) ok = Fail(errno);
  // FileClose sets the error itself; an earlier failure keeps its own reason.
  if (!FileClose(o->file) && ok) ok = false;
  if (ok && !o->temp.empty() &&
      (FileFaultNow() || rename(o->temp.c_str(), o->target.c_str()) != 0)) {
    ok = Fail(errno);
  }
  if (ok && !o->temp.empty()) {
    // The rename is only durable once the folder is on disk too; some file systems cannot
    // sync a folder, which costs nothing but that guarantee.
    const int dir = open(FolderOf(o->target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
      fsync(dir);
      close(dir);
    }
  }
  if (!ok && !o->temp.empty()) unlink(o->temp.c_str());
  delete o;
  return ok;
}

void SafeOutputAbort(SafeOutput* o) {
  FileClose(o->file);
  if (!o->temp.empty()) unlink(o->temp.c_str());
  delete o;
}
