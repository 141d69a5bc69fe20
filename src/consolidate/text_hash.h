// The hash that tells figure texts and names apart without keeping them: FNV-1a, 64 bits, fed a
// byte at a time so a text that arrives in pieces hashes as a whole.
#pragma once
#include <cstdint>

constexpr uint64_t kTextHashStart = 14695981039346656037ull;

inline uint64_t HashByte(uint64_t hash, char c) {
  constexpr uint64_t kPrime = 1099511628211ull;
  return (hash ^ static_cast<unsigned char>(c)) * kPrime;
}
