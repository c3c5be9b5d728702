#include "render/ImageDecode.h"

#include <bit>
#include <cstdlib>

#include "platform/Log.h"

static_assert(std::endian::native == std::endian::little,
              "the decoders write blue, green, red, alpha bytes to make 0xAARRGGBB words");

uint32_t ImageSide(uint32_t width, uint32_t height)
{
    uint32_t larger = width > height ? width : height;
    uint32_t side = 1;
    while (side < larger && side < 0x80000000u)
        side <<= 1;
    return side;
}

uint32_t* AllocateImage(uint32_t width, uint32_t height, uint32_t maxSide, const char* what, uint32_t* side)
{
    if (maxSide > kMaxImageSide)
        maxSide = kMaxImageSide;
    if (width == 0 || height == 0 || width > maxSide || height > maxSide) {
        WriteLog("Image %s: %ux%u is not a size we decode (at most %u a side)", what, unsigned(width),
                 unsigned(height), unsigned(maxSide));
        return nullptr;
    }
    uint32_t s = ImageSide(width, height);
    auto* pixels = static_cast<uint32_t*>(std::calloc(size_t(s) * s, sizeof(uint32_t)));
    if (!pixels) {
        WriteLog("Image %s: out of memory for %ux%u", what, unsigned(width), unsigned(height));
        return nullptr;
    }
    *side = s;
    return pixels;
}

void FreeImage(uint32_t* pixels)
{
    std::free(pixels);
}
