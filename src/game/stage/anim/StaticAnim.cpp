#include "game/stage/anim/StaticAnim.h"

#include "game/show/event/Event.h"
#include "game/stage/anim/AnimEvent.h"
#include "render/TextLayout.h"
#include "render/Texture.h"

namespace KAnim {

namespace {

constexpr const char* kTextFont = "fonts/Centry.mvec";
constexpr int32_t kTextSize = 16;

} // namespace

StaticAnimBase::StaticAnimBase(std::shared_ptr<KEvent::Event> owner) : mOwner(std::move(owner)) {}

StaticAnimBase::~StaticAnimBase() = default;

void StaticAnimBase::OnCreated()
{
    mEvent = MakeAnimEvent(GetSelf());
}

void StaticAnimBase::Draw()
{
    if (!mRunning)
        return;
    if (!mOwner || mOwner->IsFinished()) {
        Stop();
        return;
    }
    DrawStill();
}

std::shared_ptr<KEvent::Event> StaticAnimBase::GetEvent()
{
    return mEvent;
}

void StaticAnimBase::Stop()
{
    if (!mRunning)
        return;
    mRunning = false;
    // Held through its own Finish, which calls Stop again to no effect.
    if (std::shared_ptr<eAnimBase> event = mEvent)
        event->Finish();
}

StaticTextAnim::StaticTextAnim(const TString& text, const TRect& rect, std::shared_ptr<KEvent::Event> owner)
    : StaticAnimBase(std::move(owner)), mRect(rect)
{
    static const float kWhite[4] = {1, 1, 1, 1};
    mLayout = TTextLayout::Create(text, rect.Width(), rect.Height(), TTextLayout::kCentre | TTextLayout::kMiddle,
                                  kTextFont, kTextSize, kWhite);
}

StaticTextAnim::~StaticTextAnim()
{
    TTextLayout::Delete(mLayout);
}

void StaticTextAnim::DrawStill()
{
    if (mLayout)
        mLayout->Draw(TRect(mRect.left, mRect.top, mRect.right, mRect.bottom), 1.0f, 0, 1.0f, TTextureRef());
}

StaticImageAnim::StaticImageAnim(const TString& image, const TDrawParams& params,
                                 std::shared_ptr<KEvent::Event> owner)
    : StaticAnimBase(std::move(owner)), mSprite(TSprite::Create(0, TTexture::Get(image, 0))), mParams(params)
{
}

StaticImageAnim::~StaticImageAnim() = default;

void StaticImageAnim::DrawStill()
{
    if (mSprite)
        mSprite->Draw(mParams, -1);
}

std::shared_ptr<StaticTextAnim> MakeStaticTextAnim(const TString& text, const TRect& rect,
                                                   const std::shared_ptr<KEvent::Event>& owner)
{
    return KAnim::Create<StaticTextAnim>(text, rect, owner);
}

std::shared_ptr<StaticImageAnim> MakeStaticImageAnim(const TString& image, const TDrawParams& params,
                                                     const std::shared_ptr<KEvent::Event>& owner)
{
    return KAnim::Create<StaticImageAnim>(image, params, owner);
}

} // namespace KAnim
