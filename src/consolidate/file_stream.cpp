// The filter's Source and Sink over the platform's file handles.
#include "consolidate/consolidate.h"
#include "platform/file_io.h"

namespace {

long long ReadFile(void* ctx, char* buf, size_t cap) {
  return FileRead(static_cast<FileHandle*>(ctx), buf, cap);
}

bool WriteFile(void* ctx, const char* buf, size_t len) {
  return FileWrite(static_cast<FileHandle*>(ctx), buf, len);
}

}  // namespace

Source FileSource(FileHandle* f) {
  return Source{f, ReadFile};
}
Sink FileSink(FileHandle* f) {
  return Sink{f, WriteFile};
}
