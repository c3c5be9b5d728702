#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "game/stage/model/XTokenStream.h"

namespace KScene {

class XBone;
class XElem;
class XModel;

// One pass over a binary .x file into a model: frames, meshes, skins and
// the keys of the first animation set. Reads the subset the character
// files use; anything else is passed over by name without its body.
class XReader {
public:
    // Deeper frames end the read.
    static constexpr uint32_t kMaxFrameDepth = 128;
    // Influences per vertex until the file's skin header says otherwise.
    static constexpr uint32_t kDefaultInfluences = 4;

    XReader(XModel& model, std::vector<uint8_t> bytes, const TString& fileName);

    void Read();

private:
    void ReadFrame(std::shared_ptr<XElem>& out, uint32_t depth);
    void ReadMesh(XElem& frame);
    void ReadMeshNormals(XElem& frame);
    void ReadMeshTextureCoords(XElem& frame);
    void ReadMeshMaterialList(XElem& frame);
    void ReadMaterial(XElem& frame);
    void ReadSkinMeshHeader();
    void ReadSkinWeights(XElem& frame);
    void LinkBones(XElem& frame);
    void ReadAnimationSet();
    void ReadAnimation();
    void ReadAnimationKey(XBone* target);

    // Reads and drops an instance name when one comes next.
    void SkipOptionalName();
    // The next name token's text (its word expected first).
    TString ReadNameToken();

    XModel& mModel;
    XTokenStream mIn;
    uint32_t mInfluences = kDefaultInfluences;
    // For the mesh being read: the kept face of each file face, -1 for a
    // dropped one.
    std::vector<int32_t> mFaceSlots;
};

} // namespace KScene
