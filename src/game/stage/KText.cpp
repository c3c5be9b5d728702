#include "game/stage/KText.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "game/stage/TextPicture.h"
#include "platform/Log.h"
#include "platform/Rect.h"
#include "render/TextLayout.h"
#include "render/Texture.h"
#include "ui/Image.h"

namespace KTex {

namespace {

bool FitsBox(const TTextLayout& layout, int32_t width, int32_t height)
{
    TRect bounds;
    layout.GetBounds(bounds);
    return bounds.top >= 0 && bounds.bottom <= height && bounds.left >= 0 && bounds.right <= width;
}

} // namespace

uint32_t KText::NextFitSize(uint32_t size, uint32_t step)
{
    // 0.1 as the single-precision value, widened: the factors lie a hair
    // under 0.9, 0.8, ..., so 10 shrinks to 4 and not 5.
    const double factor = 1.0 - double(step) * double(0.1f);
    const double next = std::trunc(double(size) * factor);
    if (!(next >= double(kMinFitSize)))
        return 0;
    return uint32_t(next);
}

KText::KText(const TString& text, const TString& font, uint32_t size, float red, float green, float blue,
             float alpha, int32_t width, int32_t height, uint32_t layoutOption, uint32_t flags)
    : mText(text), mFont(font), mSize(size), mColour{red, green, blue, alpha}, mWidth(width), mHeight(height),
      mLayoutOption(layoutOption), mFlags(flags)
{
    SetSize(width, height);
    SetName("KText");
    if (mSize > uint32_t(TTextLayout::kMaxFontSize)) {
        WriteLog("KText: font size %u cut to %d", mSize, TTextLayout::kMaxFontSize);
        mSize = uint32_t(TTextLayout::kMaxFontSize);
    }
    if (width <= 0 || height <= 0) {
        WriteLog("KText: box %dx%d holds no text", width, height);
        return;
    }
    Build();
}

KText::~KText() = default;

void KText::Build()
{
    const int32_t option = int32_t(mLayoutOption);
    std::unique_ptr<TTextLayout> layout =
        TTextLayout::Create(mText, mWidth, mHeight, option, mFont.c_str(), int32_t(mSize), mColour);
    if (mFlags & kFit) {
        for (uint32_t n = 1; layout && !FitsBox(*layout, mWidth, mHeight); ++n) {
            const uint32_t next = NextFitSize(mSize, n);
            if (next == 0)
                break;
            mSize = next;
            TTextLayout::Delete(layout);
            layout = TTextLayout::Create(mText, mWidth, mHeight, option, mFont.c_str(), int32_t(mSize), mColour);
        }
    }
    if (!layout) {
        WriteLog("KText: the text could not be laid out");
        return;
    }

    if (mFlags & kShadow) {
        static const float kBlack[4] = {0, 0, 0, 1};
        std::unique_ptr<TTextLayout> shadow =
            TTextLayout::Create(mText, mWidth, mHeight, option, mFont.c_str(), int32_t(mSize), kBlack);
        TTextureRef small = ShrinkForShadow(shadow ? DrawLayoutToTexture(*shadow, mWidth, mHeight, "KText")
                                                   : TTextureRef());
        auto* image = new TImage(false);
        image->SetImage(small, kShadowStretch);
        image->SetSize(mWidth, mHeight);
        image->MoveTo(0, 0);
        AddChild(image, true);
        TTextLayout::Delete(shadow);
    }

    TTextureRef texture = DrawLayoutToTexture(*layout, mWidth, mHeight, "KText");
    auto* image = new TImage(false);
    image->SetImage(texture, 1.0f);
    image->SetSize(mWidth, mHeight);
    image->MoveTo(0, 0);
    AddChild(image, true);
    TTextLayout::Delete(layout);
}

TTextureRef KText::Resize(const TTextureRef& source, uint32_t width, uint32_t height, uint32_t mode)
{
    if (!source) {
        WriteLog("Resize: no texture to resize");
        return TTextureRef();
    }
    const uint32_t sourceWidth = source->GetWidth(), sourceHeight = source->GetHeight();
    if (sourceWidth == width && sourceHeight == height)
        return source;
    TTextureRef target = TTexture::CreateRenderTarget(width, height, source->HasAlpha());
    if (!target) {
        WriteLog("Failed to create texture in Resize.cpp");
        return TTextureRef();
    }
    uint32_t* from = nullptr;
    uint32_t* to = nullptr;
    uint32_t fromPitch = 0, toPitch = 0;
    if (!source->Lock(from, fromPitch)) {
        WriteLog("Resize: the source texture cannot be read");
        return TTextureRef();
    }
    if (!target->Lock(to, toPitch)) {
        source->Unlock();
        WriteLog("Resize: the new texture cannot be written");
        return TTextureRef();
    }
    if (mode == 0 && sourceWidth > 0 && sourceHeight > 0) {
        for (uint32_t y = 0; y < height; ++y) {
            const uint64_t sy = uint64_t(y) * sourceHeight / height;
            const uint32_t* row = from + sy * fromPitch;
            uint32_t* out = to + uint64_t(y) * toPitch;
            for (uint32_t x = 0; x < width; ++x)
                out[x] = row[uint64_t(x) * sourceWidth / width];
        }
    }
    target->Unlock();
    source->Unlock();
    return target;
}

} // namespace KTex
