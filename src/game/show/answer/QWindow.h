#pragma once
#include <cstdint>

#include "platform/TString.h"
#include "ui/Liveness.h"
#include "ui/Window.h"

namespace KQuestion {

class QBase;

// The answer window of a question: a full-screen (800 x 600) window over the
// stage, laid out by "scripts/QWindow.lua" and then its kind's script, with
// the help buttons Peek, Copy and Save. It takes one answer (or one Copy),
// writes the verdict into the show's record and closes itself; closing
// hands it to deferred deletion, which ends the question's wait.
//
// Each new answer window binds the script function "Close" to itself, so
// scripts close the newest one; a call after that window is closed or gone
// does nothing. Main thread only.
class QWindow : public TWindow {
public:
    ~QWindow() override;

    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    static TWindow* GetCreator() { return nullptr; }
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&GetCreator); }

    // Draws the chalk signs on the used-up helps (not on the final question).
    bool OnAttach() override;
    // "btn_Peek" and "btn_Copy" clicks; anything else is not handled here.
    bool OnMessage(TMessage* message) override;

    // Takes the window off its parent and hands it to deferred deletion
    // (its children first); once only. A window that was never put on
    // screen stays with whoever holds it.
    virtual void Close();
    // The first answer (or Copy) counts: the verdict goes into the record,
    // the music stops, the button sound plays and the window closes.
    virtual void Answer(bool correct);

    bool IsAnswered() const { return mAnswered; }
    bool IsClosed() const { return mClosed; }
    QBase* GetQuestion() const { return mQuestion; }
    const TLiveness& GetLiveness() const { return mLiveness; }

    // The window's size and the correct-answer count from which a question
    // is the final one.
    static constexpr int32_t kWidth = 800;
    static constexpr int32_t kHeight = 600;
    static constexpr int32_t kFinalCount = 10;

protected:
    // Binds "Close", runs "scripts/QWindow.lua" and shows the helps that
    // are left; without build an empty window (the kinds' creators).
    explicit QWindow(bool build = true);

    // Stores the question and runs the kind's script over the base layout.
    void Build(QBase* question, const char* script);
    void RunScript(const char* script);

    TWindow* Find(const char* name);
    // Shown (flags 0x100) or hidden (flags 0) when the child exists.
    void ShowChild(const char* name, bool shown);

    void OnPeek();
    void OnCopy();
    void UpdateHelpButtons();

private:
    // The chalk sign over a help button for as long as this window is open;
    // false when the button is missing.
    bool DrawChalkSign(const char* button);

    QBase* mQuestion = nullptr;
    bool mAnswered = false;
    bool mClosed = false;
    TLiveness mLiveness;
};

// Installs the makers of the answer windows for the question records.
void RegisterAnswerWindows();

} // namespace KQuestion
