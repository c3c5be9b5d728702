#pragma once
#include <cstdint>

#include "os/gfx/GfxTypes.h"

class GfxSurface;

// Everything a draw depends on, as the device stores it (DirectX 7 meaning).
struct GfxDeviceState {
    static constexpr uint32_t kRenderStates = 160;   // indexed by GfxRs number
    static constexpr uint32_t kStageStates = 20;     // indexed by GfxTss number
    static constexpr uint32_t kMaxLights = 8;

    uint32_t renderState[kRenderStates] = {};
    uint32_t stageState[kStageStates] = {};
    GfxMatrix world;
    GfxMatrix view;
    GfxMatrix projection;
    GfxMaterial material;
    GfxLight light[kMaxLights];
    bool lightEnabled[kMaxLights] = {};
    bool lightSet[kMaxLights] = {};
    GfxViewport viewport;
    GfxSurface* texture = nullptr;

    uint32_t Get(GfxRs s) const { return renderState[uint32_t(s)]; }
    uint32_t Get(GfxTss s) const { return stageState[uint32_t(s)]; }
};

// The drawing device of a GfxDisplay (valid while the display is created).
// Shaped after a DirectX 7 device: state setters, BeginScene/EndScene,
// Clear and DrawPrimitive / DrawIndexedPrimitive. The state is stored here
// and the backend applies it lazily when something is drawn.
//
// Defaults after creation are DirectX 7's (z test on with LessEqual, z
// writes on, Gouraud, cull CCW, no blending, SrcBlend One / DestBlend Zero,
// alpha test off, lighting on, ambient 0, local viewer on, colour vertex on
// with diffuse from colour 1 and specular from colour 2, specular off,
// texture factor white; stage 0: Modulate(Texture, Current) for colour,
// SelectArg1(Texture) for alpha, Wrap/Wrap, point filters, no mip filter;
// identity transforms; the viewport over the whole back buffer).
//
// Conventions (the same numbers as the original device):
// - Screen, viewport, clear and read-back rectangles are back-buffer pixels
//   with y downwards; pixel centres lie on integer coordinates.
// - Matrices are row-major for row vectors, z after projection is 0..1.
// - Cull CW removes triangles that appear clockwise on the screen.
// - Pre-transformed vertices (XyzRhw) are back-buffer pixels (not relative
//   to the viewport); rhw is ignored (2D only) and they are never lit.
// - Texture row 0 is the top row; v = 0 at the top.
// - With no texture bound, stage 0 reads an opaque white texel.
// - Lighting (Xyz vertices with Lighting on) is DirectX 7's per-vertex
//   lighting in camera space, at most 8 lights: range, attenuation, spot
//   cones with their falloff, the material colour sources (with ColorVertex
//   on and a vertex that has the colour), local viewer, specular added
//   after texturing when SpecularEnable is on; all-zero attenuation counts
//   as (1, 0, 0). The formulas are in GfxVertexLighting.h.
// - With Clipping off, nothing is cut at the near and far planes: depth
//   is held to 0..1 instead (a 2D pass with the last 3D pass's planes
//   still draws at z 0).
// - The back buffer has no alpha: it reads 255 whatever is drawn.
// - Drawing only inside BeginScene/EndScene (SceneNotInScene); Clear works
//   outside a scene too.
//
// Every call first takes an injected result for its GfxOp (GfxInject.h).
// Main thread only.
class GfxDevice {
public:
    static constexpr uint32_t kMaxLights = GfxDeviceState::kMaxLights;

    virtual ~GfxDevice() = default;

    // InvalidArg for a state number this device does not know.
    GfxResult SetRenderState(GfxRs state, uint32_t value);
    uint32_t GetRenderState(GfxRs state) const;
    // Stage 0 only; other stages answer InvalidArg.
    GfxResult SetTextureStageState(uint32_t stage, GfxTss state, uint32_t value);
    uint32_t GetTextureStageState(GfxTss state) const;

