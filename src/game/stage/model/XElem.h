#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "game/stage/model/XBone.h"
#include "game/stage/model/XTransform.h"
#include "game/stage/model/XVertex.h"
#include "platform/Matrix.h"
#include "platform/TString.h"
#include "render/RenderStates.h"
#include "render/TextureRef.h"

class TRenderer;

namespace KScene {

// One frame of a model: a local matrix, child frames, and optionally one
// triangle mesh with one material and one texture and the skin that moves
// it (bones, per-vertex weights). Always held by a shared pointer.
class XElem {
public:
    // Most vertices a mesh can have (16-bit indices).
    static constexpr uint32_t kMaxVertices = 0xFFFF;

    static std::shared_ptr<XElem> Create(const TString& name);

    explicit XElem(const TString& name);
    XElem(const XElem&) = delete;
    XElem& operator=(const XElem&) = delete;

    const TString& GetName() const { return mName; }

    // Local matrix: the file's transform matrix until SetTransform.
    const TMat4& GetLocal() const { return mLocal; }
    void SetLocal(const TMat4& local) { mLocal = local; }
    // Stores the placement and makes it the local matrix.
    void SetTransform(const XTransform& transform);
    const XTransform& GetTransform() const { return mTransform; }

    const std::vector<std::shared_ptr<XElem>>& GetChildren() const { return mChildren; }
    void AddChild(std::shared_ptr<XElem> child) { mChildren.push_back(std::move(child)); }

    // The bone that bears this frame's name once linked; null otherwise.
    XBone* GetLinkedBone() const { return mLinkedBone; }
    void SetLinkedBone(XBone* bone) { mLinkedBone = bone; }

    XBoneList& GetBones() { return mBones; }
    const XBoneList& GetBones() const { return mBones; }

    // Mesh. A frame with no vertices has no mesh.
    bool HasMesh() const { return !mVertices.empty(); }
    uint16_t GetVertexCount() const { return uint16_t(mVertices.size()); }
    // Null beyond the count.
    XVertex* GetVertex(uint32_t i) { return i < mVertices.size() ? &mVertices[i] : nullptr; }
    // Index of a face corner; 0 beyond the faces.
    uint16_t GetIndex(uint32_t face, uint32_t corner) const;
    uint32_t GetIndexCount() const { return uint32_t(mIndices.size()); }
    // Null where a vertex has no kept weight (or beyond the count).
    XVertexWeights* GetWeights(uint32_t i) const
    {
        return i < mWeights.size() ? mWeights[i].get() : nullptr;
    }

    // Replaces the mesh: vertices (cut to kMaxVertices), no weights, no
    // faces. Indices added afterwards must name these vertices.
    void SetVertices(std::vector<XVertex> vertices);
    // Appends one triangle; refused (false) when a corner names no vertex.
    bool AddTriangle(uint16_t a, uint16_t b, uint16_t c);
    // The vertex's weight record, made on first use with that capacity and
    // the vertex's current position as its bind position; null beyond the
    // vertices.
    XVertexWeights* GetOrMakeWeights(uint32_t vertex, uint32_t capacity);

    TMaterial& GetMaterial() { return mMaterial; }
    const TMaterial& GetMaterial() const { return mMaterial; }
    const TTextureRef& GetTexture() const { return mTexture; }
    void SetTexture(TTextureRef texture) { mTexture = std::move(texture); }
    // The asset name the texture was asked by (kept when it did not load).
    const TString& GetTextureName() const { return mTextureName; }
    void SetTextureName(const TString& name) { mTextureName = name; }

    // Poses the skin at a key frame: the root bone updates the tree, then
    // the skin is recomputed. Nothing while the bones are not linked.
    void SetFrame(uint16_t frame);
    // Recomputes the weighted vertices' positions from the bones.
    void Skin();

    // Draws the mesh (if any) at parentWorld times local, then the children.
    void Draw(TRenderer& renderer, const TMat4& parentWorld);

private:
    TString mName;
    TMat4 mLocal;
    XTransform mTransform;
    TMaterial mMaterial;
    TTextureRef mTexture;
    TString mTextureName;
    std::vector<std::shared_ptr<XElem>> mChildren;
    XBone* mLinkedBone = nullptr;
    XBoneList mBones;
    std::vector<XVertex> mVertices;
    std::vector<std::unique_ptr<XVertexWeights>> mWeights;
    std::vector<uint16_t> mIndices;
};

} // namespace KScene
