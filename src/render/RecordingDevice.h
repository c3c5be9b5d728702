#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "render/RenderDevice.h"

// A drawing device without a display: keeps the device state (viewport
// stack, clip rectangle, transforms, bound texture) and records every call,
// so drawing logic runs and can be checked headless. The answers to frame and
// pass requests can be set.
class TRecordingDevice : public TRenderDevice {
public:
    struct Call {
        std::string op;  // the operation's name, e.g. "FillColourRect"
        TRect rect;      // rectangle argument (screen pixels), if any
        float rgba[4] = {0, 0, 0, 0};
        int32_t value = 0; // flag, mode or count argument
        const void* texture = nullptr;
    };

    explicit TRecordingDevice(const TRect& screen = TRect(0, 0, 800, 600));

    // Answers.
    bool mFrameResult = true;
    bool mPassResult = true;
    bool mRenderToTextureResult = true;
    bool mSquareTextures = false;

    std::vector<Call> mCalls;
    // The calls whose op is `op`, in order.
    std::vector<Call> Find(const std::string& op) const;
    uint32_t Count(const std::string& op) const;
    // The ops alone, in order, optionally only those in `only`.
    std::vector<std::string> Ops(const std::vector<std::string>& only = {}) const;
    void Clear() { mCalls.clear(); }

    TRect GetClipRect() const { return mClip; }
    uint32_t GetViewportDepth() const { return uint32_t(mViewports.size()); }

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
    bool NeedsSquareTextures() const override { return mSquareTextures; }
    void SetBlendMode(int32_t mode) override;
    void SetCullMode(int32_t mode) override;
    void SetWorldTransform(const TMat4& matrix) override;
    void SetViewTransform(const TMat4& matrix) override;
    TMat4 GetWorldTransform() const override { return mWorld; }
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

    // The last material and lights set (a light slot is empty when disabled).
    TMaterial mMaterial;
    bool mLightOn[8] = {};
    TLight mLights[8];

private:
    void Record(const char* op, const TRect& rect = TRect(), int32_t value = 0);

    TRect mViewport;
    std::vector<TRect> mViewports;
    TRect mClip;
    TMat4 mWorld;
    TMat4 mView;
};
