#include "game/show/states/ShowStates.h"

#include "game/show/ShowController.h"
#include "game/show/states/StateSteps.h"
#include "game/show/states/StateSupport.h"
#include "game/show/screens/ChooseClassmate.h"
#include "game/show/screens/QContinue.h"
#include "game/show/screens/QuestionBoard.h"
#include "game/show/screens/QuestionReveal.h"
#include "game/show/screens/StudioScreens.h"
#include "game/show/event/WindowEvents.h"
#include "game/show/question/Question.h"
#include "game/stage/anim/FlunkDropAnim.h"

namespace KShow {

namespace {

TWindow* MakeClassmateWindow()
{
    return new Quillory::ChooseClassmate();
}

TWindow* MakeQuestionBoard()
{
    return new KQuestion::QuestionBoard();
}

std::shared_ptr<KEvent::Event> MakeRevealChain(KQuestion::QBase* question, std::shared_ptr<KEvent::Event>& reveal)
{
    return ::MakeQuestionRevealChain(*question, reveal);
}

void HideSkipButton()
{
    ::HideSkipVOButton();
}

TWindow* MakeContinueWindow()
{
    return new KQuestion::QContinue();
}

// The banner drops in at the top right and holds its last frame.
std::shared_ptr<KEvent::Event> MakeMoneyBanner(const TString& file, const TString& text)
{
    const TDrawParams params(TVec2(560, 40), 1.0f, 1.0f, 0);
    return Quillory::MakeFlunkDropAnim(file, text, params, TString("1-30,30[100]"))->GetEvent();
}

// The studio's own parts.
ShowStateParts StudioPartsOf()
{
    ShowStateParts parts;
    parts.makeClassmateWindow = &MakeClassmateWindow;
    parts.makeQuestionBoard = &MakeQuestionBoard;
    parts.makeRevealChain = &MakeRevealChain;
    parts.makeTextTransition = &MakeScreenTransition;
    parts.hideSkipVOButton = &HideSkipButton;
    parts.makeContinueWindow = &MakeContinueWindow;
    parts.makeMoneyBanner = &MakeMoneyBanner;
    return parts;
}

ShowStateParts gParts = StudioPartsOf();

} // namespace

void RegisterShowStates()
{
    ShowController::SetState(kShowStart, &ShowStart);
    ShowController::SetState(kIntroduction, &Introduction);
    ShowController::SetState(kChooseClassmate, &ChooseClassmate);
    ShowController::SetState(kQuestionBoard, &QuestionBoard);
    ShowController::SetState(kQuestion, &Question);
    ShowController::SetState(kPeekAnswer, &ClassmateAnswer);
    ShowController::SetState(kCopyAnswer, &ClassmateAnswer);
    ShowController::SetState(kAnswerGiven, &AnswerGiven);
    ShowController::SetState(kVerdict, &Verdict);
    ShowController::SetState(kRightAnswer, &RightAnswer);
    ShowController::SetState(kWrongAnswer, &WrongAnswer);
    ShowController::SetState(kExplanation, &Explanation);
    ShowController::SetState(kSaveHelp, &SaveHelp);
    ShowController::SetState(kNextQuestion, &NextQuestion);
    ShowController::SetState(kFinalOffer, &FinalOffer);
    ShowController::SetState(kFinalQuestion, &FinalQuestion);
    ShowController::SetState(kFinalVerdict, &FinalVerdict);
    ShowController::SetState(kFlunkOut, &FlunkOut);
    ShowController::SetState(kDropOut, &DropOut);
    ShowController::SetState(kWin, &Win);
    ShowController::SetState(kShowEnd, &ShowEnd);
}

void SetShowStateParts(const ShowStateParts& parts)
{
    gParts = parts;
}

ShowStateParts StudioStateParts()
{
    return StudioPartsOf();
}

const ShowStateParts& GetShowStateParts()
{
    return gParts;
}

} // namespace KShow
