// The group-line filter. One pass through a chunk buffer: the scans find the few places that need
// work (a lone CR or LF, SUB, a line starting with 'g'), and the bytes between them go out
// unchanged, straight from the input buffer when the stretch is long.
#include "consolidate/consolidate.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "consolidate/human_parts.h"
#include "consolidate/scan.h"
#include "consolidate/text_hash.h"
#include "platform/file_io.h"

namespace {

constexpr size_t kChunkBytes = 256 * 1024;  // fits the cache that the scan and the copy share
constexpr size_t kOutBytes = 256 * 1024;
constexpr size_t kPageBytes = 4096;
static_assert(kOutBytes % kPageBytes == 0, "every write but the last ends on a page boundary");
constexpr size_t kHoldBytes = 64 * 1024;  // a longer part name moves to a scratch file
static_assert(kHoldBytes > kLongestHumanPart, "a human part name always fits the hold");

constexpr char kCRLF[] = "\r\n\r\n";  // one line end, or two after a rewritten group line
constexpr char kGroupStart[] = "g ";
constexpr char kRewritten[] = "g Figure_";

// Where in a line the filter stands.
enum class At {
  LineStart,  // nothing of the line seen yet
  SawG,       // the line began with 'g', held back until the next byte is known
  Name,       // after "g ": the part name is held until a colon or the line end decides
  Body,       // copying a line unchanged
  Figure,     // copying the figure text of a rewritten group line
};

struct Filter {
  Sink sink;
  bool allParts;
  At at;
  bool skipLF;  // the last byte was a CR, so an LF right after it ends no further line
  ConsolidateResult result;
  FileHandle* spill;    // the start of an over-long part name, in front of what hold has
  uint64_t figureHash;  // of the figure text read so far on a rewritten group line
  std::unordered_set<uint64_t> figures;
  size_t outLen;
  size_t holdLen;
  char out[kOutBytes];
  char hold[kHoldBytes];
  char in[kChunkBytes];
};

void FlushOut(Filter& f) {
  if (f.outLen != 0 && !f.result.writeFailed && !f.sink.write(f.sink.ctx, f.out, f.outLen)) {
    f.result.writeFailed = true;
  }
  f.outLen = 0;
}

// Output leaves in whole buffers only: writes of one fixed, page-multiple size cost the kernel
// far less than as many writes of the uneven stretches between group lines.
void Emit(Filter& f, const char* p, size_t n) {
  while (n > 0 && !f.result.writeFailed) {
    const size_t take = n < kOutBytes - f.outLen ? n : kOutBytes - f.outLen;
    std::memcpy(f.out + f.outLen, p, take);
    f.outLen += take;
    p += take;
    n -= take;
    if (f.outLen == kOutBytes) FlushOut(f);
  }
}

void Hold(Filter& f, const char* p, size_t n) {
  while (n > 0 && !f.result.writeFailed) {
    if (f.holdLen == kHoldBytes) {
      if (f.spill == nullptr) f.spill = FileOpenScratch();
      if (f.spill == nullptr || !FileWrite(f.spill, f.hold, f.holdLen)) {
        f.result.writeFailed = true;
        return;
      }
      f.holdLen = 0;
    }
    const size_t take = n < kHoldBytes - f.holdLen ? n : kHoldBytes - f.holdLen;
    std::memcpy(f.hold + f.holdLen, p, take);
    f.holdLen += take;
    p += take;
    n -= take;
  }
}

void DropHeld(Filter& f) {
  // The scratch file only ever holds a copy of input bytes, so its close cannot lose anything.
  if (f.spill != nullptr) FileClose(f.spill);
  f.spill = nullptr;
  f.holdLen = 0;
}

// Writes "g " and the part name as they came: the line is not rewritten.
void EmitHeldUnchanged(Filter& f) {
  Emit(f, kGroupStart, sizeof kGroupStart - 1);
  if (f.spill != nullptr) {
    FlushOut(f);
    if (!FileRewind(f.spill)) f.result.writeFailed = true;
    while (!f.result.writeFailed) {
      const long long n = FileRead(f.spill, f.out, kOutBytes);
      if (n < 0) f.result.writeFailed = true;
      if (n <= 0) break;
      f.outLen = static_cast<size_t>(n);
      FlushOut(f);
    }
  }
  Emit(f, f.hold, f.holdLen);
  DropHeld(f);
}

void HashFigure(Filter& f, const char* p, const char* end) {
  for (; p < end; ++p) f.figureHash = HashByte(f.figureHash, *p);
}

void EndLine(Filter& f) {
  if (f.at == At::Figure) f.figures.insert(f.figureHash);
  Emit(f, kCRLF, f.at == At::Figure ? 4 : 2);
  f.at = At::LineStart;
}

// Handles the bytes of one chunk. Returns false when a SUB ended the input.
bool Process(Filter& f, const char* p, const char* end) {
  const char* span = p;  // [span, p) goes out unchanged once something else must be written
  while (p < end && !f.result.writeFailed) {
    if (f.skipLF) {
      f.skipLF = false;
      if (*p == kLF) {
        span = ++p;
        continue;
      }
    }
    const char c = *p;
    switch (f.at) {
      case At::LineStart:
        if (c == 'g') {
          Emit(f, span, p - span);
          span = ++p;
          f.at = At::SawG;
        } else {
          f.at = At::Body;
        }
        break;
      case At::SawG:
        if (c == ' ') {
          span = ++p;
          f.at = At::Name;
        } else {
          Emit(f, "g", 1);
          f.at = At::Body;
        }
        break;
      case At::Name: {
        if (c == ':') {
          span = ++p;
          if (f.allParts || IsHumanPart({f.hold, f.holdLen})) {
            DropHeld(f);
            Emit(f, kRewritten, sizeof kRewritten - 1);
            ++f.result.rewritten;
            f.figureHash = kTextHashStart;
            f.at = At::Figure;
          } else {
            EmitHeldUnchanged(f);
            Emit(f, ":", 1);
            f.at = At::Body;
          }
          break;
        }
        const char* stop = FindNameEnd(p, end);
        const size_t n = static_cast<size_t>(stop - p);
        if (n == 0 || (!f.allParts && f.holdLen + n > kLongestHumanPart)) {
          // The line ends without a colon, or its name is too long to be a human part.
          EmitHeldUnchanged(f);
          f.at = At::Body;
          break;
        }
        Hold(f, p, n);
        span = p = stop;
        break;
      }
      case At::Body:
      case At::Figure: {
        if (c == kCR || c == kLF) {
          Emit(f, span, p - span);
          EndLine(f);
          f.skipLF = c == kCR;
          span = ++p;
          break;
        }
        if (c == kSUB) {
          Emit(f, span, p - span);
          return false;
        }
        if (f.at == At::Figure) {
          const char* q = FindLineEnd(p + 1, end);
          HashFigure(f, p, q);
          p = q;
          break;
        }
        const char* q = ScanBody(p, end);
        if (q < end && *q == kLF && q[-1] == kCR) {
          // The CR LF went out as it stands; the next line may start with 'g'.
          p = q + 1;
          f.at = At::LineStart;
        } else {
          p = q;
        }
        break;
      }
    }
  }
  Emit(f, span, p - span);
  return true;
}

// The input ended: a line without a line end is finished as any other.
void Finish(Filter& f) {
  switch (f.at) {
    case At::SawG:
      Emit(f, "g", 1);
      break;
    case At::Name:
      EmitHeldUnchanged(f);
      break;
    case At::Figure:
      f.figures.insert(f.figureHash);
      Emit(f, kCRLF, 2);
      break;
    case At::LineStart:
    case At::Body:
      break;
  }
}

}  // namespace

ConsolidateResult Consolidate(Source input, Sink output, bool allParts) {
  // The buffers are large, so they live on the heap, once per call.
  std::unique_ptr<Filter> f(new Filter);
  f->sink = output;
  f->allParts = allParts;
  f->at = At::LineStart;
  f->skipLF = false;
  f->result = ConsolidateResult{};
  f->spill = nullptr;
  f->outLen = 0;
  f->holdLen = 0;
  f->figureHash = kTextHashStart;
  bool more = true;
  while (more && !f->result.writeFailed) {
    const long long n = input.read(input.ctx, f->in, kChunkBytes);
    if (n < 0) {
      f->result.readFailed = true;
      break;
    }
    if (n == 0) break;
    more = Process(*f, f->in, f->in + n);
  }
  if (!f->result.readFailed) Finish(*f);
  FlushOut(*f);
  DropHeld(*f);
  f->result.figures = static_cast<long long>(f->figures.size());
  return f->result;
}
