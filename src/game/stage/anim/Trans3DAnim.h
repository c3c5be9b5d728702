#pragma once
#include <cstdint>
#include <memory>

#include "game/stage/anim/AnimBase.h"
#include "platform/Clock.h"
#include "platform/TString.h"
#include "render/TextureRef.h"

class TAnimatedTexture;
class TImage;
class TWindow;

namespace KScene {
class KElement;
}

namespace KAnim {

class eAnimBase;

// A transition on the studio screens: a mask animation sweeps over them,
// the old picture showing for the first half of its frames and the new one
// for the second. Nothing is drawn on the screen: each tick whose frame
// changed, the pictures and the mask frame are composed off-screen into a
// texture that the named scene elements show. The screens keep the last
// composite after the stop; the caller puts the final picture up.
//
// A mask that cannot be loaded counts as no frames: the transition stops at
// its first tick (its event finishes) and the screens stay as they were.
class Trans3D_Anim : public AnimBase {
public:
    // Made, registered with the animation manager, not running.
    static std::shared_ptr<Trans3D_Anim> Create(const TString& file, const TTextureRef& picture,
                                                const TString& element1, const TString& element2);

    Trans3D_Anim();
    ~Trans3D_Anim() override;

    void Draw() override {}
    void Update() override;
    std::shared_ptr<KEvent::Event> GetEvent() override;
    void Start() override;
    void Stop() override;
    void SetFps(int32_t fps) override { mFps = fps; }

    bool IsRunning() const { return mRunning; }
    int32_t GetLastFrame() const { return mLastFrame; }
    int32_t GetFrameCount() const { return mFrameCount; }
    const TTextureRef& GetComposite() const { return mComposite; }
    // Which picture shows now: true for the new one.
    bool ShowsNewPicture() const;

private:
    void Setup(const TString& file, const TTextureRef& picture, const TString& element1, const TString& element2);
    void Compose(int32_t frame);

    TTextureRef mComposite;
    TTextureRef mOldPicture;
    TTextureRef mNewPicture;
    std::unique_ptr<TWindow> mContainer;
    TImage* mOldImage = nullptr;
    TImage* mNewImage = nullptr;
    TImage* mMaskImage = nullptr;
    std::shared_ptr<TAnimatedTexture> mMask;
    TTextureRef mMaskTexture;
    bool mRunning = false;
    TClock mClock;
    int32_t mFps = 30;
    int32_t mFrameCount = 0;
    int32_t mLastFrame = -1;
    uint32_t mWidth = 0;
    uint32_t mHeight = 0;
    std::shared_ptr<KScene::KElement> mElement1;
    std::shared_ptr<KScene::KElement> mElement2;
    std::shared_ptr<eAnimBase> mEvent;
};

} // namespace KAnim
