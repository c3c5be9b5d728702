#include "game/show/GameSingletons.h"

#include "game/show/GameSettings.h"
#include "game/show/MTRandom.h"
#include "game/show/event/EventManager.h"

const std::vector<TGameSingleton>& GameSingletons()
{
    // Their places in the full order: the show controller, the animation
    // manager, the idle animations, the question database, the voice-over
    // player and table, the event manager, the lens flare, the scene set,
    // the material table, the camera animator, the scene-load holder, the
    // random source, the classmates, the game settings.
    static const std::vector<TGameSingleton> table = {
        {"EventManager", &KEvent::EventManager::Destroy},
        {"MTRandom", &MTRandom::Destroy},
        {"GameSettings", &GameSettings::Destroy},
    };
    return table;
}

void DestroyGameSingletons()
{
    for (const TGameSingleton& singleton : GameSingletons())
        singleton.destroy();
}
