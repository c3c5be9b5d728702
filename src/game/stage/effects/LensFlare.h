#pragma once
#include <cstdint>
#include <memory>

#include "game/stage/scene/CameraRecord.h"
#include "platform/Matrix.h"
#include "render/TextureRef.h"
#include "render/VertexList.h"

namespace KScene {

// Six glowing squares ("textures/lensflare") high above the studio floor,
// each spun about its own centre by an angle that follows how the camera
// is turned. Drawn in the stage's 3D pass after the set. Made on first use;
// without its texture it logs once and draws nothing. Main thread only.
class LensFlare {
public:
    static constexpr int kFlares = 6;

    static LensFlare* Get();
    static LensFlare* Existing();
    static void Destroy();

    LensFlare(const LensFlare&) = delete;
    LensFlare& operator=(const LensFlare&) = delete;

    // The six flares through the scene camera; inside an open 3D pass.
    // Leaves the last flare's world transform set.
    void Draw();

    // The placement turned about the square's centre (before its scale and
    // place) by 4/3 of the angle between the placement's direction and the
    // camera's turned x axis.
    static TMat4 FlareMatrix(const TMat4& placement, const CameraRecord& camera);
    // The same with the scene camera.
    TMat4 FlareMatrix(const TMat4& placement) const;

    // Flare i's placement (0 to 5): a 10 x 10 square at height 11.5.
    const TMat4& GetPlacement(int index) const { return mPlacements[index]; }
    const TTextureRef& GetTexture() const { return mTexture; }

private:
    LensFlare();
    ~LensFlare();

    TLitVertex mQuad[4];
    std::unique_ptr<TVertexList> mVertices;
    uint16_t mIndices[6] = {2, 1, 0, 3, 1, 2};
    TMat4 mPlacements[kFlares];
    TTextureRef mTexture;
};

} // namespace KScene
