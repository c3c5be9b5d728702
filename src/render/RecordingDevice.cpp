#include "render/RecordingDevice.h"

#include <algorithm>

TRecordingDevice::TRecordingDevice(const TRect& screen) : mViewport(screen), mClip(screen) {}

void TRecordingDevice::Record(const char* op, const TRect& rect, int32_t value)
{
    Call call;
    call.op = op;
    call.rect = rect;
    call.value = value;
    mCalls.push_back(call);
}

std::vector<TRecordingDevice::Call> TRecordingDevice::Find(const std::string& op) const
{
    std::vector<Call> found;
    for (const Call& call : mCalls)
        if (call.op == op)
            found.push_back(call);
    return found;
}

uint32_t TRecordingDevice::Count(const std::string& op) const
{
    return uint32_t(std::count_if(mCalls.begin(), mCalls.end(), [&](const Call& c) { return c.op == op; }));
}

std::vector<std::string> TRecordingDevice::Ops(const std::vector<std::string>& only) const
{
    std::vector<std::string> ops;
    for (const Call& call : mCalls)
        if (only.empty() || std::find(only.begin(), only.end(), call.op) != only.end())
            ops.push_back(call.op);
    return ops;
}

bool TRecordingDevice::BeginFrame(bool copyFront)
{
    Record("BeginFrame", TRect(), copyFront);
    return mFrameResult;
}

void TRecordingDevice::EndFrame(bool present)
{
    Record("EndFrame", TRect(), present);
}

bool TRecordingDevice::Begin2d()
{
    Record("Begin2d");
    return mPassResult;
}

void TRecordingDevice::End2d()
{
    Record("End2d");
}

bool TRecordingDevice::Begin3d()
{
    Record("Begin3d");
    return mPassResult;
}

void TRecordingDevice::End3d()
{
    Record("End3d");
}

bool TRecordingDevice::BeginRenderToTexture(const TTextureRef& target, int32_t option)
{
    Record("BeginRenderToTexture", TRect(), option);
    mCalls.back().texture = target.get();
    if (mRenderToTextureResult)
        mViewports.push_back(mViewport);
    return mRenderToTextureResult;
}

void TRecordingDevice::EndRenderToTexture()
{
    Record("EndRenderToTexture");
    if (!mViewports.empty()) {
        mViewport = mViewports.back();
        mViewports.pop_back();
    }
}

void TRecordingDevice::SetClipRect(const TRect& rect)
{
    Record("SetClipRect", rect);
    mClip = rect;
}

void TRecordingDevice::PushViewport(const TRect& rect)
{
    Record("PushViewport", rect);
    mViewports.push_back(mViewport);
    mViewport = rect;
}

void TRecordingDevice::PopViewport()
{
    Record("PopViewport");
    if (!mViewports.empty()) {
        mViewport = mViewports.back();
        mViewports.pop_back();
    }
}

void TRecordingDevice::FillColourRect(const TRect& rect, const float rgba[4], const TTextureRef& texture)
{
    Record("FillColourRect", rect);
    std::copy(rgba, rgba + 4, mCalls.back().rgba);
    mCalls.back().texture = texture.get();
}

void TRecordingDevice::SetTexture(const TTextureRef& texture)
{
    Record("SetTexture");
    mCalls.back().texture = texture.get();
}

void TRecordingDevice::DrawVertices(uint32_t primitive, const TVertexList&)
{
    Record("DrawVertices", TRect(), int32_t(primitive));
}

void TRecordingDevice::DrawIndexedVertices(uint32_t primitive, const TVertexList&, const uint16_t*,
                                           uint32_t indexCount)
{
    Record("DrawIndexedVertices", TRect(), int32_t(primitive));
    mCalls.back().rect = TRect(0, 0, int32_t(indexCount), 0);
}

void TRecordingDevice::SetBlendMode(int32_t mode)
{
    Record("SetBlendMode", TRect(), mode);
}

void TRecordingDevice::SetCullMode(int32_t mode)
{
    Record("SetCullMode", TRect(), mode);
}

void TRecordingDevice::SetWorldTransform(const TMat4& matrix)
{
    Record("SetWorldTransform");
    mWorld = matrix;
}

void TRecordingDevice::SetViewTransform(const TMat4& matrix)
{
    Record("SetViewTransform");
    mView = matrix;
}

void TRecordingDevice::SetPerspective(float, float, float, float)
{
    Record("SetPerspective");
}

void TRecordingDevice::SetTextureFilter(int32_t mode)
{
    Record("SetTextureFilter", TRect(), mode);
}

void TRecordingDevice::SetTextureAddress(int32_t u, int32_t v)
{
    Record("SetTextureAddress", TRect(u, v, 0, 0));
}

void TRecordingDevice::SetMaterial(const TMaterial& material)
{
    Record("SetMaterial");
    mMaterial = material;
}

void TRecordingDevice::SetLight(uint32_t index, const TLight* light)
{
    Record("SetLight", TRect(), int32_t(index));
    mCalls.back().texture = light;
    if (index < 8) {
        mLightOn[index] = light != nullptr;
        if (light)
            mLights[index] = *light;
    }
}

void TRecordingDevice::SetZEnable(bool on)
{
    Record("SetZEnable", TRect(), on);
}

void TRecordingDevice::SetZWriteEnable(bool on)
{
    Record("SetZWriteEnable", TRect(), on);
}

void TRecordingDevice::SetShadeMode(int32_t mode)
{
    Record("SetShadeMode", TRect(), mode);
}

void TRecordingDevice::SetAmbient(const float rgba[4])
{
    Record("SetAmbient");
    std::copy(rgba, rgba + 4, mCalls.back().rgba);
}

void TRecordingDevice::SetProjection(const TMat4&)
{
    Record("SetProjection");
}
