// Arbitrary bytes as an XML animated-texture description: read, then every
// frame queried.

#include <cstdint>
#include <cstdlib>

#include "platform/AssetNames.h"
#include "render/AnimatedTexture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RegisterMemoryFile(TString("fuzz/anim.xml"), size ? data : reinterpret_cast<const uint8_t*>(""),
                       uint32_t(size));
    TAnimatedTexture texture(TString("fuzz/anim.xml"));
    texture.Load(TString(), TString());
    const TAnimatedTextureData& d = texture.GetDescription();
    for (int32_t i = -1; i <= d.FrameCount(); ++i) {
        texture.SetFrame(i);
        TRect rect = texture.GetFrameRect(i);
        if (i >= 0 && i < d.FrameCount() && (d.frames[size_t(i)].w < 0 || d.frames[size_t(i)].h < 0 ||
                                              rect.right < rect.left || rect.bottom < rect.top))
            abort();
        int32_t x = 0, y = 0;
        texture.GetRegistration(i, x, y);
        texture.GetAnchor(TString("hand"), &x, &y);
        texture.GetWidth();
        texture.GetHeight();
    }
    RegisterMemoryFile(TString("fuzz/anim.xml"), nullptr, 0);
    return 0;
}
