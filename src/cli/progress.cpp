#include "cli/progress.h"

#include <unistd.h>

#include <cstdio>

namespace {

constexpr long long kShowFromBytes = 64LL * 1024 * 1024;
constexpr int kFullPercent = 100;

long long ReadCounting(void* ctx, char* buf, size_t cap) {
  Progress* p = static_cast<Progress*>(ctx);
  const long long n = p->inner.read(p->inner.ctx, buf, cap);
  if (n > 0) p->done += n;
  const int percent = static_cast<int>(p->done * kFullPercent / p->total);
  if (percent != p->shownPercent && percent <= kFullPercent) {
    p->shownPercent = percent;
    std::fprintf(stderr, "\rfigmerg-cli: %s %3d%%", p->name.c_str(), percent);
    std::fflush(stderr);
  }
  return n;
}

}  // namespace

Source ProgressSource(Progress* p, Source inner, const std::string& name, long long total) {
  if (total < kShowFromBytes || !isatty(STDERR_FILENO)) return inner;
  p->inner = inner;
  p->name = name;
  p->total = total;
  return Source{p, ReadCounting};
}

void EndProgress(Progress* p) {
  if (p->total == 0 || p->shownPercent < 0) return;
  // Blank the line so the report that follows stands alone.
  std::fprintf(stderr, "\r%*s\r", static_cast<int>(p->name.size()) + 20, "");
  std::fflush(stderr);
}
