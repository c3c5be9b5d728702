#include "game/show/screens/QContinue.h"

#include "game/show/ShowController.h"
#include "game/show/screens/ScreenChildren.h"
#include "platform/Log.h"
#include "ui/LuaBinding.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

namespace KQuestion {

QContinue::QContinue()
{
    TWindowScript* script = GetWindowScript();
    if (lua_State* L = script ? script->GetState() : nullptr)
        LuaBind<&QContinue::TurnOffButtons>(L, "TurnOffButtons", this);
    else
        WriteLog("QContinue: no window script; TurnOffButtons is not bound");
    MoveTo(0, 0);
    SetSize(800, 600);
    TWindowManager* manager = GetWindowManager();
    if (!manager || !manager->RunWindowScript(this, TString(kScript)))
        WriteLog("QContinue: %s did not run; the offer has no buttons", kScript);
    FillOptions();
}

QContinue::~QContinue() = default;

void QContinue::FillOptions()
{
    ShowScreens::SetShadowText(*this, "txt_opt0", ShowScreens::LookupLabel("continue_continue"));
    ShowScreens::SetShadowText(*this, "txt_opt1", ShowScreens::LookupLabel("continue_dropout"));
}

void QContinue::TurnOffButtons()
{
    ShowScreens::HideChild(*this, "Btn_continue");
    ShowScreens::HideChild(*this, "btn_DropOut");
}

bool QContinue::OnMessage(TMessage* message)
{
    if (!message || message->GetType() != kMsgButtonPress || !(message->GetName() == "Btn_continue"))
        return false;
    // A click already on its way when the window closed must not move the
    // show on a second time.
    if (mContinued)
        return false;
    mContinued = true;
    if (ShowController* show = ShowController::Existing())
        show->AdvanceNextFrame();
    else
        WriteLog("QContinue: no show to continue");
    ShowScreens::CloseSelf(*this);
    return false;
}

} // namespace KQuestion
