#pragma once
#include <cstdint>

#include "render/TextureRef.h"

class TTextLayout;

namespace KTex {

// Pieces shared by the windows that show a text as pictures (KText, the
// subtitles): the text drawn into a texture, and the soft shadow made by
// drawing it small and stretching it back.

// The shadow texture is cut to this fraction of each side and drawn
// stretched by kShadowStretch, so it covers the text's area again.
constexpr double kShadowShrink = 0.4;
constexpr float kShadowStretch = 2.5f;

// A render target of width x height with alpha holding the layout drawn at
// (0, 0), scale 1 (its pixels replaced, not blended); empty, with a log
// line naming `owner`, when the texture cannot be made.
TTextureRef DrawLayoutToTexture(TTextLayout& layout, int32_t width, int32_t height, const char* owner);

// The texture cut to trunc(kShadowShrink x width) x trunc(kShadowShrink x
// height) by nearest sampling; empty for no texture or when the small one
// cannot be made.
TTextureRef ShrinkForShadow(const TTextureRef& full);

} // namespace KTex
