#pragma once
#include <cstdint>
#include <functional>

#include "platform/Matrix.h"
#include "platform/Rect.h"

class GfxDevice;
class GfxSurface;
class TVertexList;

// Colour with float components, 0..1.
struct TColorValue {
    float r = 0, g = 0, b = 0, a = 0;
};

// A material record: diffuse, ambient, specular and emissive colours, then
// the specular power (17 floats).
struct TMaterial {
    TColorValue diffuse;
    TColorValue ambient;
    TColorValue specular;
    TColorValue emissive;
    float power = 0;
};
static_assert(sizeof(TMaterial) == 17 * sizeof(float));

// Light kinds of TLight.
enum : int32_t { kLightDirectional = 0, kLightPoint = 1, kLightSpot = 2 };

// A light record as the game hands it over: kind, colours, position and
// direction in world space, range, the three attenuation factors, and the
// inner (theta) and outer (phi) cone angles of a spot in radians.
struct TLight {
    int32_t kind = kLightDirectional;
    TColorValue diffuse;
    TColorValue specular;
    TColorValue ambient;
    float position[3] = {0, 0, 0};
    float direction[3] = {0, 0, 1};
    float range = 0;
    float attenuation0 = 0;
    float attenuation1 = 0;
    float attenuation2 = 0;
    float theta = 0;
    float phi = 0;
};
static_assert(sizeof(TLight) == 25 * 4);

// Vertex types of TVertexList and their vertex formats.
enum : int32_t { kVertexMesh = 0, kVertexLit = 1, kVertexSprite = 2, kVertexScreen = 3 };
enum : uint32_t { kFvfMesh = 0x112, kFvfLit = 0x1E2, kFvfScreen = 0x1C4 };
// The format of a vertex type (any unknown type draws as a mesh vertex).
uint32_t VertexFormatOf(int32_t type);

// Primitive types of the vertex draws (the original device's numbers).
enum : uint32_t {
    kPrimitivePointList = 1,
    kPrimitiveLineList = 2,
    kPrimitiveLineStrip = 3,
    kPrimitiveTriangleList = 4,
    kPrimitiveTriangleStrip = 5,
    kPrimitiveTriangleFan = 6,
};

// Blend modes.
enum : int32_t { kBlendNormal = 0, kBlendOpaque = 1, kBlendAdditive = 2, kBlendDarken = 3 };

// What the 2D projection and the perspective are fitted to: the viewport as
// asked for, and the part of it that shows (viewport within the screen,
// within the clip rectangle), in screen pixels.
struct TViewArea {
    TRect viewport;
    TRect visible;
};

// The render states of the passes and draws, set on a graphics device with
// the numbers and defaults of the original device: the 2D and 3D pass state
// lists, blend modes with their texture-stage set-up, filters, addressing,
// Z, cull and shade switches, transforms, lights, materials, the vertex
// formats with the lazily rebuilt 2D projection, and vertex drawing.
//
// State is set on every call (no caching), as the drawing code expects.
// Without a device (SetDevice(nullptr)) every operation does nothing.
// A device call answering out-of-video-memory is reported through the
// out-of-memory handler; other failures are ignored. Main thread only.
class TRenderStates {
public:
    TRenderStates();

    void SetDevice(GfxDevice* device) { mDevice = device; }
    GfxDevice* GetDevice() const { return mDevice; }

    // Called on a device call that ran out of video memory (default: the
    // application handle's report).
    void SetOutOfMemoryHandler(std::function<void()> handler) { mOutOfMemory = std::move(handler); }

    // The device lacks specular Gouraud shading: 3D passes leave specular off.
    void SetNoSpecular(bool noSpecular) { mNoSpecular = noSpecular; }
    // A render-to-texture pass in the alpha-mask mode is drawing.
    void SetAlphaMaskPass(bool on) { mAlphaMask = on; }
    bool IsAlphaMaskPass() const { return mAlphaMask; }

    // Sub-pixel offset of the 2D projection (-0.5 by default).
    void SetPixelOffset(float offset) { mPixelOffset = offset; }
    float GetPixelOffset() const { return mPixelOffset; }
    float GetNear() const { return mNear; }
    float GetFar() const { return mFar; }
    const TMat4& GetProjection() const { return mProjection; }
    void SetProjectionDirty() { mProjectionDirty = true; }
    bool IsProjectionDirty() const { return mProjectionDirty; }

    // The device-wide states the program keeps on a new device: ambient
    // white, Z test and writes on, lighting with every colour from the
    // material, normalised normals, normal alpha blending, no texture
    // wrapping, linear filters, stage 0 modulating texture and diffuse, the
    // alpha test passing alpha 1 and above, Gouraud shading.
    void SetDeviceDefaults();

    // Draws a list with the 2D projection of area even outside a 2D pass;
    // the projection in force before is put back afterwards.
    void DrawWith2dProjection(uint32_t primitive, const TVertexList& vertices, const TViewArea& area);

    // Passes.
    void Begin2d();
    void End2d();
    void Begin3d();

    void SetBlendMode(int32_t mode);
    // 0 point, 1 linear; other values change nothing.
    void SetTextureFilter(int32_t mode);
    // 1 wrap, 2 mirror, anything else clamp.
    void SetTextureAddress(int32_t u, int32_t v);
    void SetZEnable(bool on);
    void SetZWriteEnable(bool on);
    // 2 clockwise, 3 counter-clockwise, anything else none.
    void SetCullMode(int32_t mode);
    // 2 Gouraud, anything else flat.
    void SetShadeMode(int32_t mode);
    // Red, green, blue, alpha in 0..1.
    void SetAmbient(const float rgba[4]);
    void SetMaterial(const TMaterial& material);
    void SetWorld(const TMat4& matrix);
    void SetView(const TMat4& matrix);
    TMat4 GetWorld() const;
    void SetProjection(const TMat4& matrix);
    // Perspective fitted to the visible part of the viewport; aspect 0 means
    // the visible height over its width.
    void SetPerspective(float nearZ, float farZ, float fov, float aspect, const TViewArea& area);
    // Null disables the light; a light the device refuses is disabled again.
    void SetLight(uint32_t index, const TLight* light);
    // Stage 0 texture (null: none).
    void SetTexture(GfxSurface* surface);

    // Lighting switch and format for a vertex type; inside a 2D pass
    // (in2d) with the projection dirty, also the 2D projection for area.
    uint32_t SetVertexFormat(int32_t type, bool in2d, const TViewArea& area);
    // The 2D projection: screen-pixel coordinates relative to the
    // viewport's top-left corner, shifted by the pixel offset.
    void Set2dProjection(const TViewArea& area);

    void DrawVertices(uint32_t primitive, const TVertexList& vertices, bool in2d, const TViewArea& area);
    void DrawIndexedVertices(uint32_t primitive, const TVertexList& vertices, const uint16_t* indices,
                             uint32_t indexCount, bool in2d, const TViewArea& area);

    // Reports an out-of-video-memory result; true when it was one.
    bool Report(int32_t result);

private:
    void Rs(uint32_t state, uint32_t value);
    void Tss(uint32_t state, uint32_t value);

    GfxDevice* mDevice = nullptr;
    std::function<void()> mOutOfMemory;
    bool mNoSpecular = false;
    bool mAlphaMask = false;
    bool mProjectionDirty = true;
    float mPixelOffset = -0.5f;
    float mNear = 0.1f;
    float mFar = 1000.0f;
    TMat4 mProjection;
};

// Left-handed off-centre orthographic projection (z from zn..zf to 0..1).
TMat4 OrthoOffCenter(float left, float right, float bottom, float top, float zn, float zf);
