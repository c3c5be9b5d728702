#include "game/stage/anim/FlunkDropAnim.h"

#include <cmath>

#include "render/TextLayout.h"

namespace Quillory {

namespace {

constexpr const char* kTextFont = "fonts/century.mvec";
constexpr int32_t kTextSize = 17;
constexpr int32_t kFps = 15;

std::shared_ptr<FlunkDropAnim> gCurrent;

} // namespace

FlunkDropAnim::FlunkDropAnim(const TString& text, const TDrawParams& params, int32_t loops)
    : SimpleAnim(params, loops)
{
    static const float kWhite[4] = {1, 1, 1, 1};
    mLayout = TTextLayout::Create(text, kTextWidth, kTextHeight, TTextLayout::kCentre, kTextFont, kTextSize, kWhite);
}

FlunkDropAnim::~FlunkDropAnim()
{
    TTextLayout::Delete(mLayout);
}

bool FlunkDropAnim::GetTextRect(TRect& out) const
{
    const TAnimatedTextureRef& texture = GetTexture();
    int32_t ax = 0, ay = 0;
    if (!texture || !texture->GetAnchor(TString("Text"), &ax, &ay))
        return false;
    const TDrawParams& params = GetDrawParams();
    const int32_t x = ax + int32_t(std::trunc(params.transform(2, 0))) - kTextWidth / 2;
    const int32_t y = ay + int32_t(std::trunc(params.transform(2, 1)));
    out = TRect(x, y, x + kTextWidth, y + kTextHeight);
    return true;
}

void FlunkDropAnim::Draw()
{
    // The base draws a frame whenever it runs with something to show (this
    // animation has no owner event); the text goes only with a drawn frame,
    // never at the anchor of whatever frame the shared texture last showed.
    const bool drawsFrame = IsRunning() && GetTexture() && GetFrameList().Count() > 0;
    SimpleAnim::Draw();
    TRect rect;
    if (drawsFrame && mLayout && GetTextRect(rect))
        mLayout->Draw(rect, 1.0f, 0, 1.0f, TTextureRef());
}

std::shared_ptr<FlunkDropAnim> MakeFlunkDropAnim(const TString& file, const TString& text,
                                                 const TDrawParams& params, const TString& frameList)
{
    if (gCurrent)
        gCurrent->Stop();
    std::shared_ptr<FlunkDropAnim> anim = KAnim::Create<FlunkDropAnim>(text, params, 0);
    anim->SetFps(kFps);
    anim->Attach(file, frameList, true);
    gCurrent = anim;
    return anim;
}

const std::shared_ptr<FlunkDropAnim>& GetFlunkDropAnim()
{
    return gCurrent;
}

void ReleaseFlunkDropAnim()
{
    gCurrent.reset();
}

} // namespace Quillory
