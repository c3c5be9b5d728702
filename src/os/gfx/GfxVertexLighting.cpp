#include "os/gfx/GfxVertexLighting.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

float Dot(const float a[3], const float b[3])
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void Cross(const float a[3], const float b[3], float out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

// Scales v to unit length; false (v left as it is) when it has none.
bool Normalise(float v[3])
{
    const float squared = Dot(v, v);
    if (!(squared > 0.0f && squared < std::numeric_limits<float>::infinity()))
        return false;
    const float inv = 1.0f / std::sqrt(squared);
    v[0] *= inv;
    v[1] *= inv;
    v[2] *= inv;
    return true;
}

// A point (w = 1) through a row-major matrix.
inline __attribute__((always_inline)) void TransformPoint(const float p[3], const float* m, float out[3])
{
    for (int j = 0; j < 3; ++j)
        out[j] = p[0] * m[j] + p[1] * m[4 + j] + p[2] * m[8 + j] + m[12 + j];
}

// A direction (w = 0) through a row-major matrix.
void TransformDirection(const float d[3], const float* m, float out[3])
{
    for (int j = 0; j < 3; ++j)
        out[j] = d[0] * m[j] + d[1] * m[4 + j] + d[2] * m[8 + j];
}

// A normal through the 3x3 normal matrix, made unit length when asked (and
// it has a length). Worked in registers: this runs for every vertex.
inline __attribute__((always_inline)) void TransformNormal(const float n[3], const float* m, bool normalise,
                                                           float out[3])
{
    float x = n[0] * m[0] + n[1] * m[3] + n[2] * m[6];
    float y = n[0] * m[1] + n[1] * m[4] + n[2] * m[7];
    float z = n[0] * m[2] + n[1] * m[5] + n[2] * m[8];
    if (normalise) {
        const float squared = x * x + y * y + z * z;
        if (squared > 0.0f && squared < std::numeric_limits<float>::infinity()) {
            const float inv = 1.0f / std::sqrt(squared);
            x *= inv;
            y *= inv;
            z *= inv;
        }
    }
    out[0] = x;
    out[1] = y;
    out[2] = z;
}

GfxColorValue FromArgb(uint32_t argb)
{
    return {float((argb >> 16) & 0xFF) / 255.0f, float((argb >> 8) & 0xFF) / 255.0f, float(argb & 0xFF) / 255.0f,
            float(argb >> 24) / 255.0f};
}

// 0..1; a NaN gives 0.
float Clamp01(float v)
{
    return v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
}

uint8_t Byte(float v)
{
    return uint8_t(Clamp01(v) * 255.0f + 0.5f);
}

// A coefficient that is not a finite non-negative number counts as 0.
float Coefficient(float v)
{
    return std::isfinite(v) && v > 0.0f ? v : 0.0f;
}

bool IsBlack(const GfxColorValue& c)
{
    return c.r == 0.0f && c.g == 0.0f && c.b == 0.0f;
}

void Rgb(const GfxColorValue& c, float out[3])
{
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
}

} // namespace

const char* GfxLightProblem(const GfxLight& l)
{
    const float values[] = {l.diffuse.r, l.diffuse.g, l.diffuse.b, l.specular.r, l.specular.g, l.specular.b,
                            l.ambient.r, l.ambient.g, l.ambient.b, l.position.x, l.position.y, l.position.z,
                            l.direction.x, l.direction.y, l.direction.z};
    for (float v : values) {
        if (!std::isfinite(v))
            return "a colour, position or direction is not a number";
    }
    const float direction[3] = {l.direction.x, l.direction.y, l.direction.z};
    if (l.type != GfxLightType::Point && Dot(direction, direction) == 0.0f)
        return "no direction";
    if (l.type == GfxLightType::Directional)
        return nullptr;
    if (!(l.range >= 0.0f))
        return "range below 0 or not a number";
    for (float a : {l.attenuation0, l.attenuation1, l.attenuation2}) {
        if (!(a >= 0.0f) || !std::isfinite(a))
            return "attenuation below 0 or not a number";
    }
    if (l.type == GfxLightType::Spot &&
        (!std::isfinite(l.theta) || !std::isfinite(l.phi) || l.phi < 0.0f || l.phi > float(M_PI) ||
         l.theta < 0.0f || l.theta > l.phi || !(l.falloff >= 0.0f) || !std::isfinite(l.falloff)))
        return "spot cone angles or falloff out of range";
    return nullptr;
}

