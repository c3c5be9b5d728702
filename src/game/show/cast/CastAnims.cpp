#include "game/show/cast/CastAnims.h"

#include "game/show/MTRandom.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/event/CoreEvents.h"
#include "platform/Log.h"

namespace Quillory {

namespace {

// Classmates 0 to 4 take part in the group reactions.
constexpr int32_t kGroupSize = 5;
constexpr int32_t kGroupPriority = 1;
// A clap starts 20 to 79 ms after the group.
constexpr uint32_t kClapDelayMin = 20;
constexpr uint32_t kClapDelaySpread = 60;
// Idle1..Idle3, Talk1..Talk3; SitIdle1/2, StandIdle1/2.
constexpr uint32_t kHostVariants = 3;

uint32_t NextWord()
{
    return MTRandom::Instance()->NextWord();
}

// A think time as a wait: never negative.
uint32_t ThinkWait(const KChild& child)
{
    const int32_t think = child.GetThinkTime();
    if (think < 0) {
        WriteLog("Classmates: %s has a negative thinking time (%d ms); no wait used", child.GetName().c_str(), think);
        return 0;
    }
    return uint32_t(think);
}

std::shared_ptr<KEvent::Event> PlayHostPick(const char* format, int32_t priority)
{
    CVModel* host = KChildManager::Instance()->GetHost();
    if (!host)
        return KEvent::MakeDummy();
    return host->PlayAnim(StrFormat(format, NextWord() % kHostVariants + 1), priority);
}

// A classmate's part in a group: its animation and the wait before it; no
// animation when it takes no part.
struct GroupPart {
    std::shared_ptr<KEvent::Event> wait;
    std::shared_ptr<KEvent::Event> anim;
};

// first -> wait -> anim -> last for each classmate taking part; the wrapper
// stands for the whole group.
template <class PartOf>
std::shared_ptr<KEvent::Event> MakeGroup(PartOf partOf)
{
    std::shared_ptr<KEvent::Event> first = KEvent::MakeDummy();
    std::shared_ptr<KEvent::Event> last = KEvent::MakeDummy();
    KChildManager* cast = KChildManager::Instance();
    for (int32_t i = 0; i < kGroupSize; ++i) {
        KChild* child = cast->GetChild(i);
        if (!child)
            continue;
        const GroupPart part = partOf(*child);
        if (part.anim)
            first->Then(part.wait)->Then(part.anim)->Then(last);
    }
    return KEvent::MakeWrapper(first, last);
}

} // namespace

std::shared_ptr<KEvent::Event> PlayClassmateIdle(int32_t index, int32_t priority)
{
    KChild* child = KChildManager::Instance()->GetChild(index);
    if (!child)
        return KEvent::MakeDummy();
    const char* format = IsCurrentClassmate(child) ? "StandIdle%u" : "SitIdle%u";
    return child->PlayAnim(StrFormat(format, (NextWord() & 1u) + 1), priority);
}

std::shared_ptr<KEvent::Event> PlayHostIdle(int32_t priority)
{
    return PlayHostPick("Idle%u", priority);
}

std::shared_ptr<KEvent::Event> PlayHostTalk(int32_t priority)
{
    return PlayHostPick("Talk%u", priority);
}

std::shared_ptr<KEvent::Event> MakeClassmatesWrite()
{
    return MakeGroup([](KChild& child) {
        GroupPart part;
        if (IsCurrentClassmate(&child))
            return part;
        const uint32_t think = ThinkWait(child);
        part.anim = child.PlayAnim(TString("SitWrite"), kGroupPriority);
        part.wait = KEvent::MakeWaitTime(think);
        return part;
    });
}

std::shared_ptr<KEvent::Event> MakeClassmatesClap()
{
    return MakeGroup([](KChild& child) {
        GroupPart part;
        part.anim = child.PlayAnim(TString(IsCurrentClassmate(&child) ? "StandClap" : "SitClap"), kGroupPriority);
        part.wait = KEvent::MakeWaitTime(kClapDelayMin + NextWord() % kClapDelaySpread);
        return part;
    });
}

} // namespace Quillory
