// The start-up calibration of the 2D pixel offset: a test pattern drawn into
// a texture at ten candidate offsets and read back.
#include "render/PixelCalibration.h"

#include "platform/Log.h"
#include "render/Platform.h"
#include "render/PlatformData.h"
#include "render/Renderer.h"
#include "render/Texture.h"

namespace {

constexpr int32_t kCandidates = 10;
constexpr uint32_t kPattern = 16;

float Candidate(int32_t i)
{
    return float(i) * 0.1f - 0.5f;
}

bool IsBlack(uint32_t argb)
{
    return (argb & 0x00FFFFFFu) == 0;
}

// 16 x 16 opaque white with black texels at (0, 0) and (15, 15).
TTextureRef MakePattern()
{
    TTextureRef pattern = TTexture::CreateRenderTarget(kPattern, kPattern, false);
    if (!pattern)
        return pattern;
    const float white[4] = {1, 1, 1, 1};
    TRenderer::Get()->FillRect(TRect(0, 0, kPattern, kPattern), white, pattern);
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
    if (pattern->Lock(pixels, pitch)) {
        pixels[0] &= 0xFF000000u;
        pixels[(kPattern - 1) * pitch + kPattern - 1] &= 0xFF000000u;
        pattern->Unlock();
    }
    return pattern;
}

// The pattern drawn at each candidate offset, side by side.
void DrawCandidates(const TTextureRef& pattern, const TTextureRef& target)
{
    TRenderer* renderer = TRenderer::Get();
    if (!renderer->BeginRenderToTexture(target, 0))
        return;
    if (renderer->Begin2d()) {
        renderer->SetTextureFilter(0);
        for (int32_t i = 0; i < kCandidates; ++i) {
            renderer->SetPixelOffset(Candidate(i));
            pattern->Draw(TDrawParams(TVec2(float(kPattern * i), 0), 1.0f, 1.0f, kDrawAtOrigin));
        }
        renderer->SetTextureFilter(1);
        renderer->End2d();
    }
    renderer->EndRenderToTexture();
}

// The first offset whose copy kept both black corners in place.
bool PickOffset(const TTextureRef& target, float& offset)
{
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
    if (!target->Lock(pixels, pitch))
        return false;
    bool found = false;
    for (int32_t i = 0; i < kCandidates && !found; ++i) {
        uint32_t x = kPattern * uint32_t(i);
        found = IsBlack(pixels[x]) && IsBlack(pixels[(kPattern - 1) * pitch + x + kPattern - 1]);
        if (found)
            offset = Candidate(i);
    }
    target->Unlock();
    return found;
}

} // namespace

bool FindPixelOffset()
{
    TRenderer* renderer = TRenderer::Get();
    float offset = Candidate(0);
    bool found = false;
    if (TTextureRef pattern = MakePattern()) {
        if (TTextureRef target = TTexture::CreateRenderTarget(1024, 512, false)) {
            const float red[4] = {1, 0, 0, 1};
            renderer->FillRect(TRect(0, 0, 512, 512), red, target);
            DrawCandidates(pattern, target);
            found = PickOffset(target, offset);
        }
    }
    renderer->SetPixelOffset(found ? offset : Candidate(0));
    return found;
}

void TPlatform::CalibratePixelOffset()
{
    if (mData->mCalibrated)
        return;
    mData->mCalibrated = true;
    if (FindPixelOffset())
        WriteLog("2D pixel offset: %.1f", double(TRenderer::Get()->GetPixelOffset()));
    else
        WriteLog("2D pixel offset: no candidate passed, staying at -0.5");

    int32_t width = 0, height = 0;
    bool fullScreen = false;
    GetDisplayMode(width, height, fullScreen);
    const TRect screen(0, 0, width, height);
    const float black[4] = {0, 0, 0, 1};
    TRenderer* renderer = TRenderer::Get();
    renderer->PushClipRect(screen);
    renderer->FillRect(screen, black);
    renderer->PopClipRect();
}

bool TPlatform::IsCalibrated() const
{
    return mData->mCalibrated;
}
