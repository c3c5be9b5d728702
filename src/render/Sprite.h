#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Asset.h"
#include "platform/Rect.h"
#include "render/DrawParams.h"
#include "render/TextureRef.h"

class TSprite;
using TSpriteRef = std::shared_ptr<TSprite>;

// A drawable node: a texture placed by its own record relative to a parent
// record, and child sprites drawn relative to it. The child list is kept
// sorted by z order (stable): children below z 0 are drawn under the
// texture, the others over it. Not an asset; held by shared pointer. Main
// thread only.
class TSprite : public std::enable_shared_from_this<TSprite> {
public:
    static const TAssetClassId ClassId;

    // A sprite of z order z showing texture (may be empty).
    static TSpriteRef Create(int32_t z, const TTextureRef& texture = TTextureRef());

    explicit TSprite(int32_t z);
    virtual ~TSprite();
    TSprite(const TSprite&) = delete;
    TSprite& operator=(const TSprite&) = delete;

    virtual const char* GetClassName() const;
    virtual bool IsKindOf(TAssetClassId id) const;
    // Draws under parent: the children below z 0, the texture, the rest.
    // depth is the number of generations of children still drawn (0: none;
    // negative: all).
    virtual void Draw(const TDrawParams& parent, int32_t depth);
    // Takes child (found by identity) out of the list; false when it is
    // not a child.
    virtual bool RemoveChild(const TSpriteRef& child);
    // Screen-space bounds of the texture under parent, merged with the
    // children's to depth generations. Without a texture the sprite itself
    // adds the empty rectangle kNoBounds.
    virtual TRect GetBounds(const TDrawParams& parent, int32_t depth);
    virtual void SetTexture(const TTextureRef& texture);
    // Stable sort by z order, after z orders were changed.
    virtual void SortChildren();

    // Inserts child after the children of a lower or equal z order, and
    // becomes its parent (taking it from a former parent). Refused (false,
    // logged) for an empty pointer, the sprite itself or one of its
    // ancestors.
    bool AddChild(const TSpriteRef& child);

    // The placement record combined with a parent's: own transform then the
    // parent's, alpha multiplied, mirror bits toggled by the parent's, the
    // parent's frame when the own is -1.
    TDrawParams Combine(const TDrawParams& parent) const;
    static TDrawParams Combine(const TDrawParams& own, const TDrawParams& parent);

    TSprite* GetParent() const { return mParent; }
    const std::vector<TSpriteRef>& GetChildren() const { return mChildren; }
    const TTextureRef& GetTexture() const { return mTexture; }

    // Bounds that any union replaces.
    static const TRect kNoBounds;

    // Plain fields set by the owner.
    int32_t mVisible = 1;          // 0: neither the sprite nor its children draw
    int32_t mZOrder;               // call the parent's SortChildren after a change
    TDrawParams mPlacement;        // relative to the parent record

protected:
    // Draws the texture with the combined record, between the children
    // under it and those over it.
    virtual void DrawTexture(const TDrawParams& combined);
    // GetBounds with own standing in for the placement record.
    TRect BoundsWith(const TDrawParams& own, const TDrawParams& parent, int32_t depth);

private:
    TSprite* mParent = nullptr; // not owning
    TTextureRef mTexture;
    std::vector<TSpriteRef> mChildren;
};
