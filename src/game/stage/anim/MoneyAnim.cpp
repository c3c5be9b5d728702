#include "game/stage/anim/MoneyAnim.h"

#include <cstdio>

#include "app/Application.h"
#include "game/show/MoneyLadder.h"
#include "game/show/ShowController.h"
#include "game/show/event/CoreEvents.h"
#include "platform/Log.h"
#include "platform/StringTable.h"
#include "render/DrawParams.h"

namespace KAnim {

namespace {

// Steps from this one up use the long pictures at the top of the ladder.
constexpr int32_t kTopStep = 10;
constexpr int32_t kRowPitch = 19;
constexpr int32_t kLabelCount = 11;
constexpr int32_t kCounterFps = 20;
constexpr int32_t kStepFps = 30;
// The steps have all lit up: the counter holds this long before it ends.
constexpr uint32_t kHoldMs = 2000;

constexpr const char* kFadeList = "1-4,5[6]";
constexpr const char* kCounterHoldList = "28[10]";

std::shared_ptr<MultiAnim> gDisplay;
TWindow* gParent = nullptr;

TDrawParams At(TVec2 position)
{
    return TDrawParams(position, 1.0f, 1.0f, 0);
}

} // namespace

int32_t LadderLift(int32_t k)
{
    return k >= 5 ? 2 : 0;
}

TVec2 BlueFadePosition(int32_t k)
{
    if (k >= kTopStep)
        return TVec2(0, 0);
    return TVec2(10, float(195 - kRowPitch * k - LadderLift(k)));
}

TVec2 FlarePosition(int32_t k)
{
    if (k >= kTopStep)
        return TVec2(28, 0);
    return TVec2(28, float(193 - kRowPitch * k - LadderLift(k)));
}

TVec2 HighlightPosition(int32_t k)
{
    if (k >= kTopStep)
        return TVec2(68, 11);
    return TVec2(66, float(205 - kRowPitch * k - LadderLift(k)));
}

TRect LadderTextRect(int32_t first, int32_t index)
{
    const int32_t row = index - first;
    if (row >= kTopStep)
        return TRect(0, 1, 137, 23);
    const int32_t top = 185 - kRowPitch * row - LadderLift(index);
    return TRect(10, top, 122, top + 40);
}

TString LadderLabel(int32_t index)
{
    char label[32];
    std::snprintf(label, sizeof label, "money_ladder_%d", int(index));
    TString text("#####");
    TApplication* application = TApplication::Instance();
    if (TStringTable* table = application ? application->GetStringTable() : nullptr)
        table->GetString(text, TString(label));
    else
        WriteLog("Money display: no string table for \"%s\"", label);
    return text;
}

std::shared_ptr<SimpleAnim> MakeBlueFade(int32_t k)
{
    const char* file = k >= kTopStep ? "anim/blue_fade_long.xml" : "anim/blue_fade.xml";
    return SimpleAnim::Create(TString(file), At(BlueFadePosition(k)), 0, TString(kFadeList), false);
}

std::shared_ptr<SimpleAnim> MakeFlare(int32_t k)
{
    return SimpleAnim::Create(TString("anim/flare.xml"), At(FlarePosition(k)), 0, TString(), false);
}

std::shared_ptr<StaticImageAnim> MakeLadderHighlight(int32_t k, const std::shared_ptr<KEvent::Event>& owner)
{
    const char* image = k >= kTopStep ? "anim/blue_static_long" : "anim/blue_static";
    return MakeStaticImageAnim(TString(image), At(HighlightPosition(k)), owner);
}

std::shared_ptr<StaticTextAnim> MakeLadderText(int32_t first, int32_t index,
                                               const std::shared_ptr<KEvent::Event>& owner)
{
    return MakeStaticTextAnim(LadderLabel(index), LadderTextRect(first, index), owner);
}

std::shared_ptr<KEvent::Event> MakeMoneyAnim(std::shared_ptr<KEvent::Event>& out, int32_t count,
                                             const std::shared_ptr<KEvent::Event>& afterEvent,
                                             const std::shared_ptr<KEvent::Event>& hold, bool honours,
                                             TWindow* parent)
{
    if (count < 0 || count > kMoneyLadderSteps) {
        WriteLog("Money display: %d right answers is off the ladder; %d is shown", int(count),
                 count < 0 ? 0 : int(kMoneyLadderSteps));
        count = count < 0 ? 0 : kMoneyLadderSteps;
    }
    if (gDisplay)
        gDisplay->Stop();
    std::shared_ptr<KEvent::Event> after = afterEvent;
    if (!after)
        after = KEvent::MakeDummy();

    std::shared_ptr<MultiAnim> group = MultiAnim::Create();
    gDisplay = group;
    after->Then(group->GetStartEvent());

    // Track 1: the counter's first pass, then its hold.
    MultiAnim::Track* counterTrack = group->AddTrack();
    const TDrawParams origin = At(TVec2(0, 0));
    std::shared_ptr<SimpleAnim> firstPass =
        SimpleAnim::Create(TString("anim/money.xml"), origin, 0, TString(), false);
    firstPass->SetFps(kCounterFps);
    counterTrack->AppendAnim(firstPass);

    // Tracks 2 to 4 start when the first pass has ended.
    MultiAnim::Track* stepTrack = group->AddTrack();
    MultiAnim::Track* labelTrack = group->AddTrack();
    MultiAnim::Track* flareTrack = group->AddTrack();
    firstPass->GetEvent()->Then(stepTrack->GetStartEvent());
    stepTrack->GetStartEvent()->Then(labelTrack->GetStartEvent());
    labelTrack->GetStartEvent()->Then(flareTrack->GetStartEvent());

    std::shared_ptr<KEvent::Event> d1 = KEvent::MakeDummy();
    std::shared_ptr<KEvent::Event> d2 = KEvent::MakeDummy();
    std::shared_ptr<KEvent::Event> d3 = KEvent::MakeDummy();
    flareTrack->GetStartEvent()->Then(d1);
    flareTrack->GetStartEvent()->Then(d2);

    std::shared_ptr<SimpleAnim> holdPass =
        SimpleAnim::CreateLooping(TString("anim/money.xml"), origin, d3, TString(kCounterHoldList), false);
    holdPass->SetFps(kCounterFps);
    counterTrack->AppendAnim(holdPass);
    const std::shared_ptr<KEvent::Event> shown = holdPass->GetEvent();
    firstPass->GetEvent()->Then(shown);

    const int32_t first = honours ? 1 : 0;
    for (int32_t i = first; i < first + kLabelCount; ++i)
        labelTrack->AppendAnim(MakeLadderText(first, i, shown));

    // Each step waits for both pieces of the step below.
    std::shared_ptr<KEvent::Event> lastFade = d1, lastFlare = d2;
    for (int32_t k = 0; k < count; ++k) {
        std::shared_ptr<SimpleAnim> fade = MakeBlueFade(k);
        fade->SetFps(kStepFps);
        stepTrack->AppendAnim(fade);
        std::shared_ptr<StaticImageAnim> highlight = MakeLadderHighlight(k, shown);
        stepTrack->AppendAnim(highlight);
        std::shared_ptr<SimpleAnim> flare = MakeFlare(k);
        flare->SetFps(kStepFps);
        flareTrack->AppendAnim(flare);

        const std::shared_ptr<KEvent::Event> fadeEvent = fade->GetEvent();
        const std::shared_ptr<KEvent::Event> flareEvent = flare->GetEvent();
        lastFade->Then(fadeEvent);
        lastFlare->Then(fadeEvent);
        lastFade->Then(flareEvent);
        lastFlare->Then(flareEvent);
        fadeEvent->Then(highlight->GetEvent());
        lastFade = fadeEvent;
        lastFlare = flareEvent;
    }

    std::shared_ptr<KEvent::Event> wait = KEvent::MakeWaitTime(kHoldMs);
    lastFade->Then(wait);
    lastFlare->Then(wait);
    wait->Then(d3);
    if (hold)
        hold->Then(d3);

    group->ShowInWindow(out, parent);
    if (out)
        after->Then(out);
    return group->GetEvent();
}

std::shared_ptr<KEvent::Event> MakeMoneyAnim(std::shared_ptr<KEvent::Event>& out, int32_t count,
                                             const std::shared_ptr<KEvent::Event>& after,
                                             const std::shared_ptr<KEvent::Event>& hold)
{
    const bool honours = ShowController::Instance()->GetRecord().honours;
    return MakeMoneyAnim(out, count, after, hold, honours, gParent);
}

void SetMoneyDisplayParent(TWindow* parent)
{
    gParent = parent;
}

TWindow* GetMoneyDisplayParent()
{
    return gParent;
}

const std::shared_ptr<MultiAnim>& GetMoneyDisplay()
{
    return gDisplay;
}

void ReleaseMoneyDisplay()
{
    gDisplay.reset();
}

} // namespace KAnim
