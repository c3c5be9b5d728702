#include "game/stage/scene/SceneSet.h"

#include "game/stage/scene/Element.h"
#include "game/stage/scene/Light.h"
#include "game/stage/scene/MaterialTable.h"
#include "platform/Log.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"
#include "render/AnimatedTexture.h"
#include "render/Renderer.h"
#include "render/Texture.h"

namespace KScene {

namespace {

KSceneSet* gSet = nullptr;

// The opening shot after a load.
constexpr float kLoadX = -3.0089f, kLoadY = 3.3058f, kLoadZ = -10.0544f;
constexpr float kLoadYaw = 6.07f;
constexpr float kLoadFov = 0.7853982f;
constexpr float kNear = 1.0f, kFar = 32.0f;

} // namespace

KSceneSet* KSceneSet::Get()
{
    if (!gSet)
        gSet = new KSceneSet();
    return gSet;
}

KSceneSet* KSceneSet::Existing()
{
    return gSet;
}

void KSceneSet::Destroy()
{
    delete gSet;
    gSet = nullptr;
}

KSceneSet::~KSceneSet()
{
    Clear();
}

void KSceneSet::Load(const TString& file, bool defer)
{
    mDefer = defer;
    Clear();
    mMaterials = MaterialTable::Get();
    mFileName = file;

    {
        TXmlNode root;
        if (!LoadXmlFile(&root, file)) {
            WriteLog("Scene: cannot read %s; the set is empty", file.c_str());
        } else {
            ReadScene(&root);
            if (mElements.empty() && mLights.empty() && mMaterials->GetCount() == 0)
                WriteLog("Scene: %s holds no materials, lights or models", file.c_str());
        }
    }
    mCursor = 0;

    mCamera.x = kLoadX;
    mCamera.y = kLoadY;
    mCamera.z = kLoadZ;
    mCamera.yaw = kLoadYaw;
    mCamera.fov = kLoadFov;
}

void KSceneSet::ReadScene(TXmlNode* root)
{
    VisitEntering(root, TString("scene"), [this](const TString& name, TXmlNode* child) { ReadSection(name, child); });
}

void KSceneSet::ReadSection(const TString& name, TXmlNode* section)
{
    enum { kNone, kMaterials, kLights, kModels } kind = kNone;
    const char* recordName = nullptr;
    if (name == "materials") {
        kind = kMaterials;
        recordName = "material";
    } else if (name == "lights") {
        kind = kLights;
        recordName = "light";
    } else if (name == "models") {
        kind = kModels;
        recordName = "model";
    } else {
        return;
    }
    TString childName;
    TXmlNode* record = nullptr;
    section->BeginChildren();
    while (section->NextChild(childName, record)) {
        if (childName != recordName)
            continue;
        switch (kind) {
        case kMaterials: mMaterials->ReadMaterial(record); break;
        case kLights: ReadLight(mLights, record); break;
        case kModels: AddElement(KElement::Create(record, mDefer)); break;
        case kNone: break;
        }
    }
}

void KSceneSet::AddElement(const std::shared_ptr<KElement>& element)
{
    mElements.push_back(element);
    if (!element->GetName().IsEmpty())
        mElementMap[element->GetName()] = element;
}

void KSceneSet::Clear()
{
    mElements.clear();
    mElementMap.clear();
    mLights.clear();
    if (mMaterials) {
        MaterialTable::Destroy();
        mMaterials = nullptr;
    }
    mCursor = 0;
    mShownAnimation.reset();
    mShownTarget.reset();
    mShownFrame = -1;
}

uint32_t KSceneSet::GetElementCount() const
{
    return uint32_t(mElements.size());
}

bool KSceneSet::LoadNextElement()
{
    if (mCursor >= mElements.size())
        return false;
    if (const std::shared_ptr<KElement>& element = mElements[mCursor])
        element->Load();
    ++mCursor;
    return mCursor < mElements.size();
}

void KSceneSet::Draw()
{
    TRenderer* renderer = TRenderer::Get();
    T3dGuard pass;
    // Outside a frame nothing can be drawn (the renderer logged why).
    if (!pass.Begin3d())
        return;
    renderer->SetPerspective(kNear, kFar, mCamera.fov, 0.0f);
    renderer->SetTexture(TTextureRef());

    TMat4 view;
    view.Translate(TVec3(-mCamera.x, -mCamera.y, -mCamera.z));
    view.RotateYawPitchRoll(mCamera.yaw, mCamera.pitch, mCamera.roll);
    renderer->SetViewTransform(view);

    ApplyLights(mLights, *renderer, 0);
    // A set loaded with fewer lights than the last one drawn switches the
    // rest off.
    const uint32_t count = uint32_t(mLights.size());
    for (uint32_t index = count; index < mLightsApplied; ++index)
        renderer->SetLight(index, nullptr);
    mLightsApplied = count;

    // An element not loaded yet loads here.
    for (const std::shared_ptr<KElement>& element : mElements)
        if (element)
            element->Draw(*renderer);
}

std::shared_ptr<KElement> KSceneSet::FindElement(const TString& name) const
{
    auto found = mElementMap.find(name);
    return found == mElementMap.end() ? std::shared_ptr<KElement>() : found->second;
}

void KSceneSet::SetElementTexture(const TString& name, const TTextureRef& texture)
{
    if (std::shared_ptr<KElement> element = FindElement(name))
        element->SetTextureOverride(texture);
}

TTextureRef KSceneSet::GetElementTexture(const TString& name) const
{
    std::shared_ptr<KElement> element = FindElement(name);
    return element && element->IsTextured() ? element->GetTexture() : TTextureRef();
}

void KSceneSet::ShowAnimationOnElement(const TString& name, const std::shared_ptr<TAnimatedTexture>& animation)
{
    if (!animation || animation->GetFrameCount() <= 0)
        return;
    std::shared_ptr<KElement> element = FindElement(name);
    if (!element)
        return;
    // Without a current frame there is nothing to show (and no size to
    // make a target of).
    const int32_t frame = animation->GetFrame();
    if (frame < 0 || frame >= animation->GetFrameCount()) {
        element->SetTextureOverride(TTextureRef());
        return;
    }

    TTextureRef target = GetElementTexture(name);
    const uint32_t width = animation->GetWidth();
    const uint32_t height = animation->GetHeight();
    if (!target || target->GetWidth() != width || target->GetHeight() != height) {
        target = TTexture::CreateRenderTarget(width, height, animation->HasAlpha());
        element->SetTextureOverride(target);
    }
    if (!target)
        return;

    if (frame == mShownFrame && mShownAnimation.lock() == animation && mShownTarget.lock() == target)
        return;
    const TRect rect = animation->GetFrameRect(frame);
    if (!animation->Blit(0, 0, &rect, target))
        return;
    mShownAnimation = animation;
    mShownTarget = target;
    mShownFrame = frame;
}

} // namespace KScene
