#include "ui/Image.h"

#include <cmath>

#include "platform/Log.h"
#include "render/DrawParams.h"
#include "render/Renderer.h"
#include "render/Texture.h"
#include "ui/Style.h"
#include "ui/WindowManager.h"

namespace {

// Window sides stay far below what the int32 geometry could overflow on.
constexpr float kLargestSide = 1 << 20;

int32_t ScaledSide(uint32_t texels, float scale)
{
    float side = std::trunc(float(texels) * scale + 0.5f);
    return side < kLargestSide ? int32_t(side) : int32_t(kLargestSide);
}

} // namespace

TImage::TImage(bool toTexture)
{
    ChangeFlags(kWindowOpaqueCover | (toTexture ? kWindowToTexture : 0u), 0);
}

TImage::~TImage() = default;

TWindow* TImage::GetCreator()
{
    return new TImage(true);
}

void TImage::Init(const TStyle& style)
{
    const TString image = style.GetString("image", TString());
    const TString mask = style.GetString("mask", TString());
    const float scale = float(style.GetNumber("scale", 1.0));
    uint32_t textureFlags = 0;
    if (style.GetBool("alpha", false)) {
        ChangeFlags(0, kWindowOpaqueCover);
        textureFlags |= TTexture::kGetAlpha;
    }
    if (style.GetBool("mipmap", false))
        textureFlags |= TTexture::kGetMipmap;
    uint32_t drawFlags = 0;
    if (style.GetBool("hflip", false))
        drawFlags |= kDrawMirrorX;
    if (style.GetBool("vflip", false))
        drawFlags |= kDrawMirrorY;
    mDrawFlags = drawFlags;
    mRotate = style.GetBool("rotate", false);

    TTextureRef texture;
    if (!image.IsEmpty()) {
        // The texture maker logs a file that does not load.
        texture = mask.IsEmpty() ? TTexture::Get(image, textureFlags)
                                 : TTexture::GetMasked(image, mask, textureFlags);
    }
    SetImage(std::move(texture), scale);
    TWindow::Init(style);
}

void TImage::SetImage(TTextureRef texture, float scale)
{
    if (!std::isfinite(scale) || scale < 0.0f) {
        WriteLog("TImage %s: scale %g is no size factor; 1 used", GetName().c_str(), double(scale));
        scale = 1.0f;
    }
    mTexture = std::move(texture);
    mScale = scale;
    FitToImage();
    if (TWindowManager* manager = GetWindowManager())
        manager->Invalidate();
}

void TImage::SetRotate(bool rotate)
{
    if (rotate == mRotate)
        return;
    mRotate = rotate;
    FitToImage();
    if (TWindowManager* manager = GetWindowManager())
        manager->Invalidate();
}

void TImage::SetDrawFlags(uint32_t flags)
{
    mDrawFlags = flags;
    if (TWindowManager* manager = GetWindowManager())
        manager->Invalidate();
}

void TImage::FitToImage()
{
    if (!mTexture)
        return;
    int32_t width = ScaledSide(mTexture->GetWidth(), mScale);
    int32_t height = ScaledSide(mTexture->GetHeight(), mScale);
    if (mRotate)
        SetSize(height, width);
    else
        SetSize(width, height);
}

void TImage::Draw()
{
    if (!mTexture)
        return;
    TRenderer* renderer = TRenderer::Get();
    // Inside an open pass the renderer refuses (with its log line) and the
    // image is drawn in that pass.
    const bool began = renderer->Begin2d();
    TDrawParams params(TVec2(0.0f, 0.0f), mAlpha, mScale, 0);
    params.flags |= mDrawFlags | kDrawAtOrigin;
    if (mRotate) {
        params.origin = TVec2(0.0f, float(mTexture->GetHeight()));
        params.transform.Rotate(1.5707964f);
    }
    mTexture->Draw(params);
    if (began)
        renderer->End2d();
}
