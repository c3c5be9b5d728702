#pragma once
#include <cstdint>
#include <string>

// Values and records of the graphics stand-in (GfxDisplay, GfxDevice,
// GfxSurface). They are shaped after DirectX 7: where a number is part of a
// state's meaning (render states, blend factors, stage states...) it is the
// DirectX 7 number, so code written for that device reads the same here.
// Colours are 0xAARRGGBB words; matrices are 4x4 row-major for row vectors.

// Result of every fallible call. The GL backend itself only yields Ok,
// InvalidArg, Failed and OutOfVideoMemory; every other value arises through
// injection (GfxInject.h) or the lost-surface model.
enum class GfxResult : int32_t {
    Ok = 0,
    Failed,                  // generic failure
    InvalidArg,              // a bad value or rectangle
    InvalidPointer,          // a required pointer was null
    OutOfVideoMemory,
    SurfaceLost,             // the surface (or the back buffer) must be restored
    WasStillDrawing,
    WrongMode,
    ExclusiveModeAlreadySet,
    NoExclusiveMode,
    CurrentlyNotAvailable,
    SceneEndFailed,
    SceneInScene,            // BeginScene inside a scene
    SceneNotInScene,         // EndScene or a draw outside a scene
    NotCreated,              // the display has no mode set
    DeviceRetry,             // device creation asks to be retried in a window
    DeviceBadDepth,          // device creation refused the desktop's colour depth
};

inline bool GfxOk(GfxResult r) { return r == GfxResult::Ok; }
const char* GfxResultName(GfxResult r);

// Rectangle in pixels: left, top inclusive; right, bottom exclusive.
struct GfxRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const GfxRect&) const = default;
};

struct GfxMatrix {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    bool operator==(const GfxMatrix&) const = default;
};

// Colour with float components (as lights and materials carry them).
struct GfxColorValue {
    float r = 0;
    float g = 0;
    float b = 0;
    float a = 0;
    bool operator==(const GfxColorValue&) const = default;
};

struct GfxVector {
    float x = 0;
    float y = 0;
    float z = 0;
    bool operator==(const GfxVector&) const = default;
};

struct GfxMaterial {
    GfxColorValue diffuse;
    GfxColorValue ambient;
    GfxColorValue specular;
    GfxColorValue emissive;
    float power = 0;
    bool operator==(const GfxMaterial&) const = default;
};

struct GfxLightType {
    enum : uint32_t { Point = 1, Spot = 2, Directional = 3 };
};

// A light in world space, applied as DirectX 7 applies it (formulas in
// GfxVertexLighting.h): direction is where the light travels; range and
// attenuation (all zero counts as 1, 0, 0) apply to point and spot lights,
// falloff between the cones to spot lights.
struct GfxLight {
    uint32_t type = GfxLightType::Directional;
    GfxColorValue diffuse;
    GfxColorValue specular;
    GfxColorValue ambient;
    GfxVector position;
    GfxVector direction;
    float range = 0;
    float falloff = 0;
    float attenuation0 = 0;
    float attenuation1 = 0;
    float attenuation2 = 0;
    float theta = 0;   // inner cone, full angle in radians
    float phi = 0;     // outer cone, full angle in radians
    bool operator==(const GfxLight&) const = default;
};

// Viewport in render-target pixels with its depth range.
struct GfxViewport {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    float minZ = 0;
    float maxZ = 1;
    bool operator==(const GfxViewport&) const = default;
};

// Render states (the numbers of DirectX 7's render-state list). Only these
// have a meaning here; any other number is refused with InvalidArg.
enum class GfxRs : uint32_t {
    ZEnable = 7,
    FillMode = 8,
    ShadeMode = 9,
    ZWriteEnable = 14,
    AlphaTestEnable = 15,
    SrcBlend = 19,
    DestBlend = 20,
    CullMode = 22,
    ZFunc = 23,
    AlphaRef = 24,
    AlphaFunc = 25,
    DitherEnable = 26,
    AlphaBlendEnable = 27,
    FogEnable = 28,
    SpecularEnable = 29,
    TextureFactor = 60,
    Wrap0 = 128,
    Clipping = 136,
    Lighting = 137,
    Ambient = 139,
    ColorVertex = 141,
    LocalViewer = 142,
    NormalizeNormals = 143,
    DiffuseMaterialSource = 145,
    SpecularMaterialSource = 146,
    AmbientMaterialSource = 147,
    EmissiveMaterialSource = 148,
};
const char* GfxRsName(GfxRs state);

// Texture stage states (stage 0 only).
enum class GfxTss : uint32_t {
    ColorOp = 1,
    ColorArg1 = 2,
    ColorArg2 = 3,
    AlphaOp = 4,
    AlphaArg1 = 5,
    AlphaArg2 = 6,
    AddressU = 13,
    AddressV = 14,
    BorderColor = 15,
    MagFilter = 16,
    MinFilter = 17,
    MipFilter = 18,
};
const char* GfxTssName(GfxTss state);

