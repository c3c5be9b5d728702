#pragma once
#include <cstdint>
#include <memory>

#include "platform/Matrix.h"
#include "platform/TString.h"
#include "render/RenderStates.h"
#include "render/TextureRef.h"

class TModel;
class TRenderer;
class TXmlNode;

namespace KScene {

// One model of the studio set: its mesh, texture, material, placement and
// texture addressing, read from a "model" record of the scene file. Loads
// its mesh and texture when made, or later (deferred); drawn in the set's
// 3D pass. Always held by a shared pointer. Main thread only.
class KElement {
public:
    // Placement values beyond this distance from the origin are cut to it
    // (reported): far outside every camera shot, and still safe to draw.
    static constexpr float kMaxPosition = 100000.0f;

    // A new element from the record's fields, applied in document order;
    // loaded at once unless defer.
    static std::shared_ptr<KElement> Create(TXmlNode* record, bool defer);

    // Empty: untextured, no mesh, the material table's default material,
    // no world matrix, clamp addressing, not loaded. Create reads a record.
    KElement();
    KElement(const KElement&) = delete;
    KElement& operator=(const KElement&) = delete;

    // Reads the record's fields ("Name", "MeshFolder", "MeshName",
    // "TextureFolder", "TextureName", "MatName", "Position", "Rotation",
    // "uMapMode", "vMapMode"; exact names, others ignored).
    void ReadFields(TXmlNode* record);
    // Fetches the texture (when the element names one; a failed load leaves
    // it empty and still textured) and the mesh again; failures reported.
    void Load();
    // Loads first when not loaded; nothing without a mesh. Sets texture,
    // addressing, material and world transform, draws the mesh and puts the
    // world transform back to identity when it had one.
    void Draw(TRenderer& renderer);

    // A texture turns texturing on with it; an empty one turns it off.
    void SetTextureOverride(const TTextureRef& texture);
    void SetMaterial(const TMaterial& material) { mMaterial = material; }

    const TString& GetName() const { return mName; }
    const TString& GetMeshPath() const { return mMeshPath; }
    const TString& GetTexturePath() const { return mTexturePath; }
    const TMaterial& GetMaterial() const { return mMaterial; }
    // Null when the record placed it nowhere.
    const TMat4* GetWorld() const { return mWorld.get(); }
    bool IsTextured() const { return mTextured; }
    const TTextureRef& GetTexture() const { return mTexture; }
    const std::shared_ptr<TModel>& GetModel() const { return mModel; }
    int32_t GetAddressU() const { return mAddressU; }
    int32_t GetAddressV() const { return mAddressV; }
    bool IsLoaded() const { return mLoaded; }

private:
    // The world matrix, made as identity on first use.
    TMat4& World();
    // v with each part cut to kMaxPosition (reported).
    static TVec3 LimitPosition(TVec3 v, const TString& text);

    bool mTextured = false;
    std::shared_ptr<TModel> mModel;
    TTextureRef mTexture;
    TString mMeshPath;
    TString mTexturePath;
    TMaterial mMaterial;
    std::unique_ptr<TMat4> mWorld;
    TString mName;
    int32_t mAddressU = 0;
    int32_t mAddressV = 0;
    bool mLoaded = false;
};

} // namespace KScene
