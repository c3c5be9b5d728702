#include "game/show/vo/SubTitle.h"

#include <algorithm>
#include <memory>

#include "game/stage/TextPicture.h"
#include "platform/Log.h"
#include "platform/Rect.h"
#include "render/TextLayout.h"
#include "render/Texture.h"
#include "ui/Image.h"

namespace KVO {

namespace {

constexpr int32_t kScreenWidth = 800;
constexpr int32_t kScreenHeight = 600;
// Room on the right of the text for the shadow's spread.
constexpr int32_t kExtraWidth = 4;
constexpr int32_t kDefaultFontSize = 28;

// A size the text layout can use: odd sizes are logged and replaced.
int32_t UsableFontSize(int32_t size)
{
    if (size < 1) {
        WriteLog("Subtitle: font size %d taken as %d", size, kDefaultFontSize);
        return kDefaultFontSize;
    }
    if (size > TTextLayout::kMaxFontSize) {
        WriteLog("Subtitle: font size %d cut to %d", size, TTextLayout::kMaxFontSize);
        return TTextLayout::kMaxFontSize;
    }
    return size;
}

// An image child at (x, y) of width x height showing the texture.
void AddImage(TWindow& parent, const TTextureRef& texture, float scale, int32_t x, int32_t y, int32_t width,
              int32_t height)
{
    auto* image = new TImage(false);
    image->SetImage(texture, scale);
    image->SetSize(width, height);
    image->MoveTo(x, y);
    parent.AddChild(image, true);
}

} // namespace

SubTitle::SubTitle(const TString& text, int32_t fontSize, const TColorValue& colour) : mText(text)
{
    SetName("Subtitle");
    MoveTo(0, 0);
    SetSize(kScreenWidth, kScreenHeight);
    Build(UsableFontSize(fontSize), colour);
}

SubTitle::~SubTitle() = default;

void SubTitle::Build(int32_t fontSize, const TColorValue& colour)
{
    const float rgba[4] = {colour.r, colour.g, colour.b, colour.a};
    static const float kBlack[4] = {0, 0, 0, 1};
    std::unique_ptr<TTextLayout> layout =
        TTextLayout::Create(mText, kWrapWidth, kWrapHeight, 0, kFont, fontSize, rgba);
    std::unique_ptr<TTextLayout> shadow =
        TTextLayout::Create(mText, kWrapWidth, kWrapHeight, 0, kFont, fontSize, kBlack);
    if (!layout || !shadow) {
        WriteLog("Subtitle: \"%s\" could not be laid out", mText.c_str());
        return;
    }

    TRect bounds;
    layout->GetBounds(bounds);
    const int32_t width = bounds.Width() + kExtraWidth;
    const int32_t height = bounds.Height();
    if (bounds.Width() <= 0 || height <= 0) {
        // Nothing to draw; the page still runs its time.
        WriteLog("Subtitle: \"%s\" has nothing to show", mText.c_str());
        return;
    }

    mTexture = KTex::DrawLayoutToTexture(*layout, width, height, "Subtitle");
    const TTextureRef small = KTex::ShrinkForShadow(KTex::DrawLayoutToTexture(*shadow, width, height, "Subtitle"));
    TTextLayout::Delete(layout);
    TTextLayout::Delete(shadow);
    if (!mTexture)
        return;

    const int32_t x = std::max(kMinLeft, (kScreenWidth - int32_t(mTexture->GetWidth())) / 2);
    // The shadow first, so the text lies over it.
    if (small)
        AddImage(*this, small, KTex::kShadowStretch, x, kTop, width, height);
    AddImage(*this, mTexture, 1.0f, x, kTop, width, height);
}

} // namespace KVO
