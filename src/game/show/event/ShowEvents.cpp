#include "game/show/event/ShowEvents.h"

#include "game/show/event/ShowLinks.h"
#include "platform/Log.h"

namespace KEvent {

eAdvanceScript::eAdvanceScript()
{
    SetName("Advance Script");
}

void eAdvanceScript::Start()
{
    Event::Start();
    if (ShowLink* show = GetShowLink())
        show->ShowStep();
    else
        WriteLog("Advance Script: no show running");
    Finish();
}

std::shared_ptr<eAdvanceScript> MakeAdvanceScript()
{
    return Create<eAdvanceScript>();
}

eUpdateMainScreens::eUpdateMainScreens(const TString& text) : mText(text)
{
    SetName("e Update Mainscreens");
}

eUpdateMainScreens::eUpdateMainScreens(QuestionView* question) : mQuestion(question)
{
    SetName("e Update Mainscreens");
}

void eUpdateMainScreens::Start()
{
    if (ShowLink* show = GetShowLink()) {
        if (mQuestion)
            show->ShowQuestionOnMainScreens(mQuestion);
        else
            show->ShowChalkboardText(mText);
    }
    Event::Start();
    Finish();
}

std::shared_ptr<eUpdateMainScreens> MakeUpdateMainScreens(const TString& text)
{
    return Create<eUpdateMainScreens>(text);
}

std::shared_ptr<eUpdateMainScreens> MakeUpdateMainScreens(QuestionView* question)
{
    return Create<eUpdateMainScreens>(question);
}

eResetModelPos::eResetModelPos()
{
    SetName("eResetModelPositions");
}

void eResetModelPos::Start()
{
    if (CastLink* cast = GetCastLink()) {
        // The chains these return run by themselves.
        cast->PlayKidsAnim(-1, "Stand");
        for (int32_t i = 0; i < 5; ++i)
            cast->PlayKidsAnim(i, "Sit");
        const int32_t played = cast->CountPlayed();
        const int32_t position = played >= 2 && played <= 9 ? int32_t(cast->NextRandomWord() % 3) + 1 : 1;
        cast->SetHostPosition(position);
        cast->PlayHostStand();
    }
    Event::Start();
    Finish();
}

std::shared_ptr<eResetModelPos> MakeResetModelPos()
{
    return Create<eResetModelPos>();
}

} // namespace KEvent
