#include "filter_harness.h"

#include <algorithm>
#include <cstring>
#include <random>

namespace {

struct StringSource {
  const std::string* text;
  size_t at;
  Chunks chunks;
  std::mt19937 random;
};

long long ReadString(void* ctx, char* buf, size_t cap) {
  StringSource* s = static_cast<StringSource*>(ctx);
  size_t n = std::min(cap, s->text->size() - s->at);
  if (s->chunks == Chunks::OneByte) n = std::min<size_t>(n, 1);
  // Mostly small pieces, sometimes large ones, so both the scans and the carried state are hit.
  if (s->chunks == Chunks::Random && n > 0) {
    const size_t limit = (s->random() % 4 == 0) ? 4096 : 40;
    n = std::min<size_t>(n, 1 + s->random() % limit);
  }
  std::memcpy(buf, s->text->data() + s->at, n);
  s->at += n;
  return static_cast<long long>(n);
}

bool WriteString(void* ctx, const char* buf, size_t len) {
  static_cast<std::string*>(ctx)->append(buf, len);
  return true;
}

}  // namespace

FilterRun RunFilter(const std::string& input, bool allParts, Chunks chunks, uint32_t seed) {
  StringSource source{&input, 0, chunks, std::mt19937(seed)};
  FilterRun run;
  run.result = Consolidate(Source{&source, ReadString}, Sink{&run.output, WriteString}, allParts);
  return run;
}
