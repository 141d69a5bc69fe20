// The program's one case folding: A-Z to a-z, every other byte as it is, so that the bytes of
// multibyte characters in names and paths are never touched.
#pragma once

inline char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}
