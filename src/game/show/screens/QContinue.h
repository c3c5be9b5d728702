#pragma once
#include "ui/Liveness.h"
#include "ui/Window.h"

namespace KQuestion {

// The offer after the tenth board question: go on to the final question
// or drop out. Built by "scripts/Continue.lua" (buttons "Btn_continue" and
// "btn_DropOut", option texts "txt_opt0" and "txt_opt1" with their shadow
// copies). Making one binds the Lua function "TurnOffButtons" to it (a
// later window takes it over; once the window is gone the call does
// nothing). The continue button advances the show and closes the window;
// the drop-out is the script's to handle. Main thread only.
class QContinue : public TWindow {
public:
    static constexpr const char* kScript = "scripts/Continue.lua";

    QContinue();
    ~QContinue() override;

    // The option texts from the string table ("continue_continue",
    // "continue_dropout").
    void FillOptions();
    // Hides both buttons, so that neither is pressed twice.
    void TurnOffButtons();
    // "Btn_continue" (exactly) advances the show once and closes the
    // window. Never handled, so the script sees every click too.
    bool OnMessage(TMessage* message) override;

    const TLiveness& GetLiveness() const { return mLiveness; }

private:
    bool mContinued = false;
    TLiveness mLiveness;
};

} // namespace KQuestion
