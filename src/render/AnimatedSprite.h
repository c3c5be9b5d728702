#pragma once
#include <cstdint>
#include <memory>

#include "render/AnimatedTexture.h"
#include "render/Sprite.h"
#include "render/SpriteScript.h"

class TAnimatedSprite;
using TAnimatedSpriteRef = std::shared_ptr<TAnimatedSprite>;

// A sprite that shows its own frame of an animated texture: the frame is
// set on the texture just before the texture is drawn (after the children
// under it), so sprites sharing one sheet each show their own. Its bounds are placed by the frame's registration
// point. It may hold the script that animates it and the one that started
// it (not owned while they run): when the sprite goes away, the animating
// script's globals are handed to the starting script, and scripts that were
// running are taken off the task list, suspended and deleted.
class TAnimatedSprite : public TSprite {
public:
    static const TAssetClassId ClassId;

    static TAnimatedSpriteRef Create(int32_t z);

    explicit TAnimatedSprite(int32_t z);
    ~TAnimatedSprite() override;

    const char* GetClassName() const override;
    bool IsKindOf(TAssetClassId id) const override;
    TRect GetBounds(const TDrawParams& parent, int32_t depth) override;
    // Also keeps the texture as the animated one when it is one.
    void SetTexture(const TTextureRef& texture) override;

    int32_t GetFrame() const { return mFrame; }
    void SetFrame(int32_t frame) { mFrame = frame; }
    const TAnimatedTextureRef& GetAnimatedTexture() const { return mAnimated; }

    // Each releases the script it replaces first (see ReleaseAnimating).
    void SetStartingScript(TSpriteScript* script);
    void SetAnimatingScript(TSpriteScript* script);
    TSpriteScript* GetStartingScript() const { return mStarting; }
    TSpriteScript* GetAnimatingScript() const { return mAnimating; }

protected:
    void DrawTexture(const TDrawParams& combined) override;

private:
    // Deletes the script retired by the last release; hands the animating
    // script's globals to the starting script (when both are set); a
    // script that was on the task list is retired and suspended.
    void ReleaseAnimating();
    void ReleaseStarting();

    int32_t mFrame = 0;
    TAnimatedTextureRef mAnimated;
    TSpriteScript* mStarting = nullptr;
    TSpriteScript* mAnimating = nullptr;
    std::unique_ptr<TSpriteScript> mRetiredStarting;
    std::unique_ptr<TSpriteScript> mRetiredAnimating;
};
