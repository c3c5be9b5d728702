#include "game/show/screens/QuestionBoard.h"

#include "game/show/GameRecord.h"
#include "game/show/ShowController.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/WindowEvents.h"
#include "game/show/question/Question.h"
#include "game/show/screens/ScreenChildren.h"
#include "game/show/vo/VOPlayer.h"
#include "platform/Log.h"
#include "render/Texture.h"
#include "ui/Button.h"
#include "ui/WindowManager.h"

namespace KQuestion {

namespace {

constexpr float kPlayedGrey = 0.45f;

TString ButtonName(int32_t slot)
{
    return StrFormat("btn_q%d", slot);
}

TString LabelName(int32_t slot)
{
    return StrFormat("txt_q%d", slot);
}

// The board's close: once the board is gone by other means, it closes
// nothing.
class eCloseBoard : public KEvent::eCloseWindow {
public:
    eCloseBoard(TWindow* board, std::weak_ptr<const void> alive) : eCloseWindow(board), mAlive(std::move(alive)) {}

    void Start() override
    {
        if (!mAlive.expired()) {
            eCloseWindow::Start();
            return;
        }
        Event::Start();
        Finish();
    }

private:
    std::weak_ptr<const void> mAlive;
};

const std::vector<QBase*>* Board()
{
    ShowController* show = ShowController::Existing();
    return show ? &show->GetRecord().board : nullptr;
}

// The slot from a button name "btn_q0".."btn_q9", else -1.
int32_t SlotOf(const TString& name)
{
    const char* text = name.c_str();
    if (name.Length() != 6 || TString(text, 5) != "btn_q" || text[5] < '0' || text[5] > '9')
        return -1;
    return text[5] - '0';
}

} // namespace

QuestionBoard::QuestionBoard()
{
    MoveTo(0, 0);
    SetSize(800, 600);
    TWindowManager* manager = GetWindowManager();
    if (!manager || !manager->RunWindowScript(this, TString(kScript)))
        WriteLog("QuestionBoard: %s did not run; the board has no buttons", kScript);
    Refresh();
}

QuestionBoard::~QuestionBoard() = default;

void QuestionBoard::Refresh()
{
    const std::vector<QBase*>* board = Board();
    if (!board)
        return;
    for (int32_t slot = 0; slot < kSlots && size_t(slot) < board->size(); ++slot) {
        const QBase* question = (*board)[size_t(slot)];
        if (!question)
            continue;
        TString label;
        question->GetLabel(label);
        ShowScreens::SetShadowText(*this, LabelName(slot), label);
        if (question->used)
            GreySlot(slot);
    }
}

bool QuestionBoard::OnMessage(TMessage* message)
{
    if (!message || message->GetType() != kMsgButtonPress)
        return false;
    const int32_t slot = SlotOf(message->GetName());
    if (slot < 0)
        return false;
    PickQuestion(slot);
    return true;
}

void QuestionBoard::PickQuestion(int32_t slot)
{
    const KVO::VOPlayer* player = KVO::VOPlayer::Existing();
    PickQuestion(slot, player ? player->GetCurrent() : nullptr);
}

void QuestionBoard::PickQuestion(int32_t slot, const std::shared_ptr<KEvent::Event>& after)
{
    if (mPicked)
        return;
    const std::vector<QBase*>* board = Board();
    if (slot < 0 || slot >= kSlots || !board || size_t(slot) >= board->size() || !(*board)[size_t(slot)]) {
        WriteLog("QuestionBoard: slot %d has no question; the pick is ignored", slot);
        return;
    }
    mPicked = true;
    ShowController::Existing()->GetRecord().currentQuestion = (*board)[size_t(slot)];

    // A finished line is no longer held by the event manager: waiting on it
    // would start it again.
    std::shared_ptr<KEvent::Event> wait = after;
    if (!wait || wait->IsFinished())
        wait = KEvent::MakeDummy();
    wait->Then(KEvent::Create<eCloseBoard>(this, mLiveness.Watch()));

    GreySlot(slot);
    StopClicks(slot);
}

void QuestionBoard::GreySlot(int32_t slot)
{
    ShowScreens::HideChild(*this, ButtonName(slot));
    ShowScreens::SetTextColor(*this, LabelName(slot), kPlayedGrey, kPlayedGrey, kPlayedGrey, 1.0f);
}

void QuestionBoard::StopClicks(int32_t picked)
{
    for (int32_t slot = 0; slot < kSlots; ++slot) {
        if (slot == picked)
            continue;
        TButton* button = TWindow::Cast<TButton>(FindChild(ButtonName(slot)));
        if (!button)
            continue;
        // A blank mask leaves no pixel of the button to hit.
        TTextureRef blank = TTexture::CreateRenderTarget(1, 1, true);
        if (blank && blank->Clear())
            button->SetMaskImage(blank);
    }
}

} // namespace KQuestion
