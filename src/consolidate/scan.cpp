// Vectorised with SSE2 where the target has it: most of an export is vertex and face lines with
// CR LF ends, which the body scan passes over sixteen bytes at a time.
#include "consolidate/scan.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define FIGMERG_AVX2 1
#endif

namespace {

bool IsLineEnd(char c) {
  return c == kCR || c == kLF || c == kSUB;
}

}  // namespace

#if defined(FIGMERG_AVX2)
namespace {

// The same test as the SSE2 loop below, 32 bytes at a time, for processors that have AVX2.
__attribute__((target("avx2"))) const char* ScanBodyWide(const char* j, const char* end) {
  constexpr long kLane = 32;
  const __m256i cr = _mm256_set1_epi8(kCR);
  const __m256i lf = _mm256_set1_epi8(kLF);
  const __m256i sub = _mm256_set1_epi8(kSUB);
  const __m256i g = _mm256_set1_epi8('g');
  while (end - j > kLane) {
    const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(j - 1));
    const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(j));
    const __m256i after = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(j + 1));
    const __m256i loneCR =
        _mm256_andnot_si256(_mm256_cmpeq_epi8(after, lf), _mm256_cmpeq_epi8(here, cr));
    const __m256i pairedLF =
        _mm256_andnot_si256(_mm256_cmpeq_epi8(after, g), _mm256_cmpeq_epi8(before, cr));
    const __m256i workLF = _mm256_andnot_si256(pairedLF, _mm256_cmpeq_epi8(here, lf));
    const __m256i work =
        _mm256_or_si256(_mm256_cmpeq_epi8(here, sub), _mm256_or_si256(loneCR, workLF));
    const unsigned bits = static_cast<unsigned>(_mm256_movemask_epi8(work));
    if (bits != 0) return j + __builtin_ctz(bits);
    j += kLane;
  }
  return j;
}

bool HasAvx2() {
  __builtin_cpu_init();  // runs before main, so the processor data may not be read yet
  return __builtin_cpu_supports("avx2");
}

const bool kHasAvx2 = HasAvx2();

}  // namespace
#endif

const char* ScanBody(const char* p, const char* end) {
#if defined(FIGMERG_AVX2)
  return ScanBodyWith(p, end, kHasAvx2);
#else
  return ScanBodyWith(p, end, false);
#endif
}

const char* ScanBodyWith(const char* p, const char* end, [[maybe_unused]] bool wide) {
  const char* j = p + 1;
#if defined(FIGMERG_AVX2)
  if (wide) {
    j = ScanBodyWide(j, end);
    // Short of the end it stopped at a byte that needs work; near the end the loops below
    // look again from where it stopped.
    if (end - j > 32) return j;
  }
#endif
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
