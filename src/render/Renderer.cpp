#include "render/Renderer.h"

#include "platform/Log.h"
#include "platform/Timer.h"
#include "render/TextLayout.h"

namespace {
TRenderer* gRenderer = nullptr;
const int32_t kVersion[4] = {4, 0, 7, 5};
} // namespace

TRenderer* TRenderer::Get()
{
    if (!gRenderer)
        gRenderer = new TRenderer();
    return gRenderer;
}

void TRenderer::Shutdown()
{
    delete gRenderer;
    gRenderer = nullptr;
}

TRenderer::TRenderer() = default;

TRenderer::~TRenderer()
{
    mDevice.reset();
    mStatsLayout.reset();
    mClipStack.clear();
    mTexture.reset();
}

void TRenderer::SetDevice(std::unique_ptr<TRenderDevice> device)
{
    mDevice = std::move(device);
    mIn2d = mIn3d = mDrawing = mRenderingToTexture = false;
}

bool TRenderer::BeginDraw(bool copyFront)
{
    mDrawing = mDevice && mDevice->BeginFrame(copyFront);
    return mDrawing;
}

void TRenderer::EndDraw(bool present)
{
    mDrawing = false;
    CountFrame();
    if (mStatsOn)
        DrawStats();
    if (mDevice)
        mDevice->EndFrame(present);
}

bool TRenderer::Begin2d()
{
    if (mIn2d) {
        WriteLog("Begin2d called when already in Begin2d state");
        return false;
    }
    if (mIn3d) {
        WriteLog("Begin2d called when already in Begin3d state");
        return false;
    }
    mIn2d = mDevice && mDevice->Begin2d();
    return mIn2d;
}

void TRenderer::End2d()
{
    if (!mIn2d) {
        WriteLog("End2d called when not in Begin2d state");
        return;
    }
    // The device unbinds stage 0 with the pass; the reference goes too.
    mTexture.reset();
    if (mDevice)
        mDevice->End2d();
    mIn2d = false;
}

bool TRenderer::Begin3d()
{
    if (mIn2d) {
        WriteLog("Begin3d called when already in Begin2d state");
        return false;
    }
    if (mIn3d) {
        WriteLog("Begin3d called when already in Begin3d state");
        return false;
    }
    mIn3d = mDevice && mDevice->Begin3d();
    return mIn3d;
}

void TRenderer::End3d()
{
    if (!mIn3d) {
        WriteLog("End3d called when not in Begin3d state");
        return;
    }
    if (mDevice)
        mDevice->End3d();
    mIn3d = false;
}

bool TRenderer::BeginRenderToTexture(TTextureRef target, int32_t option)
{
    if (mDrawing || mRenderingToTexture)
        return false; // the target reference is released on return
    bool ok = mDevice && mDevice->BeginRenderToTexture(target, option);
    mDrawing = mRenderingToTexture = ok;
    return ok;
}

void TRenderer::EndRenderToTexture()
{
    // A stray end would pop a viewport the device never saved.
    if (!mRenderingToTexture)
        return;
    if (mDevice)
        mDevice->EndRenderToTexture();
    mRenderingToTexture = false;
    mDrawing = false;
}

void TRenderer::CountFrame()
{
    uint32_t now = GetTimer();
    mFrameTimes[mFrameSlot] = now;
    mFrameSlot = (mFrameSlot + 1) % kFrameRing;
    if (mFrameSlot != 0)
        return;
    // Entry 0 is 14 frame intervals old.
    uint32_t span = now - mFrameTimes[0];
    if (span != 0)
        mFramesPerSecond = float((kFrameRing - 1) * 1000.0 / double(span));
}

TString TRenderer::GetStatsText() const
{
    return StrFormat("Kavrel Version %d.%d.%d.%d<br>FPS<tab pos='200'>%f<br>", kVersion[0], kVersion[1],
                     kVersion[2], kVersion[3], double(mFramesPerSecond));
}

void TRenderer::DrawStats()
{
    bool opened = Begin2d();
    const float black[4] = {0, 0, 0, 1};
    FillRect(TRect(0, 0, 300, 40), black);
    if (!mStatsLayout) {
        const float red[4] = {1, 0, 0, 1};
        mStatsLayout = TTextLayout::Create(TString(), 512, 512, 0, nullptr, 16, red);
    }
    mStatsLayout->SetText(GetStatsText());
    mStatsLayout->Draw(TRect(0, 0, 512, 512), 1.0f, 0, 1.0f, TTextureRef());
    if (opened)
        End2d();
}

void TRenderer::DrawVertices(uint32_t primitive, const TVertexList& vertices)
{
    if (!mIn2d && !mIn3d) {
        WriteLog("DrawVertices called when not in Begin2d or Begin3d state");
        return;
    }
    if (mDevice)
        mDevice->DrawVertices(primitive, vertices);
}