GfxVertexLighting::GfxVertexLighting(const GfxDeviceState& s)
{
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += s.world.m[i * 4 + k] * s.view.m[k * 4 + j];
            mWorldView[i * 4 + j] = sum;
        }
    }
    // Inverse transpose of the upper 3x3: its cofactors over its determinant
    // (rows r0, r1, r2 give cofactor rows r1 x r2, r2 x r0, r0 x r1).
    const float* m = mWorldView;
    const float r0[3] = {m[0], m[1], m[2]}, r1[3] = {m[4], m[5], m[6]}, r2[3] = {m[8], m[9], m[10]};
    float c[3][3];
    Cross(r1, r2, c[0]);
    Cross(r2, r0, c[1]);
    Cross(r0, r1, c[2]);
    const float det = Dot(r0, c[0]);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            mNormal[i * 3 + j] = (det != 0.0f && std::isfinite(det)) ? c[i][j] / det : 0.0f;   // flat: no normals

    mNormalize = s.Get(GfxRs::NormalizeNormals) != 0;
    mLocalViewer = s.Get(GfxRs::LocalViewer) != 0;
    Rgb(FromArgb(s.Get(GfxRs::Ambient)), mAmbient);
    mMaterial = s.material;
    mPower = std::isfinite(s.material.power) && s.material.power > 0.0f ? s.material.power : 0.0f;
    const bool colourVertex = s.Get(GfxRs::ColorVertex) != 0;
    auto source = [&](GfxRs rs) {
        if (!colourVertex)
            return FromMaterial;
        switch (s.Get(rs)) {
        case GfxMcs::Color1: return FromColour1;
        case GfxMcs::Color2: return FromColour2;
        default: return FromMaterial;
        }
    };
    mDiffuseSource = source(GfxRs::DiffuseMaterialSource);
    mAmbientSource = source(GfxRs::AmbientMaterialSource);
    mSpecularSource = source(GfxRs::SpecularMaterialSource);
    mEmissiveSource = source(GfxRs::EmissiveMaterialSource);

    bool anySpecularLight = false;
    for (uint32_t i = 0; i < GfxDeviceState::kMaxLights; ++i) {
        if (!s.lightEnabled[i])
            continue;
        const GfxLight& l = s.light[i];
        Light3 out;
        out.type = l.type;
        if (l.type != GfxLightType::Point && l.type != GfxLightType::Spot && l.type != GfxLightType::Directional)
            continue;
        Rgb(l.diffuse, out.diffuse);
        Rgb(l.specular, out.specular);
        Rgb(l.ambient, out.ambient);
        const float position[3] = {l.position.x, l.position.y, l.position.z};
        const float direction[3] = {l.direction.x, l.direction.y, l.direction.z};
        TransformPoint(position, s.view.m, out.position);
        TransformDirection(direction, s.view.m, out.direction);
        if (l.type != GfxLightType::Point && !Normalise(out.direction))
            continue;
        if (l.type == GfxLightType::Directional) {
            for (float& v : out.direction)
                v = -v;
        } else {
            if (!(l.range >= 0.0f))
                continue;
            out.range = l.range;
            out.a0 = Coefficient(l.attenuation0);
            out.a1 = Coefficient(l.attenuation1);
            out.a2 = Coefficient(l.attenuation2);
            if (out.a0 == 0.0f && out.a1 == 0.0f && out.a2 == 0.0f)
                out.a0 = 1.0f;
        }
        if (l.type == GfxLightType::Spot) {
            const float pi = float(M_PI);
            const float phi = std::isfinite(l.phi) ? (l.phi < 0.0f ? 0.0f : (l.phi > pi ? pi : l.phi)) : 0.0f;
            const float theta = std::isfinite(l.theta) ? (l.theta < 0.0f ? 0.0f : (l.theta > phi ? phi : l.theta))
                                                       : 0.0f;
            out.cosTheta = std::cos(theta * 0.5f);
            out.cosPhi = std::cos(phi * 0.5f);
            out.falloff = std::isfinite(l.falloff) && l.falloff >= 0.0f ? l.falloff : 1.0f;
        }
        out.specular3 = !IsBlack(l.specular);
        anySpecularLight = anySpecularLight || out.specular3;
        mLights[mLightCount++] = out;
    }
    mSpecular = s.Get(GfxRs::SpecularEnable) != 0 && anySpecularLight &&
                (mSpecularSource != FromMaterial || !IsBlack(mMaterial.specular));
}

