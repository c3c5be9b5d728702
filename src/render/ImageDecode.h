#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/TString.h"

// PNG and JPEG decoding into the pixel layout textures use: a square buffer
// of side S (the smallest power of two, from 1, not below the larger side)
// of 32-bit words 0xAARRGGBB, rows S words apart, the image at the top-left
// corner and the rest zero. Files are read through the asset file interface,
// so images inside packs decode like loose ones.
//
// Every call has its own decoder state (safe to run on several threads at
// once). Damaged, truncated or empty input writes a log line and gives
// false with no buffer; an image wider or taller than maxSide is refused
// before anything is allocated for it.

constexpr uint32_t kMaxImageSide = 16384;

struct TDecodedImage {
    uint32_t* pixels = nullptr; // side x side words; free with FreeImage
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t side = 0;
    bool hasAlpha = false; // PNG only: the decoded image has an alpha channel
};

// 16-bit channels become 8-bit; palettes, low bit depths and grey become
// RGB; a transparency chunk becomes alpha; opaque images get alpha 255;
// a file with a gamma value is corrected for a screen gamma of 2.2.
bool DecodePng(const TString& name, TDecodedImage& out, uint32_t maxSide = kMaxImageSide);
// The same from bytes in memory; what names the data in log lines.
bool DecodePngBytes(const uint8_t* data, size_t size, const char* what, TDecodedImage& out,
                    uint32_t maxSide = kMaxImageSide);

// Every pixel opaque. Greyscale, colour, progressive and CMYK (also Adobe's
// inverted form) files decode; a file cut short decodes with what it holds.
// The library may use at most 16 MB.
bool DecodeJpeg(const TString& name, TDecodedImage& out, uint32_t maxSide = kMaxImageSide);

// Frees a decoder's buffer (null is fine).
void FreeImage(uint32_t* pixels);

// The side S of the buffer for an image of width x height.
uint32_t ImageSide(uint32_t width, uint32_t height);

// For the decoders: checks width x height against maxSide (a log line
// naming what when it is refused) and allocates the cleared S x S buffer;
// null when refused or out of memory.
uint32_t* AllocateImage(uint32_t width, uint32_t height, uint32_t maxSide, const char* what, uint32_t* side);
