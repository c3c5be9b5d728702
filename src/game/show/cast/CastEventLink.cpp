#include "game/show/cast/CastEventLink.h"

#include "game/show/MTRandom.h"
#include "game/show/ShowController.h"
#include "game/show/ShowSequences.h"
#include "game/show/cast/KChildManager.h"
#include "platform/Log.h"

namespace Quillory {

namespace {

constexpr int32_t kReplacePriority = 1;

} // namespace

std::shared_ptr<KEvent::Event> CastEventLink::PlayKidsAnim(int32_t who, const char* animation)
{
    return ::PlayKidsAnim(who, animation);
}

int32_t CastEventLink::CountPlayed()
{
    ShowController* show = ShowController::Existing();
    return show ? show->GetRecord().CountPlayed() : 0;
}

uint32_t CastEventLink::NextRandomWord()
{
    return MTRandom::Instance()->NextWord();
}

void CastEventLink::SetHostPosition(int32_t position)
{
    if (position < 1) {
        WriteLog("Host: no mark %d; the host stays", position);
        return;
    }
    KChildManager::Instance()->GetHost()->SetPosition(uint32_t(position));
}

void CastEventLink::PlayHostStand()
{
    KChildManager::Instance()->GetHost()->PlayAnim(TString("Stand"), kReplacePriority);
}

} // namespace Quillory
