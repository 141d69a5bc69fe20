// Vectorised with SSE2 where the target has it: most of an export is vertex and face lines with
// CR LF ends, which the body scan passes over sixteen bytes at a time.
#include "consolidate/scan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool IsLineEnd(char c) { return c == kCR || c == kLF || c == kSUB; }

}  // namespace

const char* ScanBody(const char* p, const char* end) {
  const char* j = p + 1;
#if defined(__SSE2__)
  // Each step looks at j-1 .. j+16, so it stops 17 bytes short of the end.
  constexpr long kLane = 16;
  const __m128i cr = _mm_set1_epi8(kCR);
  const __m128i lf = _mm_set1_epi8(kLF);
  const __m128i sub = _mm_set1_epi8(kSUB);
  const __m128i g = _mm_set1_epi8('g');
  while (end - j > kLane) {
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(j - 1));
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(j));
    const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(j + 1));
    const __m128i loneCR = _mm_andnot_si128(_mm_cmpeq_epi8(after, lf), _mm_cmpeq_epi8(here, cr));
    // An LF is passed only as the second half of CR LF with no 'g' starting the next line.
    const __m128i pairedLF = _mm_andnot_si128(_mm_cmpeq_epi8(after, g), _mm_cmpeq_epi8(before, cr));
    const __m128i workLF = _mm_andnot_si128(pairedLF, _mm_cmpeq_epi8(here, lf));
    const __m128i work = _mm_or_si128(_mm_cmpeq_epi8(here, sub), _mm_or_si128(loneCR, workLF));
    const int bits = _mm_movemask_epi8(work);
    if (bits != 0) return j + __builtin_ctz(static_cast<unsigned>(bits));
    j += kLane;
  }
#endif
  for (; j < end; ++j) {
    const char c = *j;
    if (c == kSUB) return j;
    if (c == kCR && (j + 1 == end || j[1] != kLF)) return j;
    if (c == kLF && (j[-1] != kCR || j + 1 == end || j[1] == 'g')) return j;
  }
  return end;
}

const char* FindLineEnd(const char* p, const char* end) {
  while (p < end && !IsLineEnd(*p)) ++p;
  return p;
}

const char* FindNameEnd(const char* p, const char* end) {
  while (p < end && *p != ':' && !IsLineEnd(*p)) ++p;
  return p;
}
