#pragma once
// Shared pieces of the window-manager and modal-window tests: a fake clock,
// a fake application host, a fake window script, windows that record what
// reaches them, and a fixture with a manager, a headless display of
// 800 x 600 (what it drew is in GfxRecordingLog()) and a root screen.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Task.h"
#include "platform/TaskList.h"
#include "platform/Timer.h"
#include "render/Renderer.h"
#include "support/HeadlessDisplay.h"
#include "ui/ModalWindow.h"
#include "ui/Screen.h"
#include "ui/Window.h"
#include "ui/WindowManager.h"
#include "ui/WindowScriptHooks.h"

namespace uitest {

inline uint32_t gNow = 0;
inline uint32_t FakeTime()
{
    return gNow;
}

// What reached the probes, in order.
inline std::vector<std::string> gLog;

inline std::string Str(const TString& s)
{
    return s.c_str();
}

class FakeHost : public TWindowManagerHost {
public:
    bool active = true, pq = false, hosted = false, flipPending = false;
    int quits = 0;
    int32_t exitCode = -1;
    TTaskList tasks;
    bool IsActive() const override { return active; }
    bool HasPqSwitch() const override { return pq; }
    bool IsHosted() const override { return hosted; }
    bool IsFlipPending() const override { return flipPending; }
    void RequestQuit(int32_t code) override
    {
        ++quits;
        exitCode = code;
    }
    TTaskList* GetAppTasks() override { return &tasks; }
};

class FakeScript : public TWindowScriptHooks {
public:
    TWindow* parent = nullptr;
    std::vector<TWindow*> parents; // every SetCurrentParent
    std::vector<std::pair<int32_t, std::string>> delivered;
    bool translate = false;
    std::vector<std::string> ran;

    void SetCurrentParent(TWindow* window) override
    {
        parent = window;
        parents.push_back(window);
    }
    TWindow* GetCurrentParent() const override { return parent; }
    bool SetTranslateLabels(bool on) override
    {
        bool old = translate;
        translate = on;
        return old;
    }
    bool RunFile(const TString& name) override
    {
        ran.push_back("file " + Str(name) + " in " + (parent ? Str(parent->GetName()) : "-"));
        return true;
    }
    bool RunString(const TString& code) override
    {
        ran.push_back("code " + Str(code) + " in " + (parent ? Str(parent->GetName()) : "-"));
        return true;
    }
    void DeliverMessage(TMessagePtr message) override
    {
        delivered.emplace_back(message->GetType(), Str(message->GetName()));
        gLog.push_back("script:" + std::to_string(message->GetType()) + ":" + Str(message->GetName()));
    }
};

// Which handlers answer "handled".
enum : uint32_t {
    kTakeDown = 1,
    kTakeUp = 2,
    kTakeMove = 4,
    kTakeButton = 8,
    kTakeKeys = 16,
    kTakeMessages = 32,
    kReleaseOnLeave = 64,
    kTakeHover = 128,
};

// Records every operation that reaches it as "name:operation[:details]".
template <class Base>
class ProbeOf : public Base {
public:
    template <class... Args>
    ProbeOf(const char* name, uint32_t takes, Args... args) : Base(args...), mTakes(takes)
    {
        this->SetName(name);
    }
    ~ProbeOf() override { gLog.push_back(N() + ":deleted"); }

