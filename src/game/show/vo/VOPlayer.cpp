#include "game/show/vo/VOPlayer.h"

#include <algorithm>

#include "game/show/GameSettings.h"
#include "game/show/cast/CastAnims.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/SoundEvents.h"
#include "game/show/event/WindowEvents.h"
#include "game/show/vo/KVOElem.h"
#include "game/show/vo/SubTitle.h"
#include "game/show/vo/VOIds.h"

namespace KVO {

namespace {
VOPlayer* gInstance = nullptr;

bool IsRunning(const std::shared_ptr<KEvent::Event>& event)
{
    return event && !event->IsFinished();
}
} // namespace

VOPlayer* VOPlayer::Instance()
{
    if (!gInstance)
        gInstance = new VOPlayer();
    return gInstance;
}

VOPlayer* VOPlayer::Existing()
{
    return gInstance;
}

void VOPlayer::Destroy()
{
    if (!gInstance)
        return;
    // Lines left running would keep subtitle windows nobody closes.
    gInstance->SkipAll();
    delete gInstance;
    gInstance = nullptr;
}

VOPlayer::VOPlayer()
{
    KScene::SetSubtitleHost(this);
}

VOPlayer::~VOPlayer()
{
    if (KScene::GetSubtitleHost() == this)
        KScene::SetSubtitleHost(nullptr);
}

void VOPlayer::SetSubtitleParent(TWindow* parent)
{
    // The windows of running lines are children of the old parent (or
    // about to be): end them before that parent can go.
    if (mParent && parent != mParent)
        SkipAll();
    mParent = parent;
}

std::shared_ptr<KEvent::Event> VOPlayer::PlayElem(const std::shared_ptr<KVOElem>& row)
{
    if (!mParent || !row)
        return KEvent::MakeDummy();
    const GameSettings* settings = GameSettings::Instance();
    mUseSubtitles = settings && settings->GetUserInt("useSubtitles", 0) == 1;

    std::shared_ptr<KEvent::Event> line =
        (mUseSubtitles && row->PageCount() >= 1) ? MakeSubtitledLine(*row) : MakePlainLine(*row);
    mCurrent = line;
    mEvents.erase(std::remove_if(mEvents.begin(), mEvents.end(),
                                 [](const std::shared_ptr<KEvent::Event>& event) { return event->IsFinished(); }),
                  mEvents.end());
    mEvents.push_back(line);
    return line;
}

void VOPlayer::AfterCurrent(const std::shared_ptr<KEvent::Event>& first) const
{
    if (IsRunning(mCurrent))
        mCurrent->Then(first);
}

std::shared_ptr<KEvent::Event> VOPlayer::MakePlainLine(const KVOElem& row)
{
    std::shared_ptr<KEvent::Event> sound = KEvent::MakePlaySound(row.AudioFile, kVoiceGroup);
    AfterCurrent(sound);
    std::shared_ptr<KEvent::Event> start = KEvent::MakeDummy();
    start->Then(sound);
    if (row.Actor != Id::kHostActor)
        return sound;
    // The host starts talking at once, even while the line waits its turn.
    start->Then(Quillory::PlayHostTalk(kTalkPriority));
    return KEvent::MakeWrapper(start, sound);
}

std::shared_ptr<KEvent::Event> VOPlayer::MakeSubtitledLine(const KVOElem& row)
{
    std::shared_ptr<KEvent::Event> sound = KEvent::MakePlaySound(row.AudioFile, kVoiceGroup);
    std::shared_ptr<KEvent::Event> start = KEvent::MakeDummy();
    std::shared_ptr<KEvent::Event> end = KEvent::MakeDummy();

    // Page i is up from the end of page i - 1 to its own end, counted from
    // the line's start; an end time before the one already reached waits
    // nothing.
    std::shared_ptr<KEvent::Event> tail = start;
    int32_t previous = 0;
    const int32_t pages = row.PageCount();
    for (int32_t i = 0; i < pages; ++i) {
        TString text;
        int32_t endTime = 0;
        row.GetPage(i, text, endTime);
        auto* window = new SubTitle(text, row.FontSize, row.Color);
        std::shared_ptr<KEvent::Event> show = KEvent::MakeShowWindow(mParent, window);
        std::shared_ptr<KEvent::Event> wait =
            KEvent::MakeWaitTime(uint32_t(std::max<int64_t>(0, int64_t(endTime) - previous)));
        std::shared_ptr<KEvent::Event> close = KEvent::MakeCloseWindow(window);
        tail->Then(show)->Then(wait)->Then(close);
        tail = close;
        previous = std::max(previous, endTime);
    }

    start->Then(sound);
    sound->Then(end);
    tail->Then(end);
    AfterCurrent(start);
    if (row.Actor == Id::kHostActor)
        start->Then(Quillory::PlayHostTalk(kTalkPriority));
    return KEvent::MakeWrapper(start, end);
}

void VOPlayer::SkipAll()
{
    // A copy: a skip may reach back into the player.
    const std::vector<std::shared_ptr<KEvent::Event>> events = std::move(mEvents);
    mEvents.clear();
    for (const std::shared_ptr<KEvent::Event>& event : events)
        if (!event->IsFinished())
            event->Skip();
}

} // namespace KVO
