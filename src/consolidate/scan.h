// The scans that find where the filter has work to do; everything between the places they find
// is copied unchanged.
#pragma once

constexpr char kCR = '\r';
constexpr char kLF = '\n';
constexpr char kSUB = 0x1A;  // ends the input, as the text convention of the exports has it

// Inside a line that is copied unchanged, starting at p (p < end, *p not CR, LF or SUB): returns
// the first position after p that needs work, or end. A CR LF pair needs none, unless the next
// line starts with 'g' or the buffer ends before that is known; a lone CR, a lone LF and SUB do.
const char* ScanBody(const char* p, const char* end);

// ScanBody with the 32-byte loop (where the build has it) or without, so tests can hold each
// loop to the same answers.
const char* ScanBodyWith(const char* p, const char* end, bool wide);

// The first CR, LF or SUB in [p, end), or end.
const char* FindLineEnd(const char* p, const char* end);

// The first colon, CR, LF or SUB in [p, end), or end.
const char* FindNameEnd(const char* p, const char* end);