void TRenderer::DrawIndexedVertices(uint32_t primitive, const TVertexList& vertices, const uint16_t* indices,
                                    uint32_t indexCount)
{
    if (!mIn2d && !mIn3d) {
        WriteLog("DrawIndexedVertices called when not in Begin2d or Begin3d state");
        return;
    }
    if (mDevice)
        mDevice->DrawIndexedVertices(primitive, vertices, indices, indexCount);
}

void TRenderer::PushClipRect(const TRect& rect)
{
    mClipStack.push_back(rect);
    if (mDevice)
        mDevice->SetClipRect(rect);
}

void TRenderer::PopClipRect()
{
    if (mClipStack.size() <= 1)
        return;
    mClipStack.pop_back();
    if (mDevice)
        mDevice->SetClipRect(mClipStack.back());
}

void TRenderer::GetClipRect(TRect& out) const
{
    out = mClipStack.empty() ? TRect() : mClipStack.back();
}

void TRenderer::GetViewport(TRect& out) const
{
    out = mDevice ? mDevice->GetViewport() : TRect();
}

void TRenderer::PushViewport(const TRect& rect)
{
    if (mDevice)
        mDevice->PushViewport(rect);
}

void TRenderer::PopViewport()
{
    if (mDevice)
        mDevice->PopViewport();
}

void TRenderer::FillRect(const TRect& rect, const float rgba[4], const TTextureRef& texture)
{
    if (!mDevice)
        return;
    if (texture) {
        mDevice->FillColourRect(rect, rgba, texture);
        return;
    }
    TRect viewport = mDevice->GetViewport();
    TRect screen(rect.left + viewport.left, rect.top + viewport.top, rect.right + viewport.left,
                 rect.bottom + viewport.top);
    screen = TRect::Intersect(screen, viewport);
    if (screen.IsEmpty())
        return;
    mDevice->FillColourRect(screen, rgba, texture);
}

void TRenderer::SetTexture(TTextureRef texture)
{
    mTexture = std::move(texture);
    if (mDevice)
        mDevice->SetTexture(mTexture);
}

bool TRenderer::NeedsSquareTextures() const
{
    return mDevice && mDevice->NeedsSquareTextures();
}

void TRenderer::SetBlendMode(int32_t mode)
{
    if (mDevice)
        mDevice->SetBlendMode(mode);
}

void TRenderer::SetCullMode(int32_t mode)
{
    if (mDevice)
        mDevice->SetCullMode(mode);
}

void TRenderer::SetWorldTransform(const TMat4& matrix)
{
    if (mDevice)
        mDevice->SetWorldTransform(matrix);
}

void TRenderer::SetViewTransform(const TMat4& matrix)
{
    if (mDevice)
        mDevice->SetViewTransform(matrix);
}

void TRenderer::GetWorldTransform(TMat4& out) const
{
    out = mDevice ? mDevice->GetWorldTransform() : TMat4();
}

void TRenderer::SetPerspective(float nearZ, float farZ, float fov, float aspect)
{
    if (mDevice)
        mDevice->SetPerspective(nearZ, farZ, fov, aspect);
}

void TRenderer::SetTextureFilter(int32_t mode)
{
    if (mDevice)
        mDevice->SetTextureFilter(mode);
}

void TRenderer::SetTextureAddress(int32_t u, int32_t v)
{
    if (mDevice)
        mDevice->SetTextureAddress(u, v);
}

void TRenderer::SetMaterial(const TMaterial& material)
{
    if (mDevice)
        mDevice->SetMaterial(material);
}

void TRenderer::SetLight(uint32_t index, const TLight* light)
{
    if (mDevice)
        mDevice->SetLight(index, light);
}

void TRenderer::SetPixelOffset(float offset)
{
    if (mDevice)
        mDevice->SetPixelOffset(offset);
}

float TRenderer::GetPixelOffset() const
{
    return mDevice ? mDevice->GetPixelOffset() : -0.5f;
}

void TRenderer::ClearMaterial(TMaterial& material)
{
    material = TMaterial();
}

bool T2dGuard::Begin2d()
{
    TRenderer* renderer = TRenderer::Get();
    if (mBegun || renderer->IsIn2d())
        return true;
    mBegun = renderer->Begin2d();
    return mBegun;
}

void T2dGuard::End2dIfBegun()
{
    if (!mBegun)
        return;
    mBegun = false;
    TRenderer::Get()->End2d();
}

bool T3dGuard::Begin3d()
{
    TRenderer* renderer = TRenderer::Get();
    if (mBegun || renderer->IsIn3d())
        return true;
    mBegun = renderer->Begin3d();
    return mBegun;
}

void T3dGuard::End3dIfBegun()
{
    if (!mBegun)
        return;
    mBegun = false;
    TRenderer::Get()->End3d();
}
