#include "game/stage/scene/Element.h"

#include <algorithm>

#include "game/stage/scene/MaterialTable.h"
#include "game/stage/scene/SceneError.h"
#include "game/stage/scene/SceneText.h"
#include "platform/XmlNode.h"
#include "render/Model.h"
#include "render/Renderer.h"
#include "render/Texture.h"

namespace KScene {

std::shared_ptr<KElement> KElement::Create(TXmlNode* record, bool defer)
{
    auto element = std::make_shared<KElement>();
    element->ReadFields(record);
    if (!defer)
        element->Load();
    return element;
}

KElement::KElement() : mMaterial(MaterialTable::Get()->GetDefaultMaterial()) {}

TMat4& KElement::World()
{
    if (!mWorld)
        mWorld = std::make_unique<TMat4>();
    return *mWorld;
}

TVec3 KElement::LimitPosition(TVec3 v, const TString& text)
{
    float* parts[3] = {&v.x, &v.y, &v.z};
    bool cut = false;
    for (float* part : parts) {
        const float limited = std::clamp(*part, -kMaxPosition, kMaxPosition);
        cut = cut || limited != *part;
        *part = limited;
    }
    if (cut)
        SceneError("Position (%s) cut to %g", text.c_str(), double(kMaxPosition));
    return v;
}

void KElement::ReadFields(TXmlNode* record)
{
    if (!record || !record->HasChildren())
        return;
    TString field;
    TXmlNode* child = nullptr;
    record->BeginChildren();
    while (record->NextChild(field, child)) {
        const TString text = child->GetText();
        if (field == "Name") {
            mName = text;
        } else if (field == "MeshName") {
            mMeshPath += text;
        } else if (field == "MeshFolder") {
            mMeshPath = text + mMeshPath;
        } else if (field == "MatName") {
            mMaterial = MaterialTable::Get()->GetMaterial(text);
        } else if (field == "TextureName") {
            mTexturePath += text;
        } else if (field == "TextureFolder") {
            mTexturePath = text + mTexturePath;
        } else if (field == "Position") {
            World().Translate(LimitPosition(ParseVec3(text), text));
        } else if (field == "Rotation") {
            const TVec3 angles = ParseVec3(text);
            World().RotateYawPitchRoll(angles.y, angles.x, angles.z);
        } else if (field == "uMapMode") {
            mAddressU = ParseAddressMode(text);
        } else if (field == "vMapMode") {
            mAddressV = ParseAddressMode(text);
        }
    }
}

void KElement::Load()
{
    if (!mTexturePath.IsEmpty()) {
        mTexture = TTexture::Get(mTexturePath, 0);
        if (!mTexture)
            SceneError("Cannot load Texture %s", mTexturePath.c_str());
        mTextured = true;
    }
    mModel = TModel::Get(mMeshPath);
    if (!mModel)
        SceneError("Cannot load model %s", mMeshPath.c_str());
    mLoaded = true;
}

void KElement::Draw(TRenderer& renderer)
{
    if (!mLoaded)
        Load();
    if (!mModel)
        return;
    if (mTextured) {
        renderer.SetTexture(mTexture);
        renderer.SetTextureAddress(mAddressU, mAddressV);
    } else {
        renderer.SetTexture(TTextureRef());
    }
    renderer.SetMaterial(mMaterial);
    if (mWorld)
        renderer.SetWorldTransform(*mWorld);
    mModel->Draw();
    if (mWorld)
        renderer.SetWorldTransform(TMat4());
}

void KElement::SetTextureOverride(const TTextureRef& texture)
{
    mTextured = bool(texture);
    mTexture = texture;
}

} // namespace KScene
