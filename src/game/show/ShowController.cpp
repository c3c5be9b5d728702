#include "game/show/ShowController.h"

#include "game/show/QuestionTimer.h"
#include "game/show/event/EventManager.h"
#include "game/show/event/ShowEvents.h"
#include "game/show/event/SoundEvents.h"
#include "game/show/question/Question.h"
#include "game/show/screens/QShow.h"
#include "game/show/screens/StudioScreens.h"
#include "game/show/vo/VOPlayer.h"
#include "game/stage/StageWindow.h"
#include "game/stage/scene/SceneSet.h"
#include "platform/Log.h"
#include "render/Texture.h"
#include "ui/LuaBinding.h"
#include "ui/ModalWindow.h"
#include "ui/Window.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

namespace {

ShowController* gInstance = nullptr;
std::array<ShowController::State, ShowController::kStateCount> gStates{};
StudioPodiumLights gPodiumLights;

const KQuestion::QBase* BoardAt(const GameRecord& record, int32_t position)
{
    if (position < 1 || size_t(position) > record.board.size())
        return nullptr;
    return record.board[size_t(position - 1)];
}

// The window's picture on both main screens; the window becomes the screen
// window (the one before goes).
void PutOnMainScreens(ShowController& show, std::unique_ptr<KScene::WRenderable> window)
{
    show.SetMainScreensTexture(window->RenderToTexture());
    show.SetScreenWindow(window.release());
}

} // namespace

ShowController* ShowController::Instance()
{
    if (!gInstance)
        gInstance = new ShowController();
    return gInstance;
}

ShowController* ShowController::Existing()
{
    return gInstance;
}

void ShowController::Destroy()
{
    delete gInstance;
    gInstance = nullptr;
}

ShowController::ShowController()
{
    if (TWindowScript* script = GetWindowScript())
        RegisterLua(script->GetState());
    else
        WriteLog("ShowController: no window script; the show's Lua functions are not published");
    KEvent::EventManager::Instance();
    KEvent::SetShowLink(this);
    KEvent::SetPodiumLights(&gPodiumLights);
}

ShowController::~ShowController()
{
    if (KEvent::GetShowLink() == this)
        KEvent::SetShowLink(nullptr);
    if (KEvent::GetPodiumLights() == &gPodiumLights)
        KEvent::SetPodiumLights(nullptr);
    SetScreenWindow(nullptr);
    mUnshown.clear();
    mCurrentMusic.reset();
    mRecord.board.clear();
    mQuestionTimer.reset();
}

void ShowController::RegisterLua(lua_State* L)
{
    if (!L)
        return;
    using C = ShowController;
    LuaBind<&C::AdvanceNextFrame>(L, "AdvanceNextFrame", this);
    LuaBind<&C::ExitNextFrame>(L, "ExitNextFrame", this);
    LuaBind<&C::DropOut>(L, "DropOut", this);
    LuaBind<&C::SkipVO>(L, "SkipVO", this);
    LuaBind<&C::DealQuestions>(L, "DealQuestions", this);
    LuaBind<&C::GetBoardQuestion>(L, "GetBoardQuestion", this);
    LuaBind<&C::GetBoardLabel>(L, "GetBoardLabel", this);
}

TString ShowController::GetBoardQuestion(int32_t position) const
{
    const KQuestion::QBase* question = BoardAt(mRecord, position);
    return question ? question->question : TString();
}

TString ShowController::GetBoardLabel(int32_t position) const
{
    TString label;
    if (const KQuestion::QBase* question = BoardAt(mRecord, position))
        question->GetLabel(label);
    return label;
}

void ShowController::SetState(int32_t state, State step)
{
    if (state >= 0 && state < kStateCount)
        gStates[size_t(state)] = step;
}

void ShowController::SetScreenWindow(TWindow* window)
{
    if (window == mScreenWindow)
        return;
    delete mScreenWindow;
    mScreenWindow = window;
}

void ShowController::SetMainScreensTexture(const TTextureRef& texture)
{
    KScene::KSceneSet* scene = KScene::KSceneSet::Get();
    scene->SetElementTexture(TString("mainscreen_1"), texture);
    scene->SetElementTexture(TString("mainscreen_2"), texture);
}

void ShowController::ClearMainScreens()
{
    SetMainScreensTexture(TTexture::Get(TString("backgrounds/blackboard_clear"), 0));
    SetScreenWindow(nullptr);
}

void ShowController::AdvanceNextFrame()
{
    KEvent::MakeAdvanceScript();
}

void ShowController::ExitNextFrame()
{
    mRecord.state = kEndState;
    AdvanceNextFrame();
}

void ShowController::DropOut()
{
    mRecord.state = kDropOutState;
    ShowChalkboardText(TString());
    if (TWindow* question = mStage ? mStage->GetQuestionWindow() : nullptr)
        question->SetFlags(0);
    SkipVO();
    AdvanceNextFrame();
}

void ShowController::SkipVO()
{
    if (KVO::VOPlayer* player = KVO::VOPlayer::Existing())
        player->SkipAll();
    KEvent::MakeStopMusic();
}

void ShowController::ShowStep()
{
    const int32_t state = mRecord.state;
    mRecord.previousState = state;
    if (state < 0 || state >= kStateCount) {
        WriteLog("ShowController: no show state %d", state);
        return;
    }
    // One line a step: a player's log tells how far the show went.
    WriteLog("Show: state %d", state);
    if (State step = gStates[size_t(state)])
        step(*this);
}

void ShowController::ShowQuestionOnMainScreens(KEvent::QuestionView* question)
{
    if (!question)
        return;
    if (auto* record = dynamic_cast<KQuestion::QBase*>(question))
        PutOnMainScreens(*this, MakeQuestionDisplayWindow(*record));
    else
        PutOnMainScreens(*this, std::make_unique<KQuestion::QShow>(question->GetQuestionText()));
}

void ShowController::ShowCurrentQuestionOnMainScreens()
{
    if (mRecord.currentQuestion)
        ShowQuestionOnMainScreens(mRecord.currentQuestion);
    else
        WriteLog("ShowController: no current question to show on the screens");
}

void ShowController::ShowChalkboardText(const TString& text)
{
    if (text.IsEmpty()) {
        SetMainScreensTexture(TTexture::Get(TString("backgrounds/chalkboard_sm"), 0));
        SetScreenWindow(nullptr);
        return;
    }
    PutOnMainScreens(*this, std::make_unique<KQuestion::QShow>(text));
}

void ShowController::ShowQuestionWindow(TWindow* window)
{
    if (!window)
        return;
    if (mStage) {
        mStage->ShowQuestionWindow(window);
        return;
    }
    // Without a stage, the top screen holds question windows.
    TWindowManager* windows = GetWindowManager();
    TModalWindow* top = windows ? windows->GetTopModal() : nullptr;
    if (top && top->AddChild(window, true))
        return;
    WriteLog("ShowController: no screen to show a question window on");
    mUnshown.emplace_back(window);
}