inline __attribute__((always_inline)) void GfxVertexLighting::Accumulate(const float p[3], const float* n, Sums* sums) const
{
    // Without a local viewer the camera is far away along its own axis.
    float toViewer[3] = {0.0f, 0.0f, -1.0f};
    if (mLocalViewer && n && mSpecular) {
        toViewer[0] = -p[0];
        toViewer[1] = -p[1];
        toViewer[2] = -p[2];
        Normalise(toViewer);
    }
    for (uint32_t i = 0; i < mLightCount; ++i) {
        const Light3& l = mLights[i];
        float toLight[3];
        float k = 1.0f;   // attenuation times spot factor
        if (l.type == GfxLightType::Directional) {
            memcpy(toLight, l.direction, sizeof toLight);
        } else {
            toLight[0] = l.position[0] - p[0];
            toLight[1] = l.position[1] - p[1];
            toLight[2] = l.position[2] - p[2];
            const float d = std::sqrt(Dot(toLight, toLight));
            if (!(d <= l.range))
                continue;
            if (d > 0.0f) {
                const float inv = 1.0f / d;
                toLight[0] *= inv;
                toLight[1] *= inv;
                toLight[2] *= inv;
            }
            const float denominator = l.a0 + d * (l.a1 + d * l.a2);
            k = 1.0f / (denominator > 1e-6f ? denominator : 1e-6f);
            if (l.type == GfxLightType::Spot) {
                const float rho = -Dot(toLight, l.direction);
                if (rho <= l.cosPhi)
                    continue;
                if (rho <= l.cosTheta) {
                    const float t = (rho - l.cosPhi) / (l.cosTheta - l.cosPhi);
                    k *= l.falloff == 1.0f ? t : std::pow(t, l.falloff);
                }
            }
        }
        for (int c = 0; c < 3; ++c)
            sums->ambient[c] += l.ambient[c] * k;
        if (!n)
            continue;
        const float nl = Dot(n, toLight);
        if (!(nl > 0.0f))
            continue;
        for (int c = 0; c < 3; ++c)
            sums->diffuse[c] += l.diffuse[c] * nl * k;
        if (!mSpecular || !l.specular3)
            continue;
        float half[3] = {toLight[0] + toViewer[0], toLight[1] + toViewer[1], toLight[2] + toViewer[2]};
        if (!Normalise(half))
            continue;
        const float nh = Dot(n, half);
        if (!(nh > 0.0f))
            continue;
        const float f = (mPower == 0.0f ? 1.0f : std::pow(nh, mPower)) * k;
        for (int c = 0; c < 3; ++c)
            sums->specular[c] += l.specular[c] * f;
    }
}

void GfxVertexLighting::Resolve(const uint32_t* colour1, const uint32_t* colour2, Colours* out) const
{
    auto pick = [&](Source source, const GfxColorValue& material) {
        if (source == FromColour1 && colour1)
            return FromArgb(*colour1);
        if (source == FromColour2 && colour2)
            return FromArgb(*colour2);
        return material;
    };
    const GfxColorValue d = pick(mDiffuseSource, mMaterial.diffuse);
    Rgb(d, out->diffuse);
    out->diffuse[3] = d.a;
    Rgb(pick(mAmbientSource, mMaterial.ambient), out->ambient);
    Rgb(pick(mSpecularSource, mMaterial.specular), out->specular);
    Rgb(pick(mEmissiveSource, mMaterial.emissive), out->emissive);
}

