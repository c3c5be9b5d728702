#pragma once
#include <cstdint>

#include "platform/Matrix.h"
#include "platform/Rect.h"
#include "render/RenderStates.h"
#include "render/TextureRef.h"

class TVertexList;

// The drawing device under the renderer facade: the device operations the
// facade forwards to, and the render states that drawing code (meshes, the
// game's stage) sets through TRenderer::GetDevice. TGfxRenderDevice
// implements it over the graphics device (tests run it on the recording
// graphics backend). The facade keeps the pass and frame bookkeeping; a
// device only answers whether an operation could be done.
class TRenderDevice {
public:
    virtual ~TRenderDevice() = default;

    // Frame: begin (copyFront: start from the last presented picture) and
    // end (present: draw the cursor into the frame and present it).
    virtual bool BeginFrame(bool copyFront) = 0;
    virtual void EndFrame(bool present) = 0;

    // Passes: 2D render states / 3D render states.
    virtual bool Begin2d() = 0;
    virtual void End2d() = 0;
    virtual bool Begin3d() = 0;
    virtual void End3d() = 0;

    // Drawing into a texture; the end copies the picture into the target and
    // restores the viewport.
    virtual bool BeginRenderToTexture(const TTextureRef& target, int32_t option) = 0;
    virtual void EndRenderToTexture() = 0;

    // Clip rectangle and viewports, in screen pixels.
    virtual void SetClipRect(const TRect& rect) = 0;
    virtual TRect GetViewport() const = 0;
    virtual void PushViewport(const TRect& rect) = 0;
    virtual void PopViewport() = 0;

    // Fills the rectangle with the colour (red, green, blue, alpha in 0..1):
    // on the screen (screen pixels) without a texture, else inside the
    // texture (its own pixels).
    virtual void FillColourRect(const TRect& rect, const float rgba[4], const TTextureRef& texture) = 0;

    virtual void SetTexture(const TTextureRef& texture) = 0;
    virtual void DrawVertices(uint32_t primitive, const TVertexList& vertices) = 0;
    virtual void DrawIndexedVertices(uint32_t primitive, const TVertexList& vertices,
                                     const uint16_t* indices, uint32_t indexCount) = 0;
    virtual bool NeedsSquareTextures() const = 0;

    virtual void SetBlendMode(int32_t mode) = 0;
    virtual void SetCullMode(int32_t mode) = 0;
    virtual void SetWorldTransform(const TMat4& matrix) = 0;
    virtual void SetViewTransform(const TMat4& matrix) = 0;
    virtual TMat4 GetWorldTransform() const = 0;
    virtual void SetPerspective(float nearZ, float farZ, float fov, float aspect) = 0;
    virtual void SetTextureFilter(int32_t mode) = 0;
    virtual void SetTextureAddress(int32_t u, int32_t v) = 0;
    virtual void SetMaterial(const TMaterial& material) = 0;
    // Null disables light index.
    virtual void SetLight(uint32_t index, const TLight* light) = 0;

    // Further render states (no facade forwarder).
    virtual void SetZEnable(bool on) = 0;
    virtual void SetZWriteEnable(bool on) = 0;
    virtual void SetShadeMode(int32_t mode) = 0;
    virtual void SetAmbient(const float rgba[4]) = 0;
    virtual void SetProjection(const TMat4& matrix) = 0;
    // Sub-pixel offset of the 2D projection (found by the start-up
    // calibration; -0.5 until then).
    virtual void SetPixelOffset(float offset) = 0;
    virtual float GetPixelOffset() const = 0;
};
