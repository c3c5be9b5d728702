#include "game/show/answer/QWindow.h"

#include "app/Application.h"
#include "game/show/ShowController.h"
#include "game/show/ShowSequences.h"
#include "game/show/cast/KChild.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/ShowEvents.h"
#include "game/show/event/ShowLinks.h"
#include "game/show/event/SoundEvents.h"
#include "game/show/event/WindowEvents.h"
#include "game/show/question/Question.h"
#include "game/show/vo/VOBuilders.h"
#include "game/stage/StageWindow.h"
#include "platform/Log.h"
#include "platform/StringTable.h"
#include "platform/Vector.h"
#include "ui/LuaBinding.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

namespace KQuestion {

namespace {

constexpr int32_t kEffectsGroup = 1000;
constexpr uint32_t kPeekRevealMs = 5000;
constexpr uint32_t kCopyCloseDelayMs = 1000;
// The show step that answers with the classmate's answer.
constexpr int32_t kCopyAnswerState = 6;

GameRecord* Record()
{
    ShowController* show = ShowController::Existing();
    return show ? &show->GetRecord() : nullptr;
}

// Puts the show's current question back on the studio screens.
class eShowCurrentQuestion : public KEvent::Event {
public:
    eShowCurrentQuestion() { SetName("e Update Mainscreens"); }
    void Start() override
    {
        if (KEvent::ShowLink* show = KEvent::GetShowLink())
            show->ShowCurrentQuestionOnMainScreens();
        Event::Start();
        Finish();
    }
};

// Closes an answer window if it is still there when its turn comes (a
// script may have closed it first).
class eCloseAnswerWindow : public KEvent::Event {
public:
    explicit eCloseAnswerWindow(QWindow* window) : mWindow(window), mAlive(window->GetLiveness().Watch())
    {
        SetName("eCloseWindow");
    }
    void Start() override
    {
        Close();
        Event::Start();
        Finish();
    }
    void Skip() override
    {
        Close();
        Event::Skip();
    }

private:
    void Close()
    {
        if (!mAlive.expired())
            mWindow->Close();
        mAlive.reset();
    }
    QWindow* mWindow;
    std::weak_ptr<const void> mAlive;
};

TString RevealText(const TString& name, const TString& answer)
{
    TString text("#####");
    TApplication* application = TApplication::Instance();
    if (TStringTable* table = application ? application->GetStringTable() : nullptr)
        table->GetString(text, TString("questionReveal"), name, answer);
    else
        WriteLog("Answer window: no string table for \"questionReveal\"");
    return text;
}

} // namespace

QWindow::QWindow(bool build)
{
    if (!build)
        return;
    if (TWindowScript* script = GetWindowScript())
        LuaBind<&QWindow::Close>(script->GetState(), "Close", this);
    RunScript("scripts/QWindow.lua");

    GameRecord* record = Record();
    const int32_t save = record ? record->saveCount : 0;
    const int32_t copy = record ? record->copyCount : 0;
    const int32_t peek = record ? record->peekCount : 0;
    ShowChild(save > 0 ? "img_NoSave" : "btn_Save", false);
    ShowChild(copy > 0 ? "img_NoCopy" : "btn_Copy", false);
    ShowChild(peek > 0 ? "img_NoPeek" : "btn_Peek", false);
    if (record && record->correctCount >= kFinalCount) {
        ShowChild("btn_frame", false);
        ShowChild("btn_DropOut", false);
    }
}

QWindow::~QWindow()
{
    if (ShowController* show = ShowController::Existing())
        if (KDemo* stage = show->GetStage())
            stage->ClearQuestionWindow(this);
}

void QWindow::Build(QBase* question, const char* script)
{
    mQuestion = question;
    RunScript(script);
}

void QWindow::RunScript(const char* script)
{
    MoveTo(0, 0);
    SetSize(kWidth, kHeight);
    TWindowManager* windows = GetWindowManager();
    if (!windows || !windows->RunWindowScript(this, TString(script)))
        WriteLog("Answer window: \"%s\" did not run", script);
}

TWindow* QWindow::Find(const char* name)
{
    return FindChild(TString(name));
}

void QWindow::ShowChild(const char* name, bool shown)
{
    if (TWindow* child = Find(name))
        child->SetFlags(shown ? uint32_t(kWindowShown) : 0u);
}

bool QWindow::OnAttach()
{
    GameRecord* record = Record();
    if (!record || record->correctCount < kFinalCount)
        UpdateHelpButtons();
    return TWindow::OnAttach();
}

bool QWindow::OnMessage(TMessage* message)
{
    if (!message || message->GetType() != kMsgButtonPress)
        return false;
    if (message->GetName() == "btn_Peek") {
        OnPeek();
        return true;
    }
    if (message->GetName() == "btn_Copy") {
        OnCopy();
        return true;
    }
    return false;
}

void QWindow::Close()
{
    if (mClosed)
        return;
    mClosed = true;
    TWindow* parent = GetParent();
    if (parent)
        parent->RemoveChild(this);
    // The question's watcher is one of the children: it ends the wait.
    DeleteChildren();
    // A window that was never put on screen stays with whoever holds it.
    if (!parent)
        return;
    if (TWindowManager* windows = GetWindowManager()) {
        if (!windows->IsPendingDelete(this))
            windows->DeferDelete(this);
    } else {
        WriteLog("Answer window closed without a window manager; it is not deleted");
    }
}

void QWindow::Answer(bool correct)
{
    if (mAnswered)
        return;
    mAnswered = true;
    if (GameRecord* record = Record())
        record->answerCorrect = correct;
    else
        WriteLog("Answer window: no show to take the answer");
    KEvent::MakeStopMusic();
    KEvent::MakePlaySound(TString("sfx/ButtonPush.ogg"), kEffectsGroup);
    Close();
}

void QWindow::OnPeek()
{
    GameRecord* record = Record();
    if (!record || record->peekCount <= 0)
        return;
    --record->peekCount;
    record->peekUsed = true;

    TString answer;
    TString name;
    if (Quillory::KChild* classmate = record->currentClassmate) {
        classmate->GetAnswer(record->currentQuestion, answer);
        name = classmate->GetName();
    }
    const TString text = RevealText(name, answer);
    KVO::VOPeek()
        ->Then(KEvent::MakeUpdateMainScreens(text))
        ->Then(KEvent::MakeWaitTime(kPeekRevealMs))
        ->Then(KEvent::Create<eShowCurrentQuestion>());

    if (record->peekCount <= 0) {
        ShowChild("btn_Peek", false);
        ShowChild("img_NoPeek", true);
        DrawChalkSign("btn_Peek");
    }
}

void QWindow::OnCopy()
{
    if (mAnswered)
        return;
    mAnswered = true;
    // The window stays a moment when the last Copy is struck out, so the
    // chalk cross is seen; it never waits for the chalk line, which lasts
    // until this very window has closed.
    std::shared_ptr<KEvent::Event> wait = KEvent::MakeWaitTime(kCopyCloseDelayMs);
    std::shared_ptr<KEvent::Event> close = KEvent::Create<eCloseAnswerWindow>(this);

    GameRecord* record = Record();
    if (!record || record->copyCount <= 0)
        return;
    --record->copyCount;
    record->state = kCopyAnswerState;
    record->copyUsed = true;
    if (record->copyCount <= 0) {
        ShowChild("btn_Copy", false);
        ShowChild("img_NoCopy", true);
        if (DrawChalkSign("btn_Copy"))
            wait->Then(close);
    }
}

void QWindow::UpdateHelpButtons()
{
    GameRecord* record = Record();
    if (!record)
        return;
    // Every used-up help is struck out, even when an earlier button is
    // missing from the layout.
    if (record->peekCount <= 0)
        DrawChalkSign("btn_Peek");
    if (record->copyCount <= 0)
        DrawChalkSign("btn_Copy");
    if (record->saveCount <= 0)
        DrawChalkSign("btn_Save");
}

bool QWindow::DrawChalkSign(const char* button)
{
    TWindow* child = Find(button);
    if (!child)
        return false;
    const TRect rect = child->GetScreenRect();
    const TVec2 centre(float(rect.left) + 0.5f * float(rect.Width()), float(rect.top) + 0.5f * float(rect.Height()));
    PlayChalkAnim(centre, KEvent::MakeWaitForWindowClose(this), this);
    return true;
}

} // namespace KQuestion
