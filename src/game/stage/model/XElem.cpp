#include "game/stage/model/XElem.h"

#include <utility>

#include "render/Renderer.h"
#include "render/VertexList.h"

namespace KScene {

std::shared_ptr<XElem> XElem::Create(const TString& name)
{
    return std::make_shared<XElem>(name);
}

XElem::XElem(const TString& name) : mName(name)
{
    TRenderer::ClearMaterial(mMaterial);
}

void XElem::SetTransform(const XTransform& transform)
{
    mTransform = transform;
    mLocal = transform.ToMatrix();
}

uint16_t XElem::GetIndex(uint32_t face, uint32_t corner) const
{
    const uint64_t i = uint64_t(face) * 3 + corner;
    return corner < 3 && i < mIndices.size() ? mIndices[i] : 0;
}

void XElem::SetVertices(std::vector<XVertex> vertices)
{
    if (vertices.size() > kMaxVertices)
        vertices.resize(kMaxVertices);
    mVertices = std::move(vertices);
    mWeights.clear();
    mWeights.resize(mVertices.size());
    mIndices.clear();
}

bool XElem::AddTriangle(uint16_t a, uint16_t b, uint16_t c)
{
    const size_t n = mVertices.size();
    if (a >= n || b >= n || c >= n)
        return false;
    mIndices.insert(mIndices.end(), {a, b, c});
    return true;
}

XVertexWeights* XElem::GetOrMakeWeights(uint32_t vertex, uint32_t capacity)
{
    if (vertex >= mVertices.size())
        return nullptr;
    auto& slot = mWeights[vertex];
    if (!slot)
        slot = std::make_unique<XVertexWeights>(capacity, mVertices[vertex].position);
    return slot.get();
}

void XElem::SetFrame(uint16_t frame)
{
    XBone* root = mBones.Root();
    if (!root)
        return;
    root->Update(frame, TMat4());
    Skin();
}

void XElem::Skin()
{
    for (size_t i = 0; i < mVertices.size(); ++i) {
        const XVertexWeights* record = mWeights[i].get();
        if (!record)
            continue;
        if (record->Count() == 0) {
            mVertices[i].position = record->GetBind();
            continue;
        }
        TVec3 sum;
        for (uint32_t j = 0; j < record->Count(); ++j)
            sum += record->Weight(j) * TransformPoint(record->GetBind(), record->Bone(j)->GetSkin());
        mVertices[i].position = sum;
    }
}

void XElem::Draw(TRenderer& renderer, const TMat4& parentWorld)
{
    const TMat4 world = parentWorld * mLocal;
    if (!mVertices.empty()) {
        renderer.SetWorldTransform(world);
        renderer.SetMaterial(mMaterial);
        renderer.SetTexture(mTexture);
        std::vector<TMeshVertex> list(mVertices.size());
        for (size_t i = 0; i < mVertices.size(); ++i) {
            const XVertex& v = mVertices[i];
            TMeshVertex& out = list[i];
            out.x = v.position.x;
            out.y = v.position.y;
            out.z = v.position.z;
            out.nx = v.normal.x;
            out.ny = v.normal.y;
            out.nz = v.normal.z;
            out.u = v.uv.x;
            out.v = v.uv.y;
        }
        std::unique_ptr<TVertexList> vertices = MakeMeshVertexList(list.data(), uint32_t(list.size()));
        if (vertices && !mIndices.empty())
            renderer.DrawIndexedVertices(4, *vertices, mIndices.data(), uint32_t(mIndices.size()));
    }
    for (const auto& child : mChildren)
        child->Draw(renderer, world);
}

} // namespace KScene
