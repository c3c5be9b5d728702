#include "game/show/cast/KChildManager.h"

#include "game/show/ShowController.h"
#include "platform/Log.h"
#include "platform/XmlNode.h"
#include "platform/XmlParser.h"
#include "render/Renderer.h"

namespace Quillory {

namespace {

KChildManager* gInstance = nullptr;

} // namespace

KChildManager* KChildManager::Instance()
{
    if (!gInstance)
        gInstance = new KChildManager();
    return gInstance;
}

KChildManager* KChildManager::Existing()
{
    return gInstance;
}

void KChildManager::Destroy()
{
    delete gInstance;
    gInstance = nullptr;
}

KChildManager::KChildManager()
{
    ReadRoster(TString(kRosterFile));
    for (size_t i = 0; i < mClassmates.size(); ++i)
        mClassmates[i]->SetIndex(int32_t(i));
    mHost = std::make_unique<CVModel>();
    KScene::SetStageCast(this);
    KEvent::SetCastLink(&mEventLink);
}

KChildManager::~KChildManager()
{
    if (KScene::GetStageCast() == this)
        KScene::SetStageCast(nullptr);
    if (KEvent::GetCastLink() == &mEventLink)
        KEvent::SetCastLink(nullptr);
}

void KChildManager::ReadRoster(const TString& file)
{
    TXmlNode root;
    if (!LoadXmlFile(&root, file)) {
        WriteLog("Classmates: cannot read %s; there are no classmates", file.c_str());
        return;
    }
    bool found = false;
    TString name;
    TXmlNode* child = nullptr;
    root.BeginChildren();
    while (root.NextChild(name, child)) {
        if (name == "children") {
            found = true;
            ReadChildren(*child);
        }
    }
    if (!found)
        WriteLog("Classmates: %s has no \"children\" element; there are no classmates", file.c_str());
    else if (mClassmates.empty())
        WriteLog("Classmates: %s names no classmate", file.c_str());
}

void KChildManager::ReadChildren(TXmlNode& children)
{
    TString name;
    TXmlNode* child = nullptr;
    children.BeginChildren();
    while (children.NextChild(name, child)) {
        if (name != "child")
            continue;
        if (mClassmates.size() >= kMaxClassmates) {
            WriteLog("Classmates: more than %zu classmates; the rest are left out", kMaxClassmates);
            return;
        }
        mClassmates.push_back(std::make_unique<KChild>(*child));
    }
}

KChild* KChildManager::GetChild(int32_t index) const
{
    if (index == kHost)
        return mHost.get();
    if (index < 0 || size_t(index) >= mClassmates.size())
        return nullptr;
    return mClassmates[size_t(index)].get();
}

KChild* KChildManager::FindByName(const TString& name) const
{
    for (const auto& classmate : mClassmates)
        if (classmate->GetName() == name)
            return classmate.get();
    return nullptr;
}

void KChildManager::ResetPoses()
{
    for (const auto& classmate : mClassmates) {
        classmate->ResetForShow();
        classmate->PlayAnim(TString("Sit"), 0);
    }
    mHost->ResetForShow();
    mHost->PlayAnim(TString("Stand"), 0);
}

void KChildManager::Draw()
{
    if (!TRenderer::Get())
        return;
    for (const auto& classmate : mClassmates)
        classmate->Draw();
    mHost->Draw();
}

void KChildManager::Draw(TRenderer* renderer)
{
    if (renderer)
        Draw();
}

KChild* GetCurrentClassmate()
{
    ShowController* show = ShowController::Existing();
    return show ? show->GetRecord().currentClassmate : nullptr;
}

bool IsCurrentClassmate(const KChild* child)
{
    return child && child == GetCurrentClassmate();
}

} // namespace Quillory
