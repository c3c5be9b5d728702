#include "game/show/answer/QWVO.h"

#include "game/show/event/Event.h"
#include "game/show/event/WindowEvents.h"
#include "game/show/question/Question.h"
#include "game/show/vo/KVOElem.h"
#include "game/show/vo/VOTable.h"
#include "platform/Log.h"

namespace KQuestion {

QWVO::QWVO() = default;

QWVO::QWVO(QVoiceOver& question) : QWMult(question)
{
    RunScript("scripts/QWVO.lua");
}

QWVO::~QWVO()
{
    mVoiceOver.reset();
}

TWindow* QWVO::GetCreator()
{
    return new QWVO();
}

bool QWVO::OnMessage(TMessage* message)
{
    if (message && ((message->GetType() == kMsgButtonPress && message->GetName() == "btn_replayVO") ||
                    message->GetType() == KEvent::kMsgShowingWindow)) {
        PlayVoiceOver();
        return true;
    }
    return QWMult::OnMessage(message);
}

void QWVO::PlayVoiceOver()
{
    QBase* question = GetQuestion();
    if (!question)
        return;
    if (mVoiceOver && !mVoiceOver->IsFinished())
        mVoiceOver->Skip();
    const int32_t id = question->vo.ToInt();
    KVO::VOTable* table = KVO::VOTable::Existing();
    std::shared_ptr<KVO::KVOElem> row = table ? table->FindById(id) : nullptr;
    if (!row) {
        WriteLog("Question %d: no voice-over row %d", question->number, id);
        mVoiceOver.reset();
        return;
    }
    mVoiceOver = row->MakePlayEvent();
}

} // namespace KQuestion
