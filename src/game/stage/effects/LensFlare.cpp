#include "game/stage/effects/LensFlare.h"

#include <cmath>

#include "game/stage/scene/SceneSet.h"
#include "platform/Log.h"
#include "render/Renderer.h"
#include "render/Texture.h"

namespace KScene {

namespace {

LensFlare* gFlare = nullptr;

struct Placement {
    float turn; // about y, radians
    TVec3 at;
};

const Placement kPlacements[LensFlare::kFlares] = {
    {0.0f, TVec3(6.0f, 11.5f, 9.0f)},         {0.0f, TVec3(0.0f, 11.5f, 9.0f)},
    {0.0f, TVec3(-6.0f, 11.5f, 9.0f)},        {0.7853982f, TVec3(11.0f, 11.5f, 6.0f)},
    {1.5707964f, TVec3(12.0f, 11.5f, 0.0f)},  {1.5707964f, TVec3(12.0f, 11.5f, -6.0f)},
};

constexpr float kFlareSize = 10.0f;
constexpr float kSpinFactor = 1.3333333f;

} // namespace

LensFlare* LensFlare::Get()
{
    if (!gFlare)
        gFlare = new LensFlare();
    return gFlare;
}

LensFlare* LensFlare::Existing()
{
    return gFlare;
}

void LensFlare::Destroy()
{
    delete gFlare;
    gFlare = nullptr;
}

LensFlare::LensFlare()
{
    // Vertex i + 2j at (i - 0.5, j - 0.5, 0) with texture coordinates (i, j).
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i) {
            TLitVertex& v = mQuad[i + 2 * j];
            v.x = float(i) - 0.5f;
            v.y = float(j) - 0.5f;
            v.z = 0.0f;
            v.reserved = 0;
            v.diffuse = TColor(255, 255, 255, 255);
            v.specular = TColor(0u);
            v.u = float(i);
            v.v = float(j);
        }
    mVertices = MakeLitVertexList(mQuad, 4);
    for (int k = 0; k < kFlares; ++k) {
        TMat4& m = mPlacements[k];
        m.Scale(kFlareSize, kFlareSize, kFlareSize);
        if (kPlacements[k].turn != 0.0f)
            m.RotateY(kPlacements[k].turn);
        m.Translate(kPlacements[k].at);
    }
    mTexture = TTexture::Get("textures/lensflare", TTexture::kGetAlpha);
    if (!mTexture)
        WriteLog("LensFlare: texture \"textures/lensflare\" not found; no flares are drawn");
}

LensFlare::~LensFlare() = default;

TMat4 LensFlare::FlareMatrix(const TMat4& placement, const CameraRecord& camera)
{
    TVec4 place(placement(3, 0), placement(3, 1), placement(3, 2), 1.0f);
    place.Normalize();
    TMat4 turn;
    turn.RotateYawPitchRoll(camera.yaw, camera.pitch, camera.roll);
    TVec4 axis = TVec4(1.0f, 0.0f, 0.0f, 1.0f) * turn;
    axis.Normalize();
    const float c = place.x * axis.x + place.y * axis.y + place.z * axis.z;
    const float angle = std::acos(c) * kSpinFactor;
    TMat4 spin;
    spin.RotateZ(angle);
    return spin * placement;
}

TMat4 LensFlare::FlareMatrix(const TMat4& placement) const
{
    return FlareMatrix(placement, KSceneSet::Get()->GetCamera());
}

void LensFlare::Draw()
{
    if (!mTexture)
        return;
    TRenderer* renderer = TRenderer::Get();
    renderer->SetTexture(mTexture);
    const CameraRecord& camera = KSceneSet::Get()->GetCamera();
    for (const TMat4& placement : mPlacements) {
        renderer->SetWorldTransform(FlareMatrix(placement, camera));
        renderer->DrawIndexedVertices(kPrimitiveTriangleList, *mVertices, mIndices, 6);
    }
}

} // namespace KScene
