#include "render/CursorImage.h"

#include <algorithm>
#include <memory>

#include "platform/AssetNames.h"
#include "render/ImageDecode.h"
#include "render/SystemCursorPng.h"

const uint8_t* SystemCursorPng(size_t* size)
{
    if (size)
        *size = sizeof(kSystemCursorPngData);
    return kSystemCursorPngData;
}

void RegisterSystemCursor()
{
    RegisterMemoryFile(kSystemCursorName, kSystemCursorPngData, uint32_t(sizeof(kSystemCursorPngData)));
}

bool DecodeCursorPng(const uint8_t* data, size_t size, TCursorPixels& out)
{
    out = TCursorPixels();
    TDecodedImage image;
    if (!DecodePngBytes(data, size, "cursor image", image, uint32_t(kMaxCursorSide)))
        return false;
    std::unique_ptr<uint32_t, void (*)(uint32_t*)> held(image.pixels, FreeImage);
    out.width = int32_t(image.width);
    out.height = int32_t(image.height);
    out.pixels.resize(size_t(image.width) * image.height);
    for (uint32_t y = 0; y < image.height; ++y)
        std::copy_n(image.pixels + size_t(y) * image.side, image.width, out.pixels.data() + size_t(y) * image.width);
    return true;
}
