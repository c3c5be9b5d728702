#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Compressed XML block, integers little-endian:
//   "ZXML" (any case), u32 compressed size, u32 plain size, zlib stream.
constexpr uint32_t kZxmlHeaderSize = 12;
// Blocks announcing more plain text than this are refused.
constexpr uint32_t kZxmlMaxPlainSize = 64u << 20;

// True when the bytes begin with the "ZXML" magic, in any case.
bool IsZxmlBlock(const void* data, size_t size);

// Inflates a block into `out`. Neither header size is trusted: the compressed
// size is held to the bytes present, the plain size to kZxmlMaxPlainSize, and
// the output grows only as the stream produces it. Any fault is logged with
// `source` and leaves in `out` what the stream produced before it (possibly
// nothing). True only when the stream ended at exactly the announced size.
bool InflateZxml(const void* data, size_t size, std::string& out, const char* source);
