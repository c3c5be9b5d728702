#include "game/show/states/StateSupport.h"

#include <string>

#include "app/Application.h"
#include "game/show/QuestionTimer.h"
#include "game/show/ShowController.h"
#include "game/show/cast/KChild.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/question/Question.h"
#include "game/show/screens/QShow.h"
#include "game/show/states/ShowStates.h"
#include "game/show/vo/KVOElem.h"
#include "game/show/vo/VOPlayer.h"
#include "game/show/vo/VOTable.h"
#include "game/stage/StageWindow.h"
#include "game/stage/anim/Trans3DAnim.h"
#include "platform/Log.h"
#include "platform/StringTable.h"
#include "ui/ModalWindow.h"
#include "ui/WindowManager.h"

namespace KShow {

std::shared_ptr<KEvent::Event> CurrentVoiceOver()
{
    if (KVO::VOPlayer* player = KVO::VOPlayer::Existing()) {
        const std::shared_ptr<KEvent::Event>& current = player->GetCurrent();
        if (current && !current->IsFinished())
            return current;
    }
    return KEvent::MakeDummy();
}

std::shared_ptr<KEvent::Event> PlayVORow(int32_t id)
{
    KVO::VOTable* table = KVO::VOTable::Existing();
    std::shared_ptr<KVO::KVOElem> row = table ? table->FindById(id) : nullptr;
    if (!row) {
        WriteLog("Show: no voice-over row %d", int(id));
        return KEvent::MakeDummy();
    }
    return row->MakePlayEvent();
}

TString LabelText(const char* label, const TString& first, const TString& second)
{
    TString text("#####");
    TApplication* application = TApplication::Instance();
    if (TStringTable* table = application ? application->GetStringTable() : nullptr)
        table->GetString(text, TString(label), first, second);
    else
        WriteLog("Show: no string table for \"%s\"", label);
    return text;
}

std::shared_ptr<KEvent::Event> MakeScreenTransition(const TString& text)
{
    TTextureRef picture;
    {
        KQuestion::QShow display(text);
        picture = display.RenderToTexture();
    }
    std::shared_ptr<KAnim::Trans3D_Anim> transition = KAnim::Trans3D_Anim::Create(
        TString("anim/anim_trans_full.xml"), picture, TString("mainscreen_1"), TString("mainscreen_2"));
    return transition->GetEvent();
}

std::shared_ptr<KEvent::Event> TextTransition(const TString& text)
{
    if (auto make = GetShowStateParts().makeTextTransition) {
        if (std::shared_ptr<KEvent::Event> transition = make(text))
            return transition;
    } else {
        WriteLog("Show: no screen transition for texts");
    }
    return KEvent::MakeDummy();
}

void HideSkipVOButton()
{
    if (auto hide = GetShowStateParts().hideSkipVOButton)
        hide();
}

bool ClassmateAnswerText(ShowController& show, TString& text)
{
    GameRecord& record = show.GetRecord();
    Quillory::KChild* classmate = record.currentClassmate;
    if (!classmate || !record.currentQuestion) {
        WriteLog("Show: a classmate's answer without a classmate or question");
        text = TString();
        return false;
    }
    TString answer;
    const bool right = classmate->GetAnswer(record.currentQuestion, answer);
    text = LabelText("questionReveal", classmate->GetName(), answer);
    return right;
}

TWindow* WindowParent(ShowController& show)
{
    if (KDemo* stage = show.GetStage())
        return stage;
    TWindowManager* windows = GetWindowManager();
    if (TModalWindow* top = windows ? windows->GetTopModal() : nullptr)
        return top;
    WriteLog("Show: no stage or screen to show a window on");
    return nullptr;
}

TWindow* PlaceableWindow(ShowController& show, TWindow* window)
{
    if (window && !WindowParent(show)) {
        delete window;
        return nullptr;
    }
    return window;
}

void StopQuestionTimer(ShowController& show)
{
    if (const std::shared_ptr<Quillory::QuestionTimer>& timer = show.GetQuestionTimer())
        timer->Stop();
}

std::shared_ptr<KEvent::Event> QuestionEvents(GameRecord& record, std::shared_ptr<KEvent::Event>& reveal)
{
    std::shared_ptr<KEvent::Event> question;
    auto make = GetShowStateParts().makeRevealChain;
    if (!record.currentQuestion)
        WriteLog("Show: the question state without a question");
    else if (!make)
        WriteLog("Show: no question reveal chain");
    else
        question = make(record.currentQuestion, reveal);
    if (!question)
        question = KEvent::MakeDummy();
    if (!reveal)
        reveal = KEvent::MakeDummy();
    return question;
}

bool ShowIsRunning(ShowController& show, const char* step)
{
    if (show.IsRunning())
        return true;
    WriteLog("Show: %s without a running show is ignored", step);
    show.GetRecord().state = kShowStart;
    return false;
}

TString DollarText(int32_t amount)
{
    if (amount < 0) {
        WriteLog("Show: a negative amount (%d) is shown as $0", int(amount));
        amount = 0;
    }
    std::string text = "$" + std::to_string(amount);
    // Commas from the right, never straight after the dollar sign.
    for (int64_t at = int64_t(text.size()) - 3; at > 1; at -= 3)
        text.insert(size_t(at), ",");
    return TString(text.c_str());
}

} // namespace KShow
