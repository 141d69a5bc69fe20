#include "consolidate/output_name.h"

#include <cstring>

#include "consolidate/ascii.h"

namespace {
constexpr char kObjEnding[] = ".obj";
constexpr size_t kReplacedChars = sizeof kObjEnding - 1;
constexpr char kProposedEnd[] = "cons.obj";
}  // namespace

bool HasObjEnding(const char* name) {
  const size_t n = std::strlen(name);
  if (n < kReplacedChars) return false;
  for (size_t i = 0; i < kReplacedChars; ++i) {
    if (LowerAscii(name[n - kReplacedChars + i]) != kObjEnding[i]) return false;
  }
  return true;
}

bool ProposeOutputName(const char* input, char* out, size_t size) {
  const size_t n = std::strlen(input);
  const size_t kept = n < kReplacedChars ? n : n - kReplacedChars;
  const size_t total = kept + sizeof kProposedEnd;  // with the NUL
  if (total > size) return false;
  std::memmove(out, input, kept);
  std::memcpy(out + kept, kProposedEnd, sizeof kProposedEnd);
  return true;
}
