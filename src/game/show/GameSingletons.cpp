#include "game/show/GameSingletons.h"

#include "game/show/GameSettings.h"
#include "game/show/MTRandom.h"
#include "game/show/ShowController.h"
#include "game/show/cast/IdleAnimController.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/event/EventManager.h"
#include "game/show/question/QuestionDB.h"
#include "game/show/vo/VOPlayer.h"
#include "game/show/vo/VOTable.h"
#include "game/stage/anim/AnimManager.h"
#include "game/stage/anim/FlunkDropAnim.h"
#include "game/stage/anim/MoneyAnim.h"
#include "game/stage/camera/CameraAnimator.h"
#include "game/stage/effects/LensFlare.h"
#include "game/stage/scene/MaterialTable.h"
#include "game/stage/scene/SceneSet.h"

namespace {

// The animations the show keeps between its steps go before the manager
// that runs them.
void DestroyAnimations()
{
    KAnim::ReleaseMoneyDisplay();
    Quillory::ReleaseFlunkDropAnim();
    KAnim::AnimManager::Destroy();
}

} // namespace

const std::vector<TGameSingleton>& GameSingletons()
{
    // Their places in the full order: the show controller, the animation
    // manager, the idle animations, the question database, the voice-over
    // player and table, the event manager, the lens flare, the scene set,
    // the material table, the camera animator, the scene-load holder, the
    // random source, the classmates, the game settings.
    static const std::vector<TGameSingleton> table = {
        {"ShowController", &ShowController::Destroy},
        {"AnimManager", &DestroyAnimations},
        {"IdleAnimController", &Quillory::IdleAnimController::Destroy},
        {"QuestionDB", &KQuestion::QuestionDB::Destroy},
        {"VOPlayer", &KVO::VOPlayer::Destroy},
        {"VOTable", &KVO::VOTable::Destroy},
        {"EventManager", &KEvent::EventManager::Destroy},
        {"LensFlare", &KScene::LensFlare::Destroy},
        {"KSceneSet", &KScene::KSceneSet::Destroy},
        {"MaterialTable", &KScene::MaterialTable::Destroy},
        {"CameraAnimator", &KScene::CameraAnimator::Destroy},
        {"MTRandom", &MTRandom::Destroy},
        {"KChildManager", &Quillory::KChildManager::Destroy},
        {"GameSettings", &GameSettings::Destroy},
    };
    return table;
}

void DestroyGameSingletons()
{
    for (const TGameSingleton& singleton : GameSingletons())
        singleton.destroy();
}
