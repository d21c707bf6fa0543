// Base64 32 characters (24 bytes) at a time with AVX2, where the processor has it; base64.cpp
// does the rest of each line and every group with padding or a bad character.
#pragma once

#include <cstddef>

namespace velmora::mime::internal {

// True when this processor runs the functions below (asked once, it may be asked at any time).
bool hasAvx2();

// Encodes whole blocks of 24 bytes while 32 bytes can be read from `in` (of `n`); writes 32
// characters for each to `dst` and returns the number of bytes taken.
std::size_t encodeBase64BlocksAvx2(const unsigned char* in, std::size_t n, char* dst);

// Decodes whole blocks of 32 characters of `in` (of `n`) while they hold only alphabet
// characters, writing 24 bytes for each to `dst`, which must have 8 bytes of room beyond them.
// Returns the number of characters taken; the block it stopped at is left to the caller.
std::size_t decodeBase64BlocksAvx2(const unsigned char* in, std::size_t n, char* dst);

}  // namespace velmora::mime::internal
