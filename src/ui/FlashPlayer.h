#pragma once
// Movies played over the game: the player the window script owns while a
// movie shows, and the control that actually plays it. This platform has no
// movie control; the program uses the null one (every start fails, so
// scripts fall back to their pictures), tests put in one of their own.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Rect.h"
#include "platform/TString.h"

// A movie control hosted over the main window. Calls come in this order:
// Init, then Create, then Load (and, for a movie whose texts are replaced,
// StopPlayback, GetVariable / SetVariable, Play); Destroy ends it, whatever
// step failed. Main thread only.
class TMovieControl {
public:
    virtual ~TMovieControl() = default;
    // One-time set-up of the control's machinery; false when it is missing.
    virtual bool Init() = 0;
    // Hosts a control over `area` (main-window coordinates). needsTextVariables:
    // the control must support text variables. False when there is none fit.
    virtual bool Create(const TRect& area, bool needsTextVariables) = 0;
    // Loads the movie at that path (and sets it looping as the file says).
    virtual bool Load(const TString& path) = 0;
    virtual bool StopPlayback() = 0;
    virtual bool Play() = 0;
    // Value of a movie variable; false when the call failed.
    virtual bool GetVariable(const TString& name, TString& value) = 0;
    virtual bool SetVariable(const TString& name, const TString& value) = 0;
    virtual bool IsPlaying() = 0;
    // Releases the control and removes its window.
    virtual void Destroy() = 0;
};

// The control of this platform: none exists, so Init fails.
std::unique_ptr<TMovieControl> MakeNullMovieControl();

// What the player needs of the application.
class TMoviePlayerHost {
public:
    virtual ~TMoviePlayerHost() = default;
    // The software cursor.
    virtual bool IsCursorShown() const = 0;
    virtual void ShowCursor(bool show) = 0;
    // The string-table text of a label.
    virtual TString GetText(const TString& label) = 0;
    // The string-table labels beginning with "FLASH_".
    virtual void GetFlashLabels(std::vector<TString>& labels) = 0;
};

// One movie over the game (one at a time). While it shows, the window
// manager's movie flag is set (no frame drawn, nothing presented, the cursor
// left alone) and the game's windows get no pointer input; with input
// allowed the movie input flag is set too.
class TFlashPlayer {
public:
    // The host is not owned and may be null (cursor untouched, labels as
    // their own texts, no "FLASH_" labels).
    TFlashPlayer(std::unique_ptr<TMovieControl> control, TMoviePlayerHost* host);
    ~TFlashPlayer();
    TFlashPlayer(const TFlashPlayer&) = delete;
    TFlashPlayer& operator=(const TFlashPlayer&) = delete;

    // Starts "assets/<file>" (else the file as named). translate: the
    // movie's text variables get their string-table texts first.
    // blockInput: the game's windows get no pointer input meanwhile. On any
    // failure everything is undone (cursor included) and false returned.
    bool Start(const TString& file, bool translate, bool allowInput, bool blockInput = true);
    bool IsStarted() const { return mStarted; }
    // False once the movie has ended (and when it never started).
    bool IsPlaying();
    // Removes the movie, clears the window manager's flags, draws one frame
    // of the screen's fill colour and gives the cursor back. Started only.
    void Stop();

    // The path Start found for a file, empty when there is none.
    static TString FindMovie(const TString& file);

private:
    bool Load(const TString& path, bool translate);
    void Translate();
    void Undo();
    void ClearScreen();

    std::unique_ptr<TMovieControl> mControl;
    TMoviePlayerHost* mHost;
    bool mSavedCursor = true;
    bool mStarted = false;
    bool mTookInput = false;
    bool mCovered = false;
};

// Makes the control each start uses.
using TMovieControlFactory = std::function<std::unique_ptr<TMovieControl>()>;
