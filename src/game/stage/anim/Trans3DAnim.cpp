#include "game/stage/anim/Trans3DAnim.h"

#include "game/stage/KText.h"
#include "game/stage/anim/AnimEvent.h"
#include "game/stage/anim/AnimManager.h"
#include "game/stage/scene/Element.h"
#include "game/stage/scene/SceneSet.h"
#include "platform/Log.h"
#include "render/AnimatedTexture.h"
#include "render/Renderer.h"
#include "render/Texture.h"
#include "ui/Image.h"
#include "ui/Window.h"

namespace KAnim {

Trans3D_Anim::Trans3D_Anim() = default;
Trans3D_Anim::~Trans3D_Anim() = default;

std::shared_ptr<Trans3D_Anim> Trans3D_Anim::Create(const TString& file, const TTextureRef& picture,
                                                   const TString& element1, const TString& element2)
{
    std::shared_ptr<Trans3D_Anim> anim = KAnim::Create<Trans3D_Anim>();
    anim->Setup(file, picture, element1, element2);
    AnimManager::Get()->Add(anim);
    return anim;
}

void Trans3D_Anim::Setup(const TString& file, const TTextureRef& picture, const TString& element1,
                         const TString& element2)
{
    KScene::KSceneSet* scene = KScene::KSceneSet::Get();
    mOldPicture = scene->GetElementTexture(element1);
    mNewPicture = picture;
    mMask = TAnimatedTexture::Get(file);
    if (mMask) {
        mFrameCount = mMask->GetFrameCount();
        mWidth = mMask->GetWidth();
        mHeight = mMask->GetHeight();
    } else {
        WriteLog("Trans3D_Anim: the transition %s cannot be loaded; the screens stay as they are", file.c_str());
    }
    mElement1 = scene->FindElement(element1);
    if (!element2.IsEmpty())
        mElement2 = scene->FindElement(element2);
    if (mFrameCount <= 0 || mWidth == 0 || mHeight == 0)
        return;

    if (mOldPicture)
        mOldPicture = KTex::KText::Resize(mOldPicture, mWidth, mHeight, 0);
    if (mNewPicture)
        mNewPicture = KTex::KText::Resize(mNewPicture, mWidth, mHeight, 0);
    mComposite = TTexture::CreateRenderTarget(mWidth, mHeight, false);
    mMaskTexture = TTexture::CreateRenderTarget(mWidth, mHeight, true);

    mContainer = std::make_unique<TWindow>();
    mContainer->MoveTo(0, 0);
    mContainer->SetSize(int32_t(mWidth), int32_t(mHeight));
    TImage** images[] = {&mOldImage, &mNewImage, &mMaskImage};
    const TTextureRef* textures[] = {&mOldPicture, &mNewPicture, &mMaskTexture};
    for (int i = 0; i < 3; ++i) {
        auto* image = new TImage(true);
        image->SetImage(*textures[i], 1.0f);
        *images[i] = image;
        mContainer->AddChild(image, true);
    }
}

std::shared_ptr<KEvent::Event> Trans3D_Anim::GetEvent()
{
    if (!mEvent)
        mEvent = MakeAnimEvent(GetSelf());
    return mEvent;
}

void Trans3D_Anim::Start()
{
    mRunning = true;
    mClock.Reset();
    mClock.Pause();
}

void Trans3D_Anim::Stop()
{
    if (!mRunning)
        return;
    mRunning = false;
    mClock.Pause();
    if (std::shared_ptr<eAnimBase> event = mEvent)
        event->Finish();
    if (AnimManager* manager = AnimManager::Existing())
        manager->Remove(GetSelf());
}

bool Trans3D_Anim::ShowsNewPicture() const
{
    return mNewImage && mNewImage->HasFlags(kWindowShown);
}

void Trans3D_Anim::Update()
{
    if (!mRunning)
        return;
    if (!mContainer) {
        Stop();
        return;
    }
    mClock.Pause();
    int32_t frame = int32_t(int64_t(mFps) * mClock.GetTime() / 1000);
    const bool early = frame < mFrameCount / 2;
    const uint32_t shown = kWindowShown;
    mOldImage->SetFlags(early ? shown : 0);
    mNewImage->SetFlags(early ? 0 : shown);
    if (frame > mFrameCount) {
        Stop();
        frame = mFrameCount - 1;
    }
    if (frame != mLastFrame) {
        Compose(frame);
        mLastFrame = frame;
    }
    if (mRunning)
        mClock.Start();
}

void Trans3D_Anim::Compose(int32_t frame)
{
    // Frame == count (the tick before the stop) has no rectangle: the mask
    // keeps its last frame.
    if (frame < mFrameCount) {
        const TRect rect = mMask->GetFrameRect(frame);
        mMask->Blit(0, 0, &rect, mMaskTexture);
    }
    mComposite->Clear();
    TRenderer* renderer = TRenderer::Get();
    if (renderer->BeginRenderToTexture(mComposite, 0)) {
        mContainer->DrawTree(0);
        renderer->EndRenderToTexture();
    }
    if (mElement1)
        mElement1->SetTextureOverride(mComposite);
    if (mElement2)
        mElement2->SetTextureOverride(mComposite);
}

} // namespace KAnim
