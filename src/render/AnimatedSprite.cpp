#include "render/AnimatedSprite.h"

const TAssetClassId TAnimatedSprite::ClassId = &TAnimatedSprite::ClassId;

TAnimatedSpriteRef TAnimatedSprite::Create(int32_t z)
{
    return std::make_shared<TAnimatedSprite>(z);
}

TAnimatedSprite::TAnimatedSprite(int32_t z) : TSprite(z)
{
}

TAnimatedSprite::~TAnimatedSprite()
{
    ReleaseAnimating();
    ReleaseStarting();
    ReleaseAnimating();
    mRetiredStarting.reset();
    mAnimated.reset();
}

const char* TAnimatedSprite::GetClassName() const
{
    return "TAnimatedSprite";
}

bool TAnimatedSprite::IsKindOf(TAssetClassId id) const
{
    return id == ClassId || TSprite::IsKindOf(id);
}

void TAnimatedSprite::SetTexture(const TTextureRef& texture)
{
    TSprite::SetTexture(texture);
    if (texture && texture->IsKindOf(TAnimatedTexture::ClassId))
        mAnimated = std::static_pointer_cast<TAnimatedTexture>(texture);
    else
        mAnimated.reset();
}

void TAnimatedSprite::DrawTexture(const TDrawParams& combined)
{
    if (mAnimated)
        mAnimated->SetFrame(mFrame);
    TSprite::DrawTexture(combined);
}

TRect TAnimatedSprite::GetBounds(const TDrawParams& parent, int32_t depth)
{
    if (!mAnimated)
        return TSprite::GetBounds(parent, depth);
    // Measured on this sprite's frame; the texture's current frame (which
    // another sprite may have set) is left as it was.
    const int32_t shown = mAnimated->GetFrame();
    mAnimated->SetFrame(mFrame);
    TDrawParams own = mPlacement;
    if (!(own.flags & kDrawAtOrigin)) {
        own.flags |= kDrawAtOrigin;
        int32_t regx = 0, regy = 0;
        mAnimated->GetRegistration(mFrame, regx, regy);
        own.origin = TVec2(float(regx), float(regy));
        if (own.flags & kDrawMirrorX)
            own.origin.x = float(int64_t(mAnimated->GetWidth()) - regx);
        if (own.flags & kDrawMirrorY)
            own.origin.y = float(int64_t(mAnimated->GetHeight()) - regy);
    }
    const TRect bounds = BoundsWith(own, parent, depth);
    mAnimated->SetFrame(shown);
    return bounds;
}

void TAnimatedSprite::SetStartingScript(TSpriteScript* script)
{
    ReleaseStarting();
    mStarting = script;
}

void TAnimatedSprite::SetAnimatingScript(TSpriteScript* script)
{
    ReleaseAnimating();
    mAnimating = script;
}

void TAnimatedSprite::ReleaseAnimating()
{
    mRetiredAnimating.reset();
    if (!mAnimating)
        return;
    TSpriteScript* script = mAnimating;
    mAnimating = nullptr;
    if (mStarting)
        script->HandGlobalsTo(*mStarting);
    if (script->LeaveTaskList()) {
        mRetiredAnimating.reset(script);
        script->Suspend();
    }
}

void TAnimatedSprite::ReleaseStarting()
{
    mRetiredStarting.reset();
    if (!mStarting)
        return;
    TSpriteScript* script = mStarting;
    mStarting = nullptr;
    if (script->LeaveTaskList()) {
        mRetiredStarting.reset(script);
        script->Suspend();
    }
}
