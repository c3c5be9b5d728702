#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "render/RenderDevice.h"
#include "render/RenderStates.h"

class GfxDisplay;
class GfxSurface;
class TTexture;

// What a texture offers to the drawing device: its surface and its image
// size (texels; the surface may be larger).
struct TTextureTarget {
    GfxSurface* surface = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

// What the drawing device needs from the display layer. TPlatform provides
// the frames with their device-loss handling; TGfxFrameHost below is a plain
// host over one display, for tools and tests.
class TRenderHost {
public:
    virtual ~TRenderHost() = default;

    // The display drawn on; null (or not created) while no mode is set.
    virtual GfxDisplay* GetDisplay() = 0;
    // Opens the scene of a frame (copyFront: start from the picture on the
    // screen) with whatever restore the device needs; false skips the frame.
    // The drawing device itself then clears the depth buffer over the
    // screen and sets its viewport.
    virtual bool BeginScene(bool copyFront) = 0;
    // Closes the scene; with present, shows the frame.
    virtual void EndScene(bool present) = 0;
    // Whether the device may be used (textures are bound only then).
    virtual bool IsDeviceReady() = 0;
    // A device call answered out of video memory.
    virtual void OutOfVideoMemory() = 0;
    // The texture's surface and image size; false when it has none (yet).
    virtual bool GetTextureTarget(const TTexture& texture, TTextureTarget* out)
    {
        (void)texture;
        (void)out;
        return false;
    }
};

// Frames straight on a display: BeginScene, EndScene and Present, without
// device-loss handling (a lost device skips frames).
class TGfxFrameHost : public TRenderHost {
public:
    explicit TGfxFrameHost(GfxDisplay* display) : mDisplay(display) {}
    GfxDisplay* GetDisplay() override { return mDisplay; }
    bool BeginScene(bool copyFront) override;
    void EndScene(bool present) override;
    bool IsDeviceReady() override;
    void OutOfVideoMemory() override { ++mOutOfMemory; }
    uint32_t OutOfMemoryCount() const { return mOutOfMemory; }

private:
    GfxDisplay* mDisplay;
    uint32_t mOutOfMemory = 0;
};

// The drawing device over the graphics stand-in: render states of the
// passes (TRenderStates), viewports and the clip rectangle, rectangle
// fills, vertex drawing and drawing into textures, all on the device of the
// host's display. Frames come from the host.
//
// Viewports are screen pixels: the display mode's, or, while the program is
// hosted and the back buffer scaled, the mode's divided by the scale. When the display's mode
// (or device) changes, the view state goes back to the whole screen and the
// device gets the program's device-wide states again (ResetDisplayState);
// the display layer may also call that itself right after a mode set.
// Main thread only.
class TGfxRenderDevice : public TRenderDevice {
public:
    // host is not owned and must outlive the device.
    explicit TGfxRenderDevice(TRenderHost* host);
    ~TGfxRenderDevice() override;

    TRenderStates& States() { return mStates; }

    // After a mode set: screen, viewport, clip and saved viewport become
    // the whole screen, the viewport stack empties, and the device gets the
    // program's device-wide states (ambient white, Z on, lighting with the
    // material as colour source, normalised normals, alpha blending, the
    // alpha test at 1, linear filters, Gouraud), identity world and view,
    // the default perspective (0.1, 1000, pi/4, fitted aspect), and the
    // default material.
    void ResetDisplayState();

    // The scale of a hosted display (back-buffer pixels per screen pixel);
    // 0, the default, takes the application's.
    void SetHostScale(float scale) { mHostScale = scale; }

    void SetPixelOffset(float offset) override { mStates.SetPixelOffset(offset); }
    float GetPixelOffset() const override { return mStates.GetPixelOffset(); }

    TRect GetScreenRect() const { return mScreen; }
    TRect GetClipRect() const { return mClip; }
    uint32_t GetViewportDepth() const { return uint32_t(mViewportStack.size()); }
    bool IsInFrame() const { return mInFrame; }

