#pragma once
// The colours Direct3D 7 gives a lit vertex, worked out on the CPU.
#include <cstdint>

#include "os/gfx/GfxDevice.h"

// Diffuse (with alpha) and specular colour of a lit vertex, each channel in
// 0..1. The specular alpha is 0.
struct GfxLitColours {
    GfxColorValue diffuse;
    GfxColorValue specular;
};

// Lights vertices with the lights, material, transforms and render states of
// a device state (taken once, when constructed). Lighting is done in camera
// space: positions by world * view, normals by the inverse transpose of its
// upper 3x3, renormalised only with NormalizeNormals. Per vertex:
//
//   diffuse  = Ca * (Ga + sum(La * att * spot))
//            + sum(Cd * Ld * max(N.L, 0) * att * spot) + Ce,  alpha Cd's
//   specular = Cs * sum(Ls * (N.H)^P * att * spot)  over the lights with
//              N.L > 0 and N.H > 0; all 0 unless SpecularEnable is on
//
// Ga is the Ambient render state; Cd, Ca, Cs, Ce the material's colours, or
// a vertex colour where ColorVertex is on, the colour source names colour 1
// (diffuse) or 2 (specular) and the vertex has it. P is the material power;
// P = 0 gives 1 for every lit light. L is the unit vector to the light (a
// directional light: the opposite of its direction). H = norm(L + V) with V
// the unit vector to the camera-space origin (LocalViewer on) or, without a
// local viewer, (0, 0, -1): towards a camera far back along its axis (the
// camera looks along +z, so (0, 0, +1) would leave every surface facing it
// without a highlight).
// A vertex without a normal gets ambient and emissive only.
//
// Point and spot lights reach no farther than their range (nothing beyond,
// ambient included); att = 1 / (a0 + a1 d + a2 d^2) at distance d, where
// negative or non-finite coefficients count as 0 and all-zero ones as
// (1, 0, 0). A directional light has att = 1 and no range. A spot light
// with rho the cosine between its direction and -L gives spot = 1 when
// rho > cos(theta / 2), 0 when rho <= cos(phi / 2), and in between
// ((rho - cos(phi / 2)) / (cos(theta / 2) - cos(phi / 2)))^falloff; phi is
// held to 0..pi and theta to 0..phi, a negative or non-finite falloff is 1.
// A directional or spot light without a direction, a point or spot light
// whose range is negative or not a number, and a light of unknown type
// give nothing. Both colours are clamped to 0..1 per channel (a NaN gives
// 0).
class GfxVertexLighting {
public:
    explicit GfxVertexLighting(const GfxDeviceState& state);

    // One vertex: its position and normal (null: none) in model space and
    // its vertex colours 1 and 2 as ARGB words (null: the vertex has none).
    GfxLitColours Light(const GfxVector& position, const GfxVector* normal,
                        const uint32_t* colour1 = nullptr, const uint32_t* colour2 = nullptr) const;

    // count vertices of format fvf (an Xyz format; others are left black),
    // tightly packed. Writes 8 bytes a vertex to out: diffuse R, G, B, A,
    // then specular R, G, B, 0. rgbaColours: the vertex colours are stored
    // as R, G, B, A bytes rather than ARGB words.
    void LightVertices(const uint8_t* vertices, uint32_t count, uint32_t fvf, bool rgbaColours,
                       uint8_t* out) const;

    // Whether any vertex can get a specular colour (SpecularEnable on and
    // a specular source that is not plain black).
    bool HasSpecular() const { return mSpecular; }

private:
    struct Light3 {
        uint32_t type = 0;
        float diffuse[3] = {};
        float specular[3] = {};
        float ambient[3] = {};
        float position[3] = {};   // camera space
        float direction[3] = {};  // camera space, unit; a directional light's is towards it
        float range = 0;
        float a0 = 1, a1 = 0, a2 = 0;
        float cosTheta = 1, cosPhi = 1;   // of the half angles
        float falloff = 1;
        bool specular3 = false;           // the specular colour is not black
    };
    // Sums of the lights' terms before the material colours.
    struct Sums {
        float ambient[3] = {};
        float diffuse[3] = {};
        float specular[3] = {};
    };
    // Which material colours come from the vertex.
    enum Source : uint8_t { FromMaterial, FromColour1, FromColour2 };

    // The material colours a vertex is lit with (rgb; the diffuse with alpha).
    struct Colours {
        float diffuse[4];
        float ambient[3];
        float specular[3];
        float emissive[3];
    };

    void Accumulate(const float position[3], const float* normal, Sums* sums) const;
    void Resolve(const uint32_t* colour1, const uint32_t* colour2, Colours* out) const;
    void Finish(const Sums& sums, const Colours& colours, GfxLitColours* out) const;

    float mWorldView[16];
    float mNormal[9];   // row-vector normal matrix
    bool mNormalize = false;
    bool mLocalViewer = true;
    bool mSpecular = false;
    float mAmbient[3] = {};
    GfxMaterial mMaterial;
    float mPower = 0;
    Source mDiffuseSource = FromMaterial;
    Source mAmbientSource = FromMaterial;
    Source mSpecularSource = FromMaterial;
    Source mEmissiveSource = FromMaterial;
    Light3 mLights[GfxDeviceState::kMaxLights];
    uint32_t mLightCount = 0;
};

// What in a light of a known type the lighting cannot use as it stands (it
// reads it safely, as GfxVertexLighting says), or null when nothing.
const char* GfxLightProblem(const GfxLight& light);
