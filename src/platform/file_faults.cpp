// The fault switch both file layers count their operations with.
#include "platform/file_faults.h"

#include <cerrno>

namespace {
long long g_failAt = 0;
long long g_operations = 0;
}  // namespace

void FileFailNth(long long n) {
  g_failAt = n;
  g_operations = 0;
}

long long FileOperationCount() {
  return g_operations;
}

bool FileFaultNow() {
  ++g_operations;
  if (g_failAt == 0 || g_operations != g_failAt) return false;
  // As a full disk would say it; the Windows layer sets its own error code as well.
  errno = ENOSPC;
  return true;
}
