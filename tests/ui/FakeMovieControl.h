#pragma once
// A movie control for tests: it "plays" for a set time on the application
// clock once loaded (or once told to play), answers "textvarnames" from its
// state, records every call and every text variable it was given, and can
// be told to fail at any step. Its state outlives it, so a test reads what
// happened after the player has let go of it.
#include <memory>
#include <string>
#include <vector>

#include "platform/Timer.h"
#include "ui/FlashPlayer.h"

namespace uitest {

struct FakeMovieState {
    // What the control does.
    std::string textVarNames;
    uint32_t lengthMs = 1000;
    std::string failAt; // "Init", "Create", "Load", "Stop", "Get", "Set", "Play"
    // What happened.
    std::vector<std::string> calls;
    std::vector<std::string> variables; // "name=value"
    TRect area;
    int made = 0;
    int live = 0;
};

class FakeMovieControl : public TMovieControl {
public:
    explicit FakeMovieControl(FakeMovieState& state) : mState(state)
    {
        ++mState.made;
        ++mState.live;
    }
    ~FakeMovieControl() override { --mState.live; }

    bool Init() override { return Note("Init"); }
    bool Create(const TRect& area, bool needsTextVariables) override
    {
        mState.area = area;
        return Note(std::string("Create") + (needsTextVariables ? " text" : ""), "Create");
    }
    bool Load(const TString& path) override
    {
        mStartedAt = GetTimer();
        mLoaded = Note("Load " + std::string(path.c_str()), "Load");
        return mLoaded;
    }
    bool StopPlayback() override { return Note("Stop"); }
    bool Play() override
    {
        mStartedAt = GetTimer();
        return Note("Play");
    }
    bool GetVariable(const TString& name, TString& value) override
    {
        value = name == "textvarnames" ? TString(mState.textVarNames.c_str()) : TString();
        return Note("Get " + std::string(name.c_str()), "Get");
    }
    bool SetVariable(const TString& name, const TString& value) override
    {
        mState.variables.push_back(std::string(name.c_str()) + "=" + value.c_str());
        return Note("Set", "Set");
    }
    bool IsPlaying() override { return mLoaded && GetTimer() - mStartedAt < mState.lengthMs; }
    void Destroy() override
    {
        mLoaded = false;
        mState.calls.push_back("Destroy");
    }

    static TMovieControlFactory Factory(FakeMovieState& state)
    {
        return [&state] { return std::make_unique<FakeMovieControl>(state); };
    }

private:
    bool Note(const std::string& call, const std::string& step = "")
    {
        mState.calls.push_back(call);
        return mState.failAt != (step.empty() ? call : step);
    }

    FakeMovieState& mState;
    uint32_t mStartedAt = 0;
    bool mLoaded = false;
};

} // namespace uitest