// Values of the states above.
struct GfxBool {
    enum : uint32_t { False = 0, True = 1 };
};
struct GfxFill {
    enum : uint32_t { Point = 1, Wireframe = 2, Solid = 3 };
};
struct GfxShade {
    enum : uint32_t { Flat = 1, Gouraud = 2, Phong = 3 };
};
struct GfxBlend {
    enum : uint32_t {
        Zero = 1,
        One = 2,
        SrcColor = 3,
        InvSrcColor = 4,
        SrcAlpha = 5,
        InvSrcAlpha = 6,
        DestAlpha = 7,
        InvDestAlpha = 8,
        DestColor = 9,
        InvDestColor = 10,
        SrcAlphaSat = 11,
        BothSrcAlpha = 12,      // source SrcAlpha, destination InvSrcAlpha
        BothInvSrcAlpha = 13,   // source InvSrcAlpha, destination SrcAlpha
    };
};
struct GfxCull {
    enum : uint32_t { None = 1, CW = 2, CCW = 3 };
};
struct GfxCmp {
    enum : uint32_t {
        Never = 1,
        Less = 2,
        Equal = 3,
        LessEqual = 4,
        Greater = 5,
        NotEqual = 6,
        GreaterEqual = 7,
        Always = 8,
    };
};
struct GfxMcs {   // material colour source
    enum : uint32_t { Material = 0, Color1 = 1, Color2 = 2 };
};
struct GfxTop {   // texture stage operation
    enum : uint32_t {
        Disable = 1,
        SelectArg1 = 2,
        SelectArg2 = 3,
        Modulate = 4,
        Modulate2x = 5,
        Modulate4x = 6,
        Add = 7,
        AddSigned = 8,
        AddSigned2x = 9,
        Subtract = 10,
        AddSmooth = 11,
        BlendDiffuseAlpha = 12,
        BlendTextureAlpha = 13,
        BlendFactorAlpha = 14,
        BlendCurrentAlpha = 16,
    };
};
struct GfxTa {    // texture stage argument, with modifier bits
    enum : uint32_t {
        Diffuse = 0,
        Current = 1,
        Texture = 2,
        TFactor = 3,
        Specular = 4,
        SelectMask = 0x0F,
        Complement = 0x10,
        AlphaReplicate = 0x20,
    };
};
struct GfxAddress {
    enum : uint32_t { Wrap = 1, Mirror = 2, Clamp = 3, Border = 4 };
};
struct GfxMagFilter {
    enum : uint32_t { Point = 1, Linear = 2 };
};
struct GfxMinFilter {
    enum : uint32_t { Point = 1, Linear = 2 };
};
struct GfxMipFilter {   // note: None is 1, Point 2, Linear 3
    enum : uint32_t { None = 1, Point = 2, Linear = 3 };
};

enum class GfxTransform : uint32_t { World = 1, View = 2, Projection = 3 };

enum class GfxPrimitive : uint32_t {
    PointList = 1,
    LineList = 2,
    LineStrip = 3,
    TriangleList = 4,
    TriangleStrip = 5,
    TriangleFan = 6,
};

// Flexible vertex format bits. A format needs Xyz or XyzRhw; Reserved1 only
// goes with Xyz; texture coordinates are two floats per set. The program's
// three vertex layouts (32 bytes each) are the constants below.
struct GfxFvf {
    enum : uint32_t {
        Xyz = 0x002,
        XyzRhw = 0x004,
        PositionMask = 0x00E,
        Normal = 0x010,
        Reserved1 = 0x020,
        Diffuse = 0x040,
        Specular = 0x080,
        TexCountMask = 0xF00,
        TexCountShift = 8,
        Tex1 = 0x100,

        Mesh = Xyz | Normal | Tex1,                              // 0x112
        Lit = Xyz | Reserved1 | Diffuse | Specular | Tex1,       // 0x1E2
        Screen = XyzRhw | Diffuse | Specular | Tex1,             // 0x1C4
    };
};
// Bytes per vertex of a format; 0 when the format is not supported.
uint32_t GfxFvfStride(uint32_t fvf);

struct GfxClear {
    enum : uint32_t { Target = 1, ZBuffer = 2 };
};

// What the display reports about the desktop. colours is -1 when the desktop
// has more than 256 colours (always, except when injected).
struct GfxDesktop {
    int32_t colours = -1;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const GfxDesktop&) const = default;
};

// Device capabilities. The GL backend reports a hardware device with
// Gouraud colour and specular shading, no square-only rule and its
// GL_MAX_TEXTURE_SIZE; a software GL renderer counts as hardware.
struct GfxCaps {
    uint32_t maxTextureWidth = 2048;
    uint32_t maxTextureHeight = 2048;
    uint32_t maxTextureAspect = 2048;   // largest width/height ratio; 0 = none
    bool squareOnly = false;
    bool separateTextureMemories = false;
    bool colorGouraud = true;
    bool specularGouraud = true;
    bool hardware = true;
    bool hardwareTnL = true;
    uint32_t renderDepths = 16 | 24 | 32;  // bit depths the device renders at (bit values)
    uint32_t maxActiveLights = 8;
    uint64_t freeVideoMemory = 0;          // bytes; 0 = unknown
    bool operator==(const GfxCaps&) const = default;
};

// Driver identification (the GL vendor, renderer and version strings).
struct GfxIdentifier {
    std::string vendor;
    std::string renderer;
    std::string version;
};

// The mode of a created display.
struct GfxMode {
    int32_t width = 0;
    int32_t height = 0;
    int32_t depth = 32;       // asked-for colour depth; surfaces are always 32-bit
    bool fullScreen = false;
};

// Pixel format of a surface: always 32 bits A8R8G8B8; alphaMask is 0 for
// surfaces without alpha (the back buffer is X8R8G8B8).
struct GfxPixelFormat {
    uint32_t bitCount = 32;
    uint32_t redMask = 0x00FF0000u;
    uint32_t greenMask = 0x0000FF00u;
    uint32_t blueMask = 0x000000FFu;
    uint32_t alphaMask = 0xFF000000u;
};