    GfxResult SetTransform(GfxTransform which, const GfxMatrix& matrix);
    GfxResult GetTransform(GfxTransform which, GfxMatrix* matrix) const;

    GfxResult SetMaterial(const GfxMaterial& material);
    const GfxMaterial& GetMaterial() const { return mState.material; }

    // index < 8. An invalid type answers InvalidArg. Enabling a light that
    // was never set enables DirectX's default (white, directional, +z).
    GfxResult SetLight(uint32_t index, const GfxLight& light);
    GfxResult GetLight(uint32_t index, GfxLight* light) const;
    GfxResult LightEnable(uint32_t index, bool enable);
    bool IsLightEnabled(uint32_t index) const;

    // Stage 0 only (null unbinds). The surface must come from the same
    // display and must not be the back buffer.
    GfxResult SetTexture(uint32_t stage, GfxSurface* surface);
    GfxSurface* GetTexture() const { return mState.texture; }

    // InvalidArg when empty or not inside the back buffer, or when the
    // depth range is not within 0..1 with minZ <= maxZ.
    GfxResult SetViewport(const GfxViewport& viewport);
    const GfxViewport& GetViewport() const { return mState.viewport; }

    // Clears the viewport: the colour (GfxClear::Target) and/or the depth
    // buffer (GfxClear::ZBuffer) to z in 0..1.
    GfxResult Clear(uint32_t flags, uint32_t argb, float z);

    GfxResult BeginScene();
    GfxResult EndScene();
    bool InScene() const { return mInScene; }

    // vertexCount vertices of the format fvf (GfxFvf), tightly packed at the
    // format's stride. A count that does not make a whole primitive draws
    // the whole ones.
    GfxResult DrawPrimitive(GfxPrimitive primitive, uint32_t fvf, const void* vertices,
                            uint32_t vertexCount);
    // Every index must be below vertexCount (InvalidArg otherwise; nothing drawn).
    GfxResult DrawIndexedPrimitive(GfxPrimitive primitive, uint32_t fvf, const void* vertices,
                                   uint32_t vertexCount, const uint16_t* indices,
                                   uint32_t indexCount);

    const GfxDeviceState& State() const { return mState; }

    // Back to the creation defaults (the display calls it on Create).
    void ResetState(int32_t targetWidth, int32_t targetHeight);

    // Drops any reference to the surface (it is being destroyed).
    void ForgetSurface(const GfxSurface* surface);

protected:
    GfxDevice() = default;

    // Backend hooks. Arguments are validated; the scene and lost-surface
    // rules are checked.
    virtual GfxResult DoClear(uint32_t flags, uint32_t argb, float z) = 0;
    virtual GfxResult DoDraw(GfxPrimitive primitive, uint32_t fvf, const void* vertices,
                             uint32_t vertexCount, const uint16_t* indices,
                             uint32_t indexCount) = 0;
    // Called after BeginScene/EndScene succeeded.
    virtual void DoScene(bool begin) { (void)begin; }
    // Whether the render target is lost (BeginScene, Clear and draws then
    // answer SurfaceLost).
    virtual bool TargetLost() const = 0;
    // A surface belongs to this device's display.
    virtual bool OwnsSurface(const GfxSurface* surface) const = 0;
    // Appends a line to the call log, when the display keeps one.
    virtual void Note(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        (void)format;
    }

    // Which groups changed since the backend last applied them.
    enum Dirty : uint32_t {
        DirtyRender = 1,
        DirtyStage = 2,
        DirtyTransform = 4,
        DirtyLights = 8,
        DirtyMaterial = 16,
        DirtyTexture = 32,
        DirtyViewport = 64,
        DirtyAll = 127,
    };
    uint32_t mDirty = DirtyAll;
    GfxDeviceState mState;
    int32_t mTargetWidth = 0;
    int32_t mTargetHeight = 0;
    bool mInScene = false;
};

// Default state of a light enabled without SetLight.
GfxLight GfxDefaultLight();
