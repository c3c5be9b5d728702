#pragma once
#include <cstdint>
#include <memory>

#include "game/stage/anim/AnimBase.h"
#include "platform/Rect.h"
#include "platform/TString.h"
#include "render/DrawParams.h"
#include "render/Sprite.h"

class TTextLayout;

namespace KEvent {
class Event;
}

namespace KAnim {

class eAnimBase;

// Still animations: shown from the start of their event until the first
// draw after their owner event has finished, when they stop (finishing
// their event) without being drawn. One without an owner stops at its first
// draw, unseen. Neither removes itself from the animation manager.
class StaticAnimBase : public AnimBase {
public:
    explicit StaticAnimBase(std::shared_ptr<KEvent::Event> owner);
    ~StaticAnimBase() override;

    void Draw() override;
    std::shared_ptr<KEvent::Event> GetEvent() override;
    void Start() override { mRunning = true; }
    void Stop() override;

    bool IsRunning() const { return mRunning; }
    const std::shared_ptr<KEvent::Event>& GetOwnerEvent() const { return mOwner; }

protected:
    void OnCreated() override;
    // The still picture, inside the open 2D pass.
    virtual void DrawStill() = 0;

private:
    bool mRunning = false;
    std::shared_ptr<eAnimBase> mEvent;
    std::shared_ptr<KEvent::Event> mOwner;
};

// A text laid out centred in a rectangle ("fonts/Centry.mvec", size 16,
// white), drawn at the rectangle's top-left corner.
class StaticTextAnim : public StaticAnimBase {
public:
    StaticTextAnim(const TString& text, const TRect& rect, std::shared_ptr<KEvent::Event> owner);
    ~StaticTextAnim() override;

    const TRect& GetRect() const { return mRect; }
    const TTextLayout* GetLayout() const { return mLayout.get(); }

protected:
    void DrawStill() override;

private:
    TRect mRect;
    std::unique_ptr<TTextLayout> mLayout;
};

// A still image (a sprite over the texture of that name) drawn with fixed
// draw parameters.
class StaticImageAnim : public StaticAnimBase {
public:
    StaticImageAnim(const TString& image, const TDrawParams& params, std::shared_ptr<KEvent::Event> owner);
    ~StaticImageAnim() override;

    const TSpriteRef& GetSprite() const { return mSprite; }
    const TDrawParams& GetDrawParams() const { return mParams; }

protected:
    void DrawStill() override;

private:
    TSpriteRef mSprite;
    TDrawParams mParams;
};

// The still animations with their events; not registered with the manager.
std::shared_ptr<StaticTextAnim> MakeStaticTextAnim(const TString& text, const TRect& rect,
                                                   const std::shared_ptr<KEvent::Event>& owner);
std::shared_ptr<StaticImageAnim> MakeStaticImageAnim(const TString& image, const TDrawParams& params,
                                                     const std::shared_ptr<KEvent::Event>& owner);

} // namespace KAnim
