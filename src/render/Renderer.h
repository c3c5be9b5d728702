#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Matrix.h"
#include "platform/Rect.h"
#include "platform/TString.h"
#include "render/RenderDevice.h"
#include "render/TextureRef.h"

class TTextLayout;
class TVertexList;

// The drawing facade. Keeps which pass is open (none, 2D or 3D), whether a
// frame or a render-to-texture pass is open, the clip-rectangle stack, the
// current texture and the frame-rate counter; everything else goes to the
// device. Misuse of the pass order writes a log line and is ignored.
// Main thread only; draw calls belong between BeginDraw and EndDraw.
class TRenderer {
public:
    // The one renderer, made on first use.
    static TRenderer* Get();
    // Deletes the renderer (device first); Get makes a new one afterwards.
    static void Shutdown();

    // The device (owned). Without one every frame and pass is refused.
    void SetDevice(std::unique_ptr<TRenderDevice> device);
    TRenderDevice* GetDevice() const { return mDevice.get(); }

    // Frame.
    bool BeginDraw(bool copyFront);
    void EndDraw(bool present);
    bool IsDrawing() const { return mDrawing || mRenderingToTexture; }

    // Passes. End2d also unbinds the current texture.
    bool Begin2d();
    void End2d();
    bool Begin3d();
    void End3d();
    bool IsIn2d() const { return mIn2d; }
    bool IsIn3d() const { return mIn3d; }

    // Render to texture; refused (false, no log line) while a frame or
    // another render-to-texture pass is open.
    bool BeginRenderToTexture(TTextureRef target, int32_t option);
    void EndRenderToTexture();
    bool IsRenderingToTexture() const { return mRenderingToTexture; }

    // Statistics overlay (frame rate), drawn at EndDraw while on.
    void ToggleStats() { mStatsOn = !mStatsOn; }
    bool IsStatsOn() const { return mStatsOn; }
    float GetFramesPerSecond() const { return mFramesPerSecond; }
    // The overlay's text for the current frame rate.
    TString GetStatsText() const;

    // Vertex drawing, only inside a 2D or 3D pass.
    void DrawVertices(uint32_t primitive, const TVertexList& vertices);
    void DrawIndexedVertices(uint32_t primitive, const TVertexList& vertices, const uint16_t* indices,
                             uint32_t indexCount);

    // Clip rectangles (screen pixels). Pushed as given; the bottom one is
    // never popped; an empty stack reads as (0, 0, 0, 0).
    void PushClipRect(const TRect& rect);
    void PopClipRect();
    void GetClipRect(TRect& out) const;
    uint32_t GetClipDepth() const { return uint32_t(mClipStack.size()); }

    // Viewports (screen pixels).
    void GetViewport(TRect& out) const;
    void PushViewport(const TRect& rect);
    void PopViewport();

    // Without a texture the rectangle is relative to the current viewport
    // and cut to it; with one it is in the texture's pixels.
    void FillRect(const TRect& rect, const float rgba[4], const TTextureRef& texture = TTextureRef());

    // Textures.
    void SetTexture(TTextureRef texture);
    void GetTexture(TTextureRef& out) const { out = mTexture; }
    bool NeedsSquareTextures() const;

    // Forwarders to the device.
    void SetBlendMode(int32_t mode);
    void SetCullMode(int32_t mode);
    void SetWorldTransform(const TMat4& matrix);
    void SetViewTransform(const TMat4& matrix);
    void GetWorldTransform(TMat4& out) const;
    void SetPerspective(float nearZ, float farZ, float fov, float aspect);
    void SetTextureFilter(int32_t mode);
    void SetTextureAddress(int32_t u, int32_t v);
    void SetMaterial(const TMaterial& material);
    // Sets and enables light index, or disables it when light is null.
    void SetLight(uint32_t index, const TLight* light);
    // Sub-pixel offset of the 2D projection; -0.5 without a device.
    void SetPixelOffset(float offset);
    float GetPixelOffset() const;
    // All 17 floats of the record to 0.
    static void ClearMaterial(TMaterial& material);

private:
    TRenderer();
    ~TRenderer();
    TRenderer(const TRenderer&) = delete;
    TRenderer& operator=(const TRenderer&) = delete;

    void CountFrame();
    void DrawStats();

    std::unique_ptr<TRenderDevice> mDevice;

    // Frame-rate counter: the application times at which the last 15
    // frames ended.
    static constexpr uint32_t kFrameRing = 15;
    uint32_t mFrameSlot = 0;
    float mFramesPerSecond = 0.0f;
    uint32_t mFrameTimes[kFrameRing] = {};

    bool mStatsOn = false;
    std::unique_ptr<TTextLayout> mStatsLayout; // made on the first frame that shows it
    TTextureRef mTexture;
    std::vector<TRect> mClipStack;
    bool mIn2d = false;
    bool mIn3d = false;
    bool mDrawing = false;
    bool mRenderingToTexture = false;
};

// Opens a 2D pass only when none is open, and closes only what it opened.
class T2dGuard {
public:
    bool Begin2d();
    void End2dIfBegun();
    ~T2dGuard() { End2dIfBegun(); }

private:
    bool mBegun = false;
};

// The same for a 3D pass.
class T3dGuard {
public:
    bool Begin3d();
    void End3dIfBegun();
    ~T3dGuard() { End3dIfBegun(); }

private:
    bool mBegun = false;
};
