#include "game/show/event/ShowLinks.h"

namespace KEvent {

namespace {

ShowLink* gShow = nullptr;
CastLink* gCast = nullptr;
PodiumLights* gPodium = nullptr;

ConfettiFactory& Confetti()
{
    static ConfettiFactory factory;
    return factory;
}

} // namespace

void SetShowLink(ShowLink* link)
{
    gShow = link;
}

ShowLink* GetShowLink()
{
    return gShow;
}

void SetCastLink(CastLink* link)
{
    gCast = link;
}

CastLink* GetCastLink()
{
    return gCast;
}

void SetPodiumLights(PodiumLights* lights)
{
    gPodium = lights;
}

PodiumLights* GetPodiumLights()
{
    return gPodium;
}

void SetConfettiFactory(ConfettiFactory factory)
{
    Confetti() = std::move(factory);
}

const ConfettiFactory& GetConfettiFactory()
{
    return Confetti();
}

} // namespace KEvent
