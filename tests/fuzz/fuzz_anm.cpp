// Arbitrary bytes as a binary animated-texture description: read, then
// every frame queried. Counts and lengths larger than the bytes left must
// be refused before anything is allocated for them.

#include <cstdint>
#include <cstdlib>

#include "platform/AssetNames.h"
#include "render/AnimatedTexture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RegisterMemoryFile(TString("fuzz/anim.anm"), size ? data : reinterpret_cast<const uint8_t*>(""),
                       uint32_t(size));
    TAnimatedTexture texture(TString("fuzz/anim.anm"));
    if (texture.Load(TString(), TString())) {
        const TAnimatedTextureData& d = texture.GetDescription();
        // Each frame record costs at least 56 bytes of the file.
        if (size_t(d.FrameCount()) * 56 > size)
            abort();
        for (int32_t i = -1; i <= d.FrameCount(); ++i) {
            texture.SetFrame(i);
            if (texture.GetFrame() != (i < d.FrameCount() ? i : d.FrameCount() - 1))
                abort();
            TRect rect = texture.GetFrameRect(i);
            int32_t x = 0, y = 0;
            texture.GetRegistration(i, x, y);
            texture.GetAnchor(TString("a"), &x, &y);
            if (i >= 0 && i < d.FrameCount() &&
                (int32_t(texture.GetWidth()) != d.frames[size_t(i)].w || rect.left != d.frames[size_t(i)].x))
                abort();
        }
    }
    RegisterMemoryFile(TString("fuzz/anim.anm"), nullptr, 0);
    return 0;
}
