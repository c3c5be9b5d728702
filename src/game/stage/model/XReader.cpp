#include "game/stage/model/XReader.h"

#include <algorithm>
#include <utility>

#include "game/stage/model/XModel.h"
#include "render/Texture.h"

namespace KScene {

namespace {

const char kBaseBone[] = "Bone_BaseBone";

} // namespace

XReader::XReader(XModel& model, std::vector<uint8_t> bytes, const TString& fileName)
    : mModel(model), mIn(std::move(bytes), fileName)
{
}

void XReader::SkipOptionalName()
{
    if (mIn.PeekToken() == kTokName)
        ReadNameToken();
}

TString XReader::ReadNameToken()
{
    mIn.ExpectToken(kTokName);
    return mIn.ReadName();
}

void XReader::Read()
{
    mIn.SeekToName("Frame");
    while (!mIn.AtEnd()) {
        const TString name = ReadNameToken();
        if (name == "Frame") {
            std::shared_ptr<XElem> frame;
            ReadFrame(frame, 0);
            mModel.AddRoot(frame);
        } else if (name == "AnimationSet") {
            for (const auto& root : mModel.GetRoots())
                LinkBones(*root);
            ReadAnimationSet();
            break;
        }
        if (mIn.PeekToken() != kTokName)
            break;
    }
}

void XReader::ReadFrame(std::shared_ptr<XElem>& out, uint32_t depth)
{
    TString name("<unnamed>");
    if (mIn.PeekToken() == kTokName)
        name = ReadNameToken();
    out = XElem::Create(name);
    if (depth >= kMaxFrameDepth) {
        mIn.Fail("frames nested too deep");
        mModel.MapFrame(out);
        return;
    }
    mIn.ExpectToken(kTokOpenBrace);
    do {
        const TString child = ReadNameToken();
        if (child == "FrameTransformMatrix") {
            mIn.ExpectToken(kTokOpenBrace);
            mIn.ExpectToken(kTokFloatList);
            out->SetLocal(ToMatrix(mIn.ReadFloatList()));
            mIn.ExpectToken(kTokCloseBrace);
        } else if (child == "Frame") {
            std::shared_ptr<XElem> frame;
            ReadFrame(frame, depth + 1);
            out->AddChild(std::move(frame));
        } else if (child == "Mesh") {
            ReadMesh(*out);
        }
    } while (!mIn.AtEnd() && mIn.PeekToken() != kTokCloseBrace);
    mIn.ExpectToken(kTokCloseBrace);
    mModel.MapFrame(out);
}

void XReader::ReadMesh(XElem& frame)
{
    ReadNameToken();
    mIn.ExpectToken(kTokOpenBrace);
    mIn.ExpectToken(kTokIntList);
    const std::vector<int32_t> counts = mIn.ReadIntList();
    const uint16_t vertexCount = counts.empty() ? 0 : uint16_t(counts[0]);

    mIn.ExpectToken(kTokFloatList);
    const std::vector<TVec3> positions = ToVec3List(mIn.ReadFloatList());
    std::vector<XVertex> vertices(vertexCount);
    const size_t placed = std::min<size_t>(vertexCount, positions.size());
    for (size_t i = 0; i < placed; ++i)
        vertices[i].position = positions[i];
    if (placed < vertexCount)
        mIn.Complain("fewer vertex positions than vertices");
    frame.SetVertices(std::move(vertices));

    // Faces: a corner count, then three indices each.
    mIn.ExpectToken(kTokIntList);
    const std::vector<int32_t> faces = mIn.ReadIntList();
    const uint32_t faceCount = faces.empty() ? 0 : uint32_t(std::max(faces[0], 0));
    const size_t present = faces.empty() ? 0 : (faces.size() - 1) / 4;
    const size_t readable = std::min<size_t>(faceCount, present);
    if (readable < faceCount)
        mIn.Complain("fewer faces than the face count");
    mFaceSlots.assign(readable, -1);
    int32_t kept = 0;
    for (size_t f = 0; f < readable; ++f) {
        const size_t at = 1 + 4 * f;
        if (frame.AddTriangle(uint16_t(faces[at + 1]), uint16_t(faces[at + 2]), uint16_t(faces[at + 3])))
            mFaceSlots[f] = kept++;
        else
            mIn.Complain("a face names a vertex the mesh does not have");
    }

    while (mIn.PeekToken() == kTokName) {
        const TString name = ReadNameToken();
        if (name == "MeshNormals")
            ReadMeshNormals(frame);
        else if (name == "MeshMaterialList")
            ReadMeshMaterialList(frame);
        else if (name == "MeshTextureCoords")
            ReadMeshTextureCoords(frame);
        else if (name == "XSkinMeshHeader")
            ReadSkinMeshHeader();
        else if (name == "SkinWeights")
            ReadSkinWeights(frame);
    }
    mIn.ExpectToken(kTokCloseBrace);
}

void XReader::ReadMeshNormals(XElem& frame)
{
    SkipOptionalName();
    mIn.ExpectToken(kTokOpenBrace);
    mIn.ExpectToken(kTokIntList);
    mIn.ReadIntList();
    mIn.ExpectToken(kTokFloatList);
    const std::vector<TVec3> normals = ToVec3List(mIn.ReadFloatList());
    mIn.ExpectToken(kTokIntList);
    const std::vector<int32_t> faces = mIn.ReadIntList();
    const uint32_t faceCount = faces.empty() ? 0 : uint32_t(std::max(faces[0], 0));
    const size_t readable = std::min<size_t>({faceCount, (faces.size() - std::min<size_t>(faces.size(), 1)) / 4,
                                              mFaceSlots.size()});
    bool dropped = readable < faceCount;
    for (size_t g = 0; g < readable; ++g) {
        const int32_t slot = mFaceSlots[g];
        for (uint32_t c = 0; c < 3; ++c) {
            const uint32_t n = uint32_t(faces[2 + 4 * g + c]);
            if (slot < 0 || n >= normals.size()) {
                dropped = true;
                continue;
            }
            frame.GetVertex(frame.GetIndex(uint32_t(slot), c))->normal = normals[n];
        }
    }
    if (dropped)
        mIn.Complain("normals out of range dropped");
    mIn.ExpectToken(kTokCloseBrace);
}

void XReader::ReadMeshTextureCoords(XElem& frame)
{
    SkipOptionalName();
    mIn.ExpectToken(kTokOpenBrace);
    mIn.ExpectToken(kTokIntList);
    const std::vector<int32_t> counts = mIn.ReadIntList();
    const uint32_t count = counts.empty() ? 0 : uint32_t(std::max(counts[0], 0));
    mIn.ExpectToken(kTokFloatList);
    const std::vector<float> uvs = mIn.ReadFloatList();
    const size_t readable = std::min<size_t>({count, uvs.size() / 2, frame.GetVertexCount()});
    if (readable < count)
        mIn.Complain("texture coordinates out of range dropped");
    for (size_t i = 0; i < readable; ++i)
        frame.GetVertex(uint32_t(i))->uv = TVec2(uvs[2 * i], uvs[2 * i + 1]);
    mIn.ExpectToken(kTokCloseBrace);
}

void XReader::ReadMeshMaterialList(XElem& frame)
{
    SkipOptionalName();
    mIn.ExpectToken(kTokOpenBrace);
    mIn.ExpectToken(kTokIntList);
    mIn.ReadIntList();
    // Every child is taken for a material; the last one wins.
    while (mIn.PeekToken() == kTokName) {
        ReadNameToken();
        ReadMaterial(frame);
    }
    mIn.ExpectToken(kTokCloseBrace);
}

void XReader::ReadMaterial(XElem& frame)
{
    SkipOptionalName();
    mIn.ExpectToken(kTokOpenBrace);
    mIn.ExpectToken(kTokFloatList);
    const std::vector<float> v = mIn.ReadFloatList();
    if (v.size() < 11)
        mIn.Complain("a material with fewer than 11 values");
    TMaterial& m = frame.GetMaterial();
    float* targets[11] = {&m.diffuse.r,  &m.diffuse.g,  &m.diffuse.b,  &m.diffuse.a,
                          &m.power,      &m.specular.r, &m.specular.g, &m.specular.b,
                          &m.emissive.r, &m.emissive.g, &m.emissive.b};
    for (size_t i = 0; i < 11 && i < v.size(); ++i)
        *targets[i] = v[i];

    if (mIn.PeekToken() == kTokName) {
        ReadNameToken();
        mIn.ExpectToken(kTokOpenBrace);
        mIn.ExpectToken(kTokString);
        TString name = TString("textures/") + mIn.ReadName();
        name.ToLower();
        frame.SetTextureName(name);
        frame.SetTexture(TTexture::Get(name, 0));
        mIn.ExpectToken(kTokSemicolon);
        mIn.ExpectToken(kTokCloseBrace);
    }
    mIn.ExpectToken(kTokCloseBrace);
}

void XReader::ReadSkinMeshHeader()
{
    mIn.ExpectToken(kTokOpenBrace);
    mIn.ExpectToken(kTokIntList);
    const std::vector<int32_t> values = mIn.ReadIntList();
    const uint16_t influences = values.empty() ? 0 : uint16_t(values[0]);
    if (influences > 0)
        mInfluences = influences;
    else
        mIn.Complain("a skin header without influences");
    mIn.ExpectToken(kTokCloseBrace);
}

void XReader::ReadSkinWeights(XElem& frame)
{
    mIn.ExpectToken(kTokOpenBrace);
    mIn.ExpectToken(kTokString);
    const TString boneName = mIn.ReadName();
    mIn.ExpectToken(kTokSemicolon);
    mIn.ExpectToken(kTokIntList);
    const std::vector<int32_t> indices = mIn.ReadIntList();
    mIn.ExpectToken(kTokFloatList);
    const std::vector<float> floats = mIn.ReadFloatList();
    mIn.ExpectToken(kTokCloseBrace);

    XBone* bone = frame.GetBones().FindBone(boneName, true);
    if (!bone) {
        mIn.Complain("too many bones");
        return;
    }
    // The vertex indices follow the count; the k-th is paired with the k-th
    // float, and the 16 floats after the weights are the offset matrix.
    const size_t pairs = indices.empty() ? 0 : indices.size() - 1;
    bool dropped = pairs > floats.size();
    for (size_t k = 0; k < pairs && k < floats.size(); ++k) {
        const float weight = floats[k];
        if (!(weight >= 0.001f))
            continue;
        XVertexWeights* record = frame.GetOrMakeWeights(uint32_t(indices[k + 1]), mInfluences);
        if (!record || !record->Add(weight, bone))
            dropped = true;
    }
    if (dropped)
        mIn.Complain("skin weights out of range dropped");
    if (floats.size() < pairs + 16)
        mIn.Complain("a short offset matrix");
    bone->SetOffset(ToMatrix(floats, pairs));
}

void XReader::LinkBones(XElem& frame)
{
    XBoneList& bones = frame.GetBones();
    if (!bones.IsEmpty() && !bones.IsLinked()) {
        const uint32_t count = bones.Count();
        for (uint32_t i = 0; i < count; ++i) {
            XBone* bone = bones.At(i);
            const std::shared_ptr<XElem> named = mModel.FindFrame(bone->GetName());
            if (!named)
                continue;
            named->SetLinkedBone(bone);
            bone->SetAnim(named->GetLocal());
            for (const auto& child : named->GetChildren()) {
                XBone* childBone = bones.FindBone(child->GetName(), false);
                if (childBone && !bone->AddChild(childBone))
                    mIn.Complain("a bone with two parents");
            }
        }
        XBone* base = bones.Add(std::make_unique<XBone>(TString(kBaseBone)));
        for (uint32_t i = 0; i < count; ++i) {
            XBone* bone = bones.At(i);
            if (!bone->GetParent())
                base->AddChild(bone);
        }
        bones.SetRootIndex(uint16_t(bones.Count() - 1));
        if (const std::shared_ptr<XElem> named = mModel.FindFrame(TString(kBaseBone)))
            named->SetLinkedBone(base);
    }
    for (const auto& child : frame.GetChildren())
        LinkBones(*child);
}

void XReader::ReadAnimationSet()
{
    ReadNameToken();
    mIn.ExpectToken(kTokOpenBrace);
    while (mIn.PeekToken() == kTokName) {
        if (ReadNameToken() == "Animation")
            ReadAnimation();
    }
    mIn.ExpectToken(kTokCloseBrace);
}

void XReader::ReadAnimation()
{
    ReadNameToken();
    mIn.ExpectToken(kTokOpenBrace);
    mIn.ExpectToken(kTokOpenBrace);
    const TString frameName = ReadNameToken();
    mIn.ExpectToken(kTokCloseBrace);
    const std::shared_ptr<XElem> frame = mModel.FindFrame(frameName);
    XBone* target = (frame && !frame->HasMesh()) ? frame->GetLinkedBone() : nullptr;
    while (mIn.PeekToken() == kTokName) {
        if (ReadNameToken() == "AnimationKey")
            ReadAnimationKey(target);
    }
    mIn.ExpectToken(kTokCloseBrace);
}

void XReader::ReadAnimationKey(XBone* target)
{
    mIn.ExpectToken(kTokOpenBrace);
    mIn.ExpectToken(kTokIntList);
    const std::vector<int32_t> header = mIn.ReadIntList();
    uint32_t keyCount = header.size() < 2 ? 0 : uint16_t(header[1]);
    if (header.size() < 2)
        mIn.Complain("an animation key without a key count");
    // Each key takes at least a float list's word and count.
    if (keyCount > mIn.BytesLeft() / 6) {
        mIn.Complain("more keys than the file holds");
        keyCount = uint32_t(mIn.BytesLeft() / 6);
    }
    std::vector<TMat4> keys(keyCount);
    for (uint32_t k = 0; k < keyCount && !mIn.AtEnd(); ++k) {
        mIn.ExpectToken(kTokFloatList);
        const std::vector<float> values = mIn.ReadFloatList();
        if (values.size() < 16)
            mIn.Complain("a short key matrix");
        keys[k] = ToMatrix(values);
        if (mIn.PeekToken() == kTokIntList) {
            mIn.ExpectToken(kTokIntList);
            mIn.ReadIntList();
        }
    }
    if (target)
        target->SetKeys(std::move(keys));
    mIn.ExpectToken(kTokCloseBrace);
}

} // namespace KScene