    std::string N() const { return Str(this->GetName()); }
    static std::string P(TPoint p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

    bool OnMouseDown(TPoint p) override { return Note("down:" + P(p), kTakeDown); }
    bool OnMouseUp(TPoint p) override { return Note("up:" + P(p), kTakeUp); }
    bool OnMouseMove(TPoint p) override { return Note("move:" + P(p), kTakeMove); }
    bool OnMouseButton(int32_t code, TPoint p) override
    {
        return Note("button" + std::to_string(code) + ":" + P(p), kTakeButton);
    }
    bool OnMouseHover(TPoint p) override { return Note("hover:" + P(p), kTakeHover); }
    bool OnMouseLeave() override
    {
        gLog.push_back(N() + ":leave");
        if ((mTakes & kReleaseOnLeave) && GetWindowManager())
            GetWindowManager()->ReleaseCapture(this);
        return true;
    }
    bool OnKeyDown(int32_t key, int32_t) override { return Note("key:" + std::to_string(key), kTakeKeys); }
    bool OnKeyUp(int32_t key) override { return Note("keyup:" + std::to_string(key), kTakeKeys); }
    bool OnChar(int32_t c) override
    {
        if (Base::OnChar(c))
            return true;
        return Note("char:" + std::to_string(c), kTakeKeys);
    }
    bool OnMessage(TMessage* m) override
    {
        if (Base::OnMessage(m))
            return true;
        return Note("msg:" + std::to_string(m->GetType()) + ":" + Str(m->GetName()), kTakeMessages);
    }
    void OnSetFocus(TWindow* previous) override
    {
        gLog.push_back(N() + ":focus:" + (previous ? Str(previous->GetName()) : "-"));
        Base::OnSetFocus(previous);
    }
    void Draw() override
    {
        gLog.push_back(N() + ":draw");
        Base::Draw();
    }

    uint32_t mTakes;

private:
    bool Note(const std::string& what, uint32_t bit)
    {
        gLog.push_back(N() + ":" + what);
        return (mTakes & bit) != 0;
    }
};

using Probe = ProbeOf<TWindow>;
using ModalProbe = ProbeOf<TModalWindow>;

// A window placed at (x, y) with size (w, h) inside parent.
template <class W>
W* Place(TWindow* parent, W* window, int32_t x, int32_t y, int32_t w, int32_t h)
{
    window->MoveTo(x, y);
    window->SetSize(w, h);
    if (parent)
        parent->AddChild(window, true);
    return window;
}

inline TPlatformEvent Ev(int32_t type, int32_t x = 0, int32_t y = 0, int32_t param = 0)
{
    TPlatformEvent e;
    e.type = type;
    e.x = x;
    e.y = y;
    e.param = param;
    return e;
}

// A task that counts its runs per pass and can run an action.
class CountingTask : public TTask {
public:
    explicit CountingTask(std::function<void()> action = nullptr) : mAction(std::move(action)) {}
    int runs = 0;
    int32_t lastPass = -1;
    bool IsReady(int32_t pass) override
    {
        lastPass = pass;
        return true;
    }
    bool Run() override
    {
        ++runs;
        gLog.push_back("task:" + std::to_string(lastPass));
        if (mAction)
            mAction();
        return true;
    }

private:
    std::function<void()> mAction;
};

class ManagerFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        gLog.clear();
        gNow = 10000;
        SetTimerSource(FakeTime);
        mDisplay = std::make_unique<THeadlessDisplay>(800, 600);
        // The display set-up leaves the screen as the bottom clip rectangle.
        TRenderer::Get()->PushClipRect(TRect(0, 0, 800, 600));
        mManager = std::make_unique<TWindowManager>();
        ASSERT_EQ(GetWindowManager(), mManager.get());
        mManager->SetHost(&mHost);
        mScreen = new ProbeOf<TScreen>("screen", 0);
        mManager->SetRootWindow(mScreen);
        mBaseMessages = TMessage::LiveCount();
    }
    void TearDown() override
    {
        mManager.reset();
        EXPECT_EQ(GetWindowManager(), nullptr);
        mDisplay.reset();
        SetTimerSource(nullptr);
        EXPECT_EQ(TMessage::LiveCount(), 0u);
    }

    // Pushes a modal dialog of the given size at (x, y).
    ModalProbe* PushDialog(const char* name, int32_t x = 100, int32_t y = 100, int32_t w = 400, int32_t h = 300)
    {
        auto* dialog = new ModalProbe(name, 0);
        dialog->MoveTo(x, y);
        dialog->SetSize(w, h);
        mManager->PushModal(dialog);
        return dialog;
    }

    // Log entries that start with the prefix.
    static std::vector<std::string> Only(const std::string& prefix)
    {
        std::vector<std::string> out;
        for (const std::string& s : gLog)
            if (s.compare(0, prefix.size(), prefix) == 0)
                out.push_back(s);
        return out;
    }

    FakeHost mHost;
    std::unique_ptr<TWindowManager> mManager;
    std::unique_ptr<THeadlessDisplay> mDisplay;
    TScreen* mScreen = nullptr;
    uint32_t mBaseMessages = 0;
};

} // namespace uitest
