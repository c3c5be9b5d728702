// Arbitrary bytes as a JPEG asset file: the decoder either fails (never
// ending the process) or gives a consistent, opaque buffer.
#include <cstdint>
#include <cstdlib>

#include "platform/AssetNames.h"
#include "render/ImageDecode.h"

namespace {

// Large enough for every path, small enough to keep runs quick.
constexpr uint32_t kFuzzMaxSide = 2048;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const uint8_t kNothing = 0;
    RegisterMemoryFile(TString("fuzz/image.jpg"), size ? data : &kNothing, uint32_t(size));
    TDecodedImage image;
    bool ok = DecodeJpeg(TString("fuzz/image.jpg"), image, kFuzzMaxSide);
    RegisterMemoryFile(TString("fuzz/image.jpg"), nullptr, 0);
    if (!ok) {
        if (image.pixels)
            std::abort();
        return 0;
    }
    if (!image.pixels || image.side != ImageSide(image.width, image.height) || image.width > kFuzzMaxSide ||
        image.height > kFuzzMaxSide)
        std::abort();
    // The first row: opaque inside the image, zero beside it.
    for (uint32_t x = 0; x < image.side; ++x)
        if ((x < image.width) != (image.pixels[x] >> 24 == 0xFF) || (x >= image.width && image.pixels[x] != 0))
            std::abort();
    FreeImage(image.pixels);
    return 0;
}
