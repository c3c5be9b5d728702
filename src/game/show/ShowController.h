#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "game/show/GameRecord.h"
#include "game/show/event/ShowLinks.h"
#include "render/TextureRef.h"
#include "ui/Liveness.h"

class KDemo;
class TWindow;
struct lua_State;
namespace Quillory {
class QuestionTimer;
}

// The one object that owns a running show: its record, the window shown on
// the studio screens and the music playing. It runs the show one state at
// a time (ShowStep, called by the advance event) and gives scripts four
// functions to move the show on: "AdvanceNextFrame", "ExitNextFrame",
// "DropOut" and "SkipVO". Made on first use, destroyed at shut-down.
// Main thread only.
class ShowController : public KEvent::ShowLink {
public:
    // States of a show run from 0 to 20; the question is state 4;
    // ExitNextFrame goes to the last, DropOut to the drop-out state.
    static constexpr int32_t kStateCount = 21;
    static constexpr int32_t kQuestionState = 4;
    static constexpr int32_t kDropOutState = 18;
    static constexpr int32_t kEndState = 20;
    // One state's step. The states register themselves (SetState).
    using State = void (*)(ShowController& show);

    static ShowController* Instance();
    // The controller when one exists, else null (never makes one).
    static ShowController* Existing();
    static void Destroy();

    ~ShowController() override;
    ShowController(const ShowController&) = delete;
    ShowController& operator=(const ShowController&) = delete;

    bool IsRunning() const { return mRunning; }
    // A show that starts running forgets the last show's board remark.
    void SetRunning(bool running)
    {
        mRunning = running;
        if (running)
            mLastBoardRemark = 0;
    }
    GameRecord& GetRecord() { return mRecord; }

    // The step of a state; null clears it. A state without a step does
    // nothing but count as run.
    static void SetState(int32_t state, State step);

    // The stage window (not owned): it registers itself while it lives.
    void SetStage(KDemo* stage) { mStage = stage; }
    // During a studio tour a stage that opens shows the set without
    // starting a show (Lua "StudioTour").
    void SetStudioTour(bool on) { mStudioTour = on; }
    bool IsStudioTour() const { return mStudioTour; }
    KDemo* GetStage() const { return mStage; }

    // The window shown on the studio screens (owned); replacing or
    // clearing it deletes the one before.
    void SetScreenWindow(TWindow* window);
    TWindow* GetScreenWindow() const { return mScreenWindow; }
    // Both studio screens show the texture (none: untextured).
    void SetMainScreensTexture(const TTextureRef& texture);
    // Both studio screens show the clean blackboard; the screen window goes.
    void ClearMainScreens();
    void SetCurrentMusic(std::shared_ptr<KEvent::Event> music) { mCurrentMusic = std::move(music); }

    // The running question's timer (empty before the first question). A
    // replaced timer keeps ticking while its task runs.
    const std::shared_ptr<Quillory::QuestionTimer>& GetQuestionTimer() const { return mQuestionTimer; }
    void SetQuestionTimer(std::shared_ptr<Quillory::QuestionTimer> timer) { mQuestionTimer = std::move(timer); }
    // The board remark the host made last (its VOid; 0: none), so the next
    // one differs. Not saved; a new show forgets it.
    int32_t GetLastBoardRemark() const { return mLastBoardRemark; }
    void SetLastBoardRemark(int32_t id) { mLastBoardRemark = id; }

    // The script functions.
    void AdvanceNextFrame();
    void ExitNextFrame();
    void DropOut();
    void SkipVO();
    // For scripts that show the board: a new board (with honours when the
    // record says so), a board question's text and its label ("3rd Grade
    // Science"), by position 1 to 10; empty past the board.
    void DealQuestions() { mRecord.DealQuestions(); }
    TString GetBoardQuestion(int32_t position) const;
    TString GetBoardLabel(int32_t position) const;

    // KEvent::ShowLink: one step runs the record's state (the previous
    // state becomes that state first). Question windows go on the stage,
    // or on the top screen while there is no stage. The main screens show a
    // question's or a text's display window, which becomes the screen
    // window; an empty text shows the bare chalkboard. While the controller
    // lives the show's events reach the pedestal lights through it.
    void ShowStep() override;
    std::shared_ptr<KEvent::Event> GetCurrentMusic() override { return mCurrentMusic; }
    void ShowQuestionOnMainScreens(KEvent::QuestionView* question) override;
    void ShowCurrentQuestionOnMainScreens() override;
    void ShowChalkboardText(const TString& text) override;
    void ShowQuestionWindow(TWindow* window) override;

    const TLiveness& GetLiveness() const { return mLiveness; }

private:
    ShowController();
    void RegisterLua(lua_State* L);

    std::shared_ptr<Quillory::QuestionTimer> mQuestionTimer;
    GameRecord mRecord;
    KDemo* mStage = nullptr;
    TWindow* mScreenWindow = nullptr;
    std::vector<std::unique_ptr<TWindow>> mUnshown; // question windows with nowhere to go
    std::shared_ptr<KEvent::Event> mCurrentMusic;
    bool mRunning = false;
    bool mStudioTour = false;
    int32_t mLastBoardRemark = 0;
    TLiveness mLiveness;
};
