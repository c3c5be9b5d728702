#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/Matrix.h"
#include "platform/TString.h"

namespace KScene {

// One bone of a skin. Its matrices start as identity; it has no keys and no
// parent until the model's bones are linked. Owned by its XBoneList.
class XBone {
public:
    explicit XBone(const TString& name) : mName(name) {}
    XBone(const XBone&) = delete;
    XBone& operator=(const XBone&) = delete;

    const TString& GetName() const { return mName; }
    XBone* GetParent() const { return mParent; }
    const std::vector<XBone*>& GetChildren() const { return mChildren; }

    // Appends a child and makes this its parent. Refused (false) for itself,
    // a bone that already has a parent and an ancestor of this bone, so the
    // bones always form a tree.
    bool AddChild(XBone* child);

    // Mesh space to bone space.
    const TMat4& GetOffset() const { return mOffset; }
    void SetOffset(const TMat4& offset) { mOffset = offset; }
    // The current local matrix (the bind pose after linking, then the key).
    const TMat4& GetAnim() const { return mAnim; }
    void SetAnim(const TMat4& anim) { mAnim = anim; }
    // Offset times combined, as of the last update.
    const TMat4& GetSkin() const { return mSkin; }
    // This bone's combined matrix, as of the last update.
    const TMat4& GetCombined() const { return mCombined; }

    // Key k is animation frame k.
    uint16_t GetKeyCount() const { return uint16_t(mKeys.size()); }
    const TMat4& GetKey(uint16_t k) const;
    // Replaces the keys; at most 65535 are kept.
    void SetKeys(std::vector<TMat4> keys);
    // anim := the key of the frame, the last key beyond them; no keys: kept.
    void PickKey(uint16_t frame);

    // Picks the frame's key, recomputes combined and skin from the parent's
    // combined matrix and updates the children.
    void Update(uint16_t frame, const TMat4& parentCombined);
    // The same without picking a key; the children are refreshed.
    void Refresh(const TMat4& parentCombined);

private:
    TString mName;
    XBone* mParent = nullptr;
    std::vector<XBone*> mChildren;
    TMat4 mOffset;
    TMat4 mSkin;
    TMat4 mAnim;
    TMat4 mCombined;
    std::vector<TMat4> mKeys;
};

// The bones of one skin in creation order, by name, and the root once the
// bones are linked into a tree. Owns its bones.
class XBoneList {
public:
    // New names beyond this many bones are refused.
    static constexpr uint32_t kMaxBones = 1024;

    XBoneList() = default;
    XBoneList(const XBoneList&) = delete;
    XBoneList& operator=(const XBoneList&) = delete;

    // The bone of that name; a missing one is made and appended when create
    // is set (null when kMaxBones are made), else null.
    XBone* FindBone(const TString& name, bool create);
    // Appends and maps (a later bone of the same name takes the name).
    XBone* Add(std::unique_ptr<XBone> bone);

    uint32_t Count() const { return uint32_t(mBones.size()); }
    bool IsEmpty() const { return mBones.empty(); }
    // Null beyond the count.
    XBone* At(uint32_t i) const { return i < mBones.size() ? mBones[i].get() : nullptr; }

    // The root of the linked tree, or null while the list is not linked.
    XBone* Root() const { return mLinked ? At(mRootIndex) : nullptr; }
    bool IsLinked() const { return mLinked; }
    // Marks the list linked with its root at that position (ignored beyond
    // the count).
    void SetRootIndex(uint16_t index);

private:
    std::vector<std::unique_ptr<XBone>> mBones;
    std::map<TString, XBone*> mByName;
    uint16_t mRootIndex = 0;
    bool mLinked = false;
};

} // namespace KScene
