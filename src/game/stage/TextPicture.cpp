#include "game/stage/TextPicture.h"

#include "game/stage/KText.h"
#include "platform/Log.h"
#include "platform/Rect.h"
#include "render/TextLayout.h"
#include "render/Texture.h"

namespace KTex {

TTextureRef DrawLayoutToTexture(TTextLayout& layout, int32_t width, int32_t height, const char* owner)
{
    TTextureRef target;
    if (width > 0 && height > 0)
        target = TTexture::CreateRenderTarget(uint32_t(width), uint32_t(height), true);
    if (!target) {
        WriteLog("%s: no %dx%d texture for the text", owner, width, height);
        return target;
    }
    // Replace the pixels: blending onto the empty target would keep its
    // alpha at 0 and the text would never show.
    layout.MarkDirty();
    layout.Draw(TRect(0, 0, width, height), 1.0f, 0, 1.0f, target);
    return target;
}

TTextureRef ShrinkForShadow(const TTextureRef& full)
{
    if (!full)
        return TTextureRef();
    return KText::Resize(full, uint32_t(kShadowShrink * full->GetWidth()), uint32_t(kShadowShrink * full->GetHeight()),
                         0);
}

} // namespace KTex
