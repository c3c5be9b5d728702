// Arbitrary bytes as a PNG asset file and as PNG bytes in memory: the
// decoder either fails or gives a consistent buffer.
#include <cstdint>
#include <cstdlib>

#include "platform/AssetNames.h"
#include "render/ImageDecode.h"

namespace {

// Large enough for every path, small enough to keep runs quick.
constexpr uint32_t kFuzzMaxSide = 2048;

void Check(bool ok, const TDecodedImage& image)
{
    if (!ok) {
        if (image.pixels)
            std::abort();
        return;
    }
    if (!image.pixels || image.side != ImageSide(image.width, image.height) || image.width > kFuzzMaxSide ||
        image.height > kFuzzMaxSide)
        std::abort();
    // Nothing is written beside the image.
    for (uint32_t x = image.width; x < image.side; ++x)
        if (image.pixels[x] != 0)
            std::abort();
    if (!image.hasAlpha)
        for (uint32_t x = 0; x < image.width; ++x)
            if (image.pixels[x] >> 24 != 0xFF)
                std::abort();
    FreeImage(image.pixels);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const uint8_t kNothing = 0;
    RegisterMemoryFile(TString("fuzz/image.png"), size ? data : &kNothing, uint32_t(size));
    TDecodedImage image;
    Check(DecodePng(TString("fuzz/image.png"), image, kFuzzMaxSide), image);
    RegisterMemoryFile(TString("fuzz/image.png"), nullptr, 0);
    Check(DecodePngBytes(data, size, "fuzz", image, kFuzzMaxSide), image);
    return 0;
}
