// Arbitrary bytes as a character model (.x): loaded, posed at a few frame
// numbers, skinned, looked up and drawn (without a device); every index the
// model holds must name something it has.

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <set>

#include "game/stage/model/XModel.h"
#include "platform/AssetNames.h"

using namespace KScene;

namespace {

void Check(bool condition)
{
    if (!condition)
        abort();
}

// The bones under the root, each reached once.
void CheckTree(const XBoneList& bones)
{
    XBone* root = bones.Root();
    if (!root)
        return;
    std::set<const XBone*> seen;
    std::function<void(const XBone*)> walk = [&](const XBone* bone) {
        Check(seen.insert(bone).second);
        for (const XBone* child : bone->GetChildren()) {
            Check(child->GetParent() == bone);
            walk(child);
        }
    };
    walk(root);
    Check(seen.size() <= bones.Count());
}

void CheckFrame(XModel& model, const std::shared_ptr<XElem>& frame)
{
    Check(frame != nullptr);
    Check(model.FindFrame(frame->GetName()) != nullptr);
    for (uint32_t i = 0; i < frame->GetIndexCount(); ++i)
        Check(frame->GetIndex(i / 3, i % 3) < frame->GetVertexCount());
    for (uint32_t v = 0; v < frame->GetVertexCount(); ++v)
        if (const XVertexWeights* weights = frame->GetWeights(v))
            Check(weights->Count() <= weights->Capacity());
    CheckTree(frame->GetBones());
    for (uint16_t f : {uint16_t(0), uint16_t(1), uint16_t(0xFFFF)})
        frame->SetFrame(f);
    for (const auto& child : frame->GetChildren())
        CheckFrame(model, child);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RegisterMemoryFile(TString("fuzz/model.x"), size ? data : reinterpret_cast<const uint8_t*>(""),
                       uint32_t(size));
    XModel model;
    model.LoadX(TString("fuzz/model.x"));
    for (const auto& root : model.GetRoots())
        CheckFrame(model, root);
    if (std::shared_ptr<XElem> mesh = model.GetFirstMeshFrame())
        Check(mesh->HasMesh());
    model.Draw();
    RegisterMemoryFile(TString("fuzz/model.x"), nullptr, 0);
    return 0;
}
