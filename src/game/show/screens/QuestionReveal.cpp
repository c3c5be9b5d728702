#include "game/show/screens/QuestionReveal.h"

#include "game/show/event/CoreEvents.h"
#include "game/show/event/SoundEvents.h"
#include "game/show/event/WindowEvents.h"
#include "game/show/question/Question.h"
#include "game/show/screens/StudioScreens.h"
#include "game/stage/WRenderable.h"
#include "game/stage/anim/Trans3DAnim.h"

namespace {

constexpr uint32_t kTransitionDelay = 600;
constexpr uint32_t kSoundDelay = 400;
constexpr int32_t kSoundGroup = 1000;

} // namespace

std::shared_ptr<KEvent::eShowQuestion> MakeQuestionRevealChain(KQuestion::QBase& question,
                                                                std::shared_ptr<KEvent::Event>& reveal)
{
    question.used = true;
    TTextureRef picture;
    {
        std::unique_ptr<KScene::WRenderable> display = MakeQuestionDisplayWindow(question);
        picture = display->RenderToTexture();
    }
    std::shared_ptr<KAnim::Trans3D_Anim> transition = KAnim::Trans3D_Anim::Create(
        TString("anim/anim_trans_full.xml"), picture, TString("mainscreen_1"), TString("mainscreen_2"));
    reveal = transition->GetEvent();
    std::shared_ptr<KEvent::eShowQuestion> show = KEvent::MakeShowQuestion(&question);

    std::shared_ptr<KEvent::Event> sound = KEvent::MakePlaySound(TString("sfx/reveal_question.ogg"), kSoundGroup);
    KEvent::MakeWaitTime(kTransitionDelay)->Then(reveal)->Then(show);
    KEvent::MakeWaitTime(kSoundDelay)->Then(sound);
    return show;
}