inline __attribute__((always_inline)) void GfxVertexLighting::Finish(const Sums& sums, const Colours& m, GfxLitColours* out) const
{
    float lit[3];
    for (int c = 0; c < 3; ++c)
        lit[c] = Clamp01(m.ambient[c] * (mAmbient[c] + sums.ambient[c]) + m.diffuse[c] * sums.diffuse[c] +
                         m.emissive[c]);
    out->diffuse = {lit[0], lit[1], lit[2], Clamp01(m.diffuse[3])};
    out->specular = {};
    if (mSpecular) {
        out->specular = {Clamp01(m.specular[0] * sums.specular[0]), Clamp01(m.specular[1] * sums.specular[1]),
                         Clamp01(m.specular[2] * sums.specular[2]), 0.0f};
    }
}

GfxLitColours GfxVertexLighting::Light(const GfxVector& position, const GfxVector* normal, const uint32_t* colour1,
                                       const uint32_t* colour2) const
{
    const float p[3] = {position.x, position.y, position.z};
    float cp[3], cn[3];
    TransformPoint(p, mWorldView, cp);
    if (normal) {
        const float n[3] = {normal->x, normal->y, normal->z};
        TransformNormal(n, mNormal, mNormalize, cn);
    }
    Sums sums;
    Accumulate(cp, normal ? cn : nullptr, &sums);
    Colours colours;
    Resolve(colour1, colour2, &colours);
    GfxLitColours out;
    Finish(sums, colours, &out);
    return out;
}

void GfxVertexLighting::LightVertices(const uint8_t* vertices, uint32_t count, uint32_t fvf, bool rgbaColours,
                                      uint8_t* out) const
{
    const uint32_t stride = GfxFvfStride(fvf);
    if (stride == 0 || (fvf & GfxFvf::PositionMask) != GfxFvf::Xyz) {
        memset(out, 0, size_t(count) * 8);
        return;
    }
    uint32_t at = 12 + ((fvf & GfxFvf::Reserved1) ? 4 : 0);
    const int32_t normalAt = (fvf & GfxFvf::Normal) ? int32_t(at) : -1;
    at += (fvf & GfxFvf::Normal) ? 12 : 0;
    const int32_t diffuseAt = (fvf & GfxFvf::Diffuse) ? int32_t(at) : -1;
    at += (fvf & GfxFvf::Diffuse) ? 4 : 0;
    const int32_t specularAt = (fvf & GfxFvf::Specular) ? int32_t(at) : -1;
    auto colour = [rgbaColours](const uint8_t* at) {
        uint32_t w;
        memcpy(&w, at, 4);
        // R, G, B, A bytes read as a little-endian word: R and B swapped.
        return rgbaColours ? (w & 0xFF00FF00u) | ((w & 0xFFu) << 16) | ((w >> 16) & 0xFFu) : w;
    };
    // Material colours are taken once unless a source names a colour the
    // vertices have.
    auto names = [this](Source source) {
        return mDiffuseSource == source || mAmbientSource == source || mEmissiveSource == source ||
               (mSpecular && mSpecularSource == source);
    };
    const bool perVertex = (diffuseAt >= 0 && names(FromColour1)) || (specularAt >= 0 && names(FromColour2));
    Colours colours;
    Resolve(nullptr, nullptr, &colours);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* v = vertices + size_t(i) * stride;
        float p[3], cp[3], cn[3];
        memcpy(p, v, sizeof p);
        TransformPoint(p, mWorldView, cp);
        if (normalAt >= 0) {
            float n[3];
            memcpy(n, v + normalAt, sizeof n);
            TransformNormal(n, mNormal, mNormalize, cn);
        }
        Sums sums;
        Accumulate(cp, normalAt >= 0 ? cn : nullptr, &sums);
        if (perVertex) {
            const uint32_t c1 = diffuseAt >= 0 ? colour(v + diffuseAt) : 0;
            const uint32_t c2 = specularAt >= 0 ? colour(v + specularAt) : 0;
            Resolve(diffuseAt >= 0 ? &c1 : nullptr, specularAt >= 0 ? &c2 : nullptr, &colours);
        }
        GfxLitColours lit;
        Finish(sums, colours, &lit);
        uint8_t* o = out + size_t(i) * 8;
        o[0] = Byte(lit.diffuse.r);
        o[1] = Byte(lit.diffuse.g);
        o[2] = Byte(lit.diffuse.b);
        o[3] = Byte(lit.diffuse.a);
        o[4] = Byte(lit.specular.r);
        o[5] = Byte(lit.specular.g);
        o[6] = Byte(lit.specular.b);
        o[7] = 0;
    }
}