    // Viewport without the stack (logs "Bad viewport: ..." when the device
    // refuses it and goes back to the old one).
    void SetViewport(const TRect& rect);

    bool BeginFrame(bool copyFront) override;
    void EndFrame(bool present) override;
    bool Begin2d() override;
    void End2d() override;
    bool Begin3d() override;
    void End3d() override;
    bool BeginRenderToTexture(const TTextureRef& target, int32_t option) override;
    void EndRenderToTexture() override;
    void SetClipRect(const TRect& rect) override;
    TRect GetViewport() const override { return mViewport; }
    void PushViewport(const TRect& rect) override;
    void PopViewport() override;
    void FillColourRect(const TRect& rect, const float rgba[4], const TTextureRef& texture) override;
    void SetTexture(const TTextureRef& texture) override;
    void DrawVertices(uint32_t primitive, const TVertexList& vertices) override;
    void DrawIndexedVertices(uint32_t primitive, const TVertexList& vertices, const uint16_t* indices,
                             uint32_t indexCount) override;
    bool NeedsSquareTextures() const override;
    void SetBlendMode(int32_t mode) override;
    void SetCullMode(int32_t mode) override;
    void SetWorldTransform(const TMat4& matrix) override;
    void SetViewTransform(const TMat4& matrix) override;
    TMat4 GetWorldTransform() const override;
    void SetPerspective(float nearZ, float farZ, float fov, float aspect) override;
    void SetTextureFilter(int32_t mode) override;
    void SetTextureAddress(int32_t u, int32_t v) override;
    void SetMaterial(const TMaterial& material) override;
    void SetLight(uint32_t index, const TLight* light) override;
    void SetZEnable(bool on) override;
    void SetZWriteEnable(bool on) override;
    void SetShadeMode(int32_t mode) override;
    void SetAmbient(const float rgba[4]) override;
    void SetProjection(const TMat4& matrix) override;

    // Binds a surface on stage 0 directly (tools and tests: surfaces that
    // belong to no texture). Null unbinds.
    void SetSurface(GfxSurface* surface);

private:
    // Follows the display: a new mode or device resets the view state.
    void Sync();
    GfxDevice* Device();
    TViewArea Area() const;
    // Sets the device viewport to the viewport within the clip rectangle
    // (withClip) or alone; false when the device refuses it. An empty
    // result draws nothing until the next successful apply.
    bool Apply(bool withClip);
    bool SetDeviceViewport(const TRect& rect);
    void ClearDepthAndApply();
    void FillQuad(const TRect& rect, const float rgba[4]);
    void FillSurface(GfxSurface* surface, const TRect& bounds, TRect rect, const float rgba[4],
                     float scale = 1.0f);
    bool TargetOf(const TTextureRef& texture, TTextureTarget* out);
    float HostScale() const;
    void ResetTarget();

    TRenderHost* mHost;
    TRenderStates mStates;

    // The display state the view state was made for.
    GfxDisplay* mSyncedDisplay = nullptr;
    GfxDevice* mSyncedDevice = nullptr;
    int32_t mSyncedWidth = 0;
    int32_t mSyncedHeight = 0;
    bool mSyncedFullScreen = false;

    TRect mScreen;
    TRect mViewport;
    TRect mClip;
    TRect mSavedViewport;
    std::vector<TRect> mViewportStack; // newest last
    bool mNothingVisible = false;      // the applied viewport is empty
    bool mClipInViewport = true;       // the device viewport includes the clip rectangle

    bool mInFrame = false;
    bool mIn2d = false;
    GfxSurface* mBound = nullptr;      // stage-0 surface bound through this device
    float mHostScale = 0;

    // Render to texture.
    TTextureRef mTargetTexture;
    TTextureTarget mTarget;
    int32_t mTargetMode = 0;
};
