#include "game/stage/model/XBone.h"

#include <utility>

namespace KScene {

bool XBone::AddChild(XBone* child)
{
    if (!child || child == this || child->mParent)
        return false;
    for (const XBone* up = mParent; up; up = up->mParent)
        if (up == child)
            return false;
    mChildren.push_back(child);
    child->mParent = this;
    return true;
}

const TMat4& XBone::GetKey(uint16_t k) const
{
    static const TMat4 identity;
    if (mKeys.empty())
        return identity;
    return mKeys[k < mKeys.size() ? k : mKeys.size() - 1];
}

void XBone::SetKeys(std::vector<TMat4> keys)
{
    if (keys.size() > 0xFFFF)
        keys.resize(0xFFFF);
    mKeys = std::move(keys);
}

void XBone::PickKey(uint16_t frame)
{
    if (!mKeys.empty())
        mAnim = GetKey(frame);
}

void XBone::Update(uint16_t frame, const TMat4& parentCombined)
{
    PickKey(frame);
    mCombined = mAnim * parentCombined;
    mSkin = mOffset * mCombined;
    for (XBone* child : mChildren)
        child->Update(frame, mCombined);
}

void XBone::Refresh(const TMat4& parentCombined)
{
    mCombined = mAnim * parentCombined;
    mSkin = mOffset * mCombined;
    for (XBone* child : mChildren)
        child->Refresh(mCombined);
}

XBone* XBoneList::FindBone(const TString& name, bool create)
{
    auto it = mByName.find(name);
    if (it != mByName.end())
        return it->second;
    if (!create || mBones.size() >= kMaxBones)
        return nullptr;
    return Add(std::make_unique<XBone>(name));
}

XBone* XBoneList::Add(std::unique_ptr<XBone> bone)
{
    if (!bone)
        return nullptr;
    XBone* raw = bone.get();
    mBones.push_back(std::move(bone));
    mByName[raw->GetName()] = raw;
    return raw;
}

void XBoneList::SetRootIndex(uint16_t index)
{
    if (index >= mBones.size())
        return;
    mRootIndex = index;
    mLinked = true;
}

} // namespace KScene
