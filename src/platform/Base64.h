#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Base64 with the RFC 4648 alphabet and "=" padding.

// 4 characters for every 3 bytes or part of 3.
size_t Base64EncodedLength(size_t length);
std::string Base64Encode(const uint8_t* data, size_t length);

// An input whose length is not a multiple of 4 is completed with "=".
// Every group of 4 characters gives 3 bytes; the output is 3 bytes per group,
// less 1 for each group ending in "=" and 1 more when its third character is
// "=" too. Characters outside the alphabet are not rejected: they decode as
// zero bits.
std::vector<uint8_t> Base64Decode(const char* text, size_t length);

// True when every character is in the alphabet (padding not allowed).
bool IsBase64Text(const char* text, size_t length);
