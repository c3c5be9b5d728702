#include "render/Sprite.h"

#include <algorithm>

#include "platform/Log.h"
#include "platform/Numbers.h"
#include "render/Texture.h"

namespace {

int32_t ChildDepth(int32_t depth)
{
    return depth < 0 ? depth : depth - 1;
}

} // namespace

const TAssetClassId TSprite::ClassId = &TSprite::ClassId;
const TRect TSprite::kNoBounds(10000000, 10000000, -10000000, -10000000);

TSpriteRef TSprite::Create(int32_t z, const TTextureRef& texture)
{
    auto sprite = std::make_shared<TSprite>(z);
    if (texture)
        sprite->SetTexture(texture);
    return sprite;
}

TSprite::TSprite(int32_t z) : mZOrder(z), mPlacement(TVec2(0, 0), 1.0f, 1.0f, 0)
{
}

TSprite::~TSprite()
{
    for (const TSpriteRef& child : mChildren)
        child->mParent = nullptr;
    mChildren.clear();
    mTexture.reset();
}

const char* TSprite::GetClassName() const
{
    return "TSprite";
}

bool TSprite::IsKindOf(TAssetClassId id) const
{
    return id == ClassId;
}

TDrawParams TSprite::Combine(const TDrawParams& parent) const
{
    return Combine(mPlacement, parent);
}

TDrawParams TSprite::Combine(const TDrawParams& own, const TDrawParams& parent)
{
    TDrawParams c = own;
    c.transform = own.transform * parent.transform;
    c.alpha = parent.alpha * own.alpha;
    c.flags ^= parent.flags & (kDrawMirrorX | kDrawMirrorY);
    if (c.frame == -1)
        c.frame = parent.frame;
    return c;
}

void TSprite::Draw(const TDrawParams& parent, int32_t depth)
{
    if (mVisible == 0)
        return;
    const TDrawParams c = Combine(parent);
    // Copies: a draw may change the list.
    const std::vector<TSpriteRef> children = depth != 0 ? mChildren : std::vector<TSpriteRef>();
    auto over = children.begin();
    for (; over != children.end() && (*over)->mZOrder < 0; ++over)
        (*over)->Draw(c, ChildDepth(depth));
    DrawTexture(c);
    for (; over != children.end(); ++over)
        (*over)->Draw(c, ChildDepth(depth));
}

void TSprite::DrawTexture(const TDrawParams& combined)
{
    if (mTexture)
        mTexture->Draw(combined);
}

bool TSprite::RemoveChild(const TSpriteRef& child)
{
    auto found = std::find(mChildren.begin(), mChildren.end(), child);
    if (found == mChildren.end())
        return false;
    (*found)->mParent = nullptr;
    mChildren.erase(found);
    return true;
}

bool TSprite::AddChild(const TSpriteRef& child)
{
    for (const TSprite* s = this; s && child; s = s->mParent) {
        if (s == child.get()) {
            WriteLog("TSprite::AddChild: a sprite cannot be its own descendant");
            return false;
        }
    }
    if (!child) {
        WriteLog("TSprite::AddChild: no sprite");
        return false;
    }
    const TSpriteRef held = child; // the former parent may hold the last reference
    if (held->mParent)
        held->mParent->RemoveChild(held);
    auto at = std::upper_bound(mChildren.begin(), mChildren.end(), held->mZOrder,
                               [](int32_t z, const TSpriteRef& s) { return z < s->mZOrder; });
    mChildren.insert(at, held);
    held->mParent = this;
    return true;
}

void TSprite::SortChildren()
{
    std::stable_sort(mChildren.begin(), mChildren.end(),
                     [](const TSpriteRef& a, const TSpriteRef& b) { return a->mZOrder < b->mZOrder; });
}

void TSprite::SetTexture(const TTextureRef& texture)
{
    mTexture = texture;
}

TRect TSprite::GetBounds(const TDrawParams& parent, int32_t depth)
{
    return BoundsWith(mPlacement, parent, depth);
}

TRect TSprite::BoundsWith(const TDrawParams& own, const TDrawParams& parent, int32_t depth)
{
    const TDrawParams c = Combine(own, parent);

    TRect bounds = kNoBounds;
    if (mTexture) {
        float w = float(mTexture->GetWidth()), h = float(mTexture->GetHeight());
        if (c.flags & kDrawSourceRect) {
            // As the texture draw cuts it.
            w = float(int64_t(c.sourceRect[2]) - c.sourceRect[0]);
            h = float(int64_t(c.sourceRect[3]) - c.sourceRect[1]);
        }
        const TVec2 offset = (own.flags & kDrawAtOrigin) ? -own.origin : TVec2(-w / 2, -h / 2);
        const TVec2 corners[4] = {offset, offset + TVec2(w, 0), offset + TVec2(0, h), offset + TVec2(w, h)};
        float minX = 0, minY = 0, maxX = 0, maxY = 0;
        for (int i = 0; i < 4; ++i) {
            const TVec2 p = corners[i] * c.transform;
            minX = i ? std::min(minX, p.x) : p.x;
            minY = i ? std::min(minY, p.y) : p.y;
            maxX = i ? std::max(maxX, p.x) : p.x;
            maxY = i ? std::max(maxY, p.y) : p.y;
        }
        bounds = TRect(TruncateToInt32(minX), TruncateToInt32(minY), TruncateToInt32(maxX), TruncateToInt32(maxY));
    }
    if (depth != 0) {
        const std::vector<TSpriteRef> children = mChildren;
        for (const TSpriteRef& child : children)
            bounds = TRect::Union(bounds, child->GetBounds(c, ChildDepth(depth)));
    }
    return bounds;
}
