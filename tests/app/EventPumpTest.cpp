#include "PumpTestSupport.h"

#include <algorithm>
#include <chrono>
#include <functional>

#include "platform/CommandLine.h"
#include "platform/Task.h"
#include "platform/TaskList.h"
#include "render/DisplayHost.h"
#include "render/Renderer.h"
#include "sound/SoundManager.h"
#include "ui/WindowManager.h"

namespace {

using EventPump = PumpFixture;

constexpr int32_t kX = 123;
constexpr int32_t kY = 45;

struct MessageCase {
    const char* name;
    std::vector<uint32_t> held; // keys held down first (posted key-downs)
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
    TPlatformEvent expected;
};

constexpr intptr_t kExt = intptr_t(OsKeyBits::Extended);
constexpr intptr_t kAlt = intptr_t(OsKeyBits::AltDown);
constexpr uintptr_t kShift = OsMk::Shift;
constexpr uintptr_t kCtrl = OsMk::Control;

uintptr_t Hi(uint32_t low, int32_t high)
{
    return OsMakeWParam(low, uint32_t(high));
}

// One message in, one framework event out. Mouse positions come from the
// display layer (the pointer was last seen at kX, kY), not from lParam.
const std::vector<MessageCase>& Cases()
{
    static const std::vector<MessageCase> cases = {
        {"left down", {}, OsMsg::LButtonDown, OsMk::LButton, 0, Ev(5, 0, kX, kY, 0)},
        {"left down with shift", {}, OsMsg::LButtonDown, OsMk::LButton | kShift, 0, Ev(5, 0, kX, kY, 1)},
        {"left down with ctrl", {}, OsMsg::LButtonDown, kCtrl, 0, Ev(5, 0, kX, kY, 2)},
        {"left up drops modifiers", {}, OsMsg::LButtonUp, kShift | kCtrl, 0, Ev(7, 0, kX, kY, 0)},
        {"right down", {}, OsMsg::RButtonDown, kShift | kCtrl, 0, Ev(6, 1, kX, kY, 3)},
        {"right up", {}, OsMsg::RButtonUp, kShift, 0, Ev(6, 0, kX, kY, 0)},
        {"middle down", {}, OsMsg::MButtonDown, kCtrl, 0, Ev(6, 3, kX, kY, 2)},
        {"middle up", {}, OsMsg::MButtonUp, 0, 0, Ev(6, 2, kX, kY, 0)},
        {"first extra down", {}, OsMsg::XButtonDown, Hi(kShift, 1), 0, Ev(6, 4, kX, kY, 1)},
        {"second extra down", {}, OsMsg::XButtonDown, Hi(0, 2), 0, Ev(6, 5, kX, kY, 0)},
        {"extra down naming no button", {}, OsMsg::XButtonDown, Hi(0, 0), 0, Ev(2)},
        {"extra up", {}, OsMsg::XButtonUp, Hi(0, 1), 0, Ev(2)},
        {"wheel forward", {}, OsMsg::MouseWheel, Hi(kShift, 120), 0, Ev(6, 6, kX, kY, 1)},
        {"wheel back", {}, OsMsg::MouseWheel, Hi(kCtrl, -120), 0, Ev(6, 7, kX, kY, 2)},
        {"wheel delta 0 counts as back", {}, OsMsg::MouseWheel, Hi(0, 0), 0, Ev(6, 7, kX, kY, 0)},
        {"move", {}, OsMsg::MouseMove, kShift, OsMakeLParam(1, 2), Ev(8, 0, kX, kY, 0)},
        {"hover", {}, OsMsg::MouseHover, 0, OsMakeLParam(1, 2), Ev(10, 0, kX, kY, 0)},
        {"capture went elsewhere", {}, OsMsg::CaptureChanged, 0, 0, Ev(9)},
        {"key down", {}, OsMsg::KeyDown, 'A', 0x1E0001, Ev(11, 'A')},
        {"key down, extended", {}, OsMsg::KeyDown, OsKey::Left, kExt, Ev(11, OsKey::Left, 0, 0, 8)},
        {"key down with shift", {OsKey::Shift}, OsMsg::KeyDown, 'A', 0, Ev(11, 'A', 0, 0, 1)},
        {"key down with ctrl", {OsKey::Control}, OsMsg::KeyDown, 'A', 0, Ev(11, 'A', 0, 0, 2)},
        {"key down with shift and ctrl", {OsKey::Shift, OsKey::Control}, OsMsg::KeyDown, OsKey::Home,
         kExt, Ev(11, OsKey::Home, 0, 0, 11)},
        {"insert alone", {}, OsMsg::KeyDown, OsKey::Insert, kExt, Ev(2)},
        {"ctrl+insert", {OsKey::Control}, OsMsg::KeyDown, OsKey::Insert, kExt, Ev(2)},
        {"ctrl+shift+insert", {OsKey::Control, OsKey::Shift}, OsMsg::KeyDown, OsKey::Insert, kExt, Ev(2)},
        {"shift+insert", {OsKey::Shift}, OsMsg::KeyDown, OsKey::Insert, kExt, Ev(11, OsKey::Insert, 0, 0, 9)},
        {"shift+insert on the keypad", {OsKey::Shift}, OsMsg::KeyDown, OsKey::Insert, 0,
         Ev(11, OsKey::Insert, 0, 0, 1)},
        {"system key without alt (F10)", {}, OsMsg::SysKeyDown, OsKey::F10, 0, Ev(11, OsKey::F10)},
        {"alt+key", {}, OsMsg::SysKeyDown, 'X', kAlt, Ev(11, 'X', 0, 0, 4)},
        {"alt+extended key with shift", {OsKey::Shift}, OsMsg::SysKeyDown, OsKey::Up, kAlt | kExt,
         Ev(11, OsKey::Up, 0, 0, 13)},
        {"alt+insert is an ordinary alt key", {}, OsMsg::SysKeyDown, OsKey::Insert, kAlt,
         Ev(11, OsKey::Insert, 0, 0, 4)},
        {"key up", {}, OsMsg::KeyUp, 'A', 0, Ev(12, 'A', 0, 0, 0)},
        {"key up, code with 4", {}, OsMsg::KeyUp, 'E', 0, Ev(12, 'E', 0, 0, 1)},
        {"key up, code with 4 and 8", {OsKey::Shift}, OsMsg::KeyUp, 'L', 0, Ev(12, 'L', 0, 0, 3)},
        {"character", {}, OsMsg::Char, 'b', 0, Ev(13, 'b', 0, 0, 0)},
        {"character, code with 8", {}, OsMsg::Char, 'h', 0, Ev(13, 'h', 0, 0, 2)},
        {"character above 127", {}, OsMsg::Char, 0xE9, 0, Ev(13, 0xE9, 0, 0, 2)},
        {"system key up", {}, OsMsg::SysKeyUp, 'X', kAlt, Ev(2)},
        {"system character", {}, OsMsg::SysChar, 'x', kAlt, Ev(2)},
        {"timer", {}, OsMsg::Timer, 7, 0, Ev(2)},
        {"leave itself", {}, OsMsg::MouseLeave, 0, 0, Ev(2)},
        {"unknown", {}, 0x0401 + 100, 0, 0, Ev(2)},
    };
    return cases;
}

TEST_F(EventPump, EachMessageGivesItsEvent)
{
    Motion(kX, kY);
    ASSERT_EQ(EventsUntilIdle().size(), 1u);

    for (const MessageCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        for (uint32_t vk : c.held) {
            ASSERT_TRUE(OsPostMessage(window, OsMsg::KeyDown, vk, 0));
            ASSERT_EQ(Pump().type, kEventKeyDown);
        }
        ASSERT_TRUE(OsPostMessage(window, c.message, c.wParam, c.lParam));
        EXPECT_EQ(Pump(), c.expected);
        // Whatever the message left behind (characters, a leave report, a
        // released capture) is drained before the next case.
        PumpUntilIdle();
        for (uint32_t vk : c.held) {
            ASSERT_TRUE(OsPostMessage(window, OsMsg::KeyUp, vk, intptr_t(0xC0000001u)));
            ASSERT_EQ(Pump().type, kEventKeyUp);
        }
        OsReleaseCapture();
        PumpUntilIdle();
    }
}

TEST_F(EventPump, PositionsAreSignedSixteenBit)
{
    Motion(-3, 70000);
    PumpUntilIdle();
    OsPostMessage(window, OsMsg::MouseMove, 0, 0);
    EXPECT_EQ(Pump(), Ev(8, 0, -3, int16_t(70000)));
}

TEST_F(EventPump, QuitAndClose)
{
    OsPostQuitMessage(0);
    EXPECT_EQ(Pump(), Ev(kEventQuit));

    // Asking to close does not close: one close event, the window stays.
    OsSendMessage(window, OsMsg::Close);
    EXPECT_EQ(Pump(), Ev(kEventClose));
    EXPECT_EQ(Pump().type, kEventIdle);
    EXPECT_TRUE(OsIsWindow(window));
}

TEST_F(EventPump, TheWindowManagersCloseButtonIsACloseRequest)
{
    WindowEvent(SDL_WINDOWEVENT_CLOSE);
    EXPECT_EQ(EventsUntilIdle(), std::vector<TPlatformEvent>{Ev(kEventClose)});
    EXPECT_TRUE(OsIsWindow(window));
}

TEST_F(EventPump, AltF4IsAnAltKeyThenACloseRequest)
{
    Key(true, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_NUM | KMOD_LALT);
    Key(true, SDL_SCANCODE_F4, SDLK_F4, KMOD_NUM | KMOD_LALT);
    std::vector<TPlatformEvent> events = EventsUntilIdle();
    std::vector<TPlatformEvent> expected = {Ev(11, OsKey::Menu, 0, 0, 4), Ev(11, OsKey::F4, 0, 0, 4),
                                            Ev(kEventClose)};
    EXPECT_EQ(events, expected);
    EXPECT_TRUE(OsIsWindow(window));
}

TEST_F(EventPump, AltEnterTogglesFullScreen)
{
    auto altEnter = [&] { OsPostMessage(window, OsMsg::SysKeyDown, OsKey::Return, kAlt); };
    altEnter();
    EXPECT_EQ(Pump(), Ev(kEventFullScreen, 1));
    EXPECT_TRUE(platform->IsFullScreen());
    EXPECT_EQ(EventsUntilIdle(), std::vector<TPlatformEvent>{Ev(kEventDisplayChanged)});

    altEnter();
    EXPECT_EQ(Pump(), Ev(kEventFullScreen, 0));
    EXPECT_FALSE(platform->IsFullScreen());
    EXPECT_EQ(EventsUntilIdle(), std::vector<TPlatformEvent>{Ev(kEventDisplayChanged)});

    // On a desktop no larger than the screen a window is refused: the event
    // reports the state that stays.
    altEnter();
    EXPECT_EQ(Pump(), Ev(kEventFullScreen, 1));
    PumpUntilIdle();
    platform->SetDesktopMode(-1, 800, 600);
    altEnter();
    EXPECT_EQ(Pump(), Ev(kEventFullScreen, 1));
    EXPECT_TRUE(platform->IsFullScreen());
    EXPECT_EQ(Pump().type, kEventIdle);
}

TEST_F(EventPump, AltEnterWhenHosted)
{
    SetHosted(true);
    OsPostMessage(window, OsMsg::SysKeyDown, OsKey::Return, kAlt);
    EXPECT_EQ(Pump(), Ev(kEventNothing));
    EXPECT_FALSE(platform->IsFullScreen());

    // With the host bridge the host is told, and the display stays windowed.
    SetCommandLineText("game.exe -pq=1");
    OsPostMessage(window, OsMsg::SysKeyDown, OsKey::Return, kAlt);
    EXPECT_EQ(Pump(), Ev(kEventFullScreen, 0));
    EXPECT_TRUE(IsHostFullScreen());
    EXPECT_TRUE(app->IsFullScreen());
    EXPECT_FALSE(platform->IsFullScreen());
    OsPostMessage(window, OsMsg::SysKeyDown, OsKey::Return, kAlt);
    EXPECT_EQ(Pump(), Ev(kEventFullScreen, 0));
    EXPECT_FALSE(IsHostFullScreen());
}

TEST_F(EventPump, AltF1FlipsTheStatisticsOverlay)
{
    bool before = TRenderer::Get()->IsStatsOn();
    OsPostMessage(window, OsMsg::SysKeyDown, OsKey::F1, kAlt);
    EXPECT_EQ(Pump(), Ev(kEventNothing));
    EXPECT_NE(TRenderer::Get()->IsStatsOn(), before);
    OsPostMessage(window, OsMsg::SysKeyDown, OsKey::F1, kAlt);
    EXPECT_EQ(Pump(), Ev(kEventNothing));
    EXPECT_EQ(TRenderer::Get()->IsStatsOn(), before);
    TRenderer::Shutdown();
}

TEST_F(EventPump, TheClickThatActivatesIsDropped)
{
    Motion(kX, kY);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    std::vector<TPlatformEvent> expected = {Ev(kEventActivate, 0), Ev(8, 0, kX, kY)};
    EXPECT_EQ(EventsUntilIdle(), expected);

    // A click on the inactive window: the window system focuses it, then
    // the press arrives as the activating click.
    WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    Button(true, SDL_BUTTON_LEFT, kX, kY);
    EXPECT_TRUE(Events().clickGuard);
    EXPECT_EQ(Pump(), Ev(kEventActivate, 1));
    EXPECT_EQ(Pump(), Ev(kEventNothing));
    EXPECT_EQ(OsGetCapture(), nullptr) << "a dropped press takes no capture";

    now += 100;
    Button(false, SDL_BUTTON_LEFT, kX, kY);
    EXPECT_EQ(Pump(), Ev(kEventNothing));
    EXPECT_FALSE(Events().clickGuard);

    // The guard is gone: the next click counts.
    now += 50;
    Button(true, SDL_BUTTON_LEFT, kX, kY);
    EXPECT_FALSE(Events().clickGuard);
    EXPECT_EQ(Pump(), Ev(5, 0, kX, kY));
    EXPECT_EQ(OsGetCapture(), window);
    Button(false, SDL_BUTTON_LEFT, kX, kY);
    EXPECT_EQ(Pump(), Ev(7, 0, kX, kY));
    EXPECT_EQ(OsGetCapture(), nullptr);
}

TEST_F(EventPump, ClickGuardTimesAndMovies)
{
    Motion(kX, kY);
    PumpUntilIdle();
    auto guard = [&] {
        OsSendMessage(window, OsMsg::MouseActivate, OsWindowValue(window),
                      OsMakeLParam(OsHit::Client, OsMsg::LButtonDown));
    };

    // A release after the guard time counts, and ends the guard.
    guard();
    OsPostMessage(window, OsMsg::RButtonDown, 0, 0);
    EXPECT_EQ(Pump(), Ev(kEventNothing));
    now += kClickGuardMs;
    OsPostMessage(window, OsMsg::RButtonUp, 0, 0);
    EXPECT_EQ(Pump(), Ev(6, 0, kX, kY));
    EXPECT_FALSE(Events().clickGuard);

    // A press after the guard time counts but leaves the guard to its release.
    guard();
    now += kClickGuardMs + 1;
    OsPostMessage(window, OsMsg::MouseWheel, Hi(0, 120), 0);
    EXPECT_EQ(Pump(), Ev(6, 6, kX, kY));
    EXPECT_TRUE(Events().clickGuard);
    OsPostMessage(window, OsMsg::MButtonUp, 0, 0);
    EXPECT_EQ(Pump(), Ev(6, 2, kX, kY));
    EXPECT_FALSE(Events().clickGuard);

    // While a movie plays the guard does not apply.
    TWindowManager* manager = app->GetWindowManager();
    guard();
    manager->SetMoviePlaying(true);
    OsPostMessage(window, OsMsg::LButtonDown, 0, 0);
    EXPECT_EQ(Pump(), Ev(5, 0, kX, kY));
    OsPostMessage(window, OsMsg::LButtonUp, 0, 0);
    EXPECT_EQ(Pump(), Ev(7, 0, kX, kY));
    manager->SetMoviePlaying(false);

    // While the movie takes the input every button and the wheel are dropped.
    manager->SetMovieInput(true);
    for (uint32_t m : {OsMsg::LButtonDown, OsMsg::LButtonUp, OsMsg::RButtonDown, OsMsg::MouseWheel}) {
        OsPostMessage(window, m, 0, 0);
        EXPECT_EQ(Pump(), Ev(kEventNothing)) << m;
    }
    EXPECT_EQ(OsGetCapture(), nullptr);
    OsPostMessage(window, OsMsg::MouseMove, 0, 0);
    EXPECT_EQ(Pump().type, kEventMouseMove);
    manager->SetMovieInput(false);

    // A press before the movie took the input keeps its capture only until
    // its release, even when that release is dropped.
    OsPostMessage(window, OsMsg::LButtonDown, 0, 0);
    EXPECT_EQ(Pump().type, kEventLeftDown);
    EXPECT_EQ(OsGetCapture(), window);
    manager->SetMovieInput(true);
    OsPostMessage(window, OsMsg::LButtonUp, 0, 0);
    EXPECT_EQ(Pump(), Ev(kEventNothing));
    EXPECT_EQ(OsGetCapture(), nullptr);
    manager->SetMovieInput(false);

    // A hosted program has no click guard.
    SetHosted(true);
    guard();
    EXPECT_FALSE(Events().clickGuard);
}

TEST_F(EventPump, PressesCaptureReleasesGiveBackAndTheWheelDoesNeither)
{
    struct Step {
        uint32_t message;
        uintptr_t wParam;
        bool captured;
    };
    const Step steps[] = {
        {OsMsg::LButtonDown, 0, true},       {OsMsg::LButtonUp, 0, false},
        {OsMsg::RButtonDown, 0, true},       {OsMsg::RButtonUp, 0, false},
        {OsMsg::MButtonDown, 0, true},       {OsMsg::MouseWheel, Hi(0, -120), true},
        {OsMsg::MButtonUp, 0, false},        {OsMsg::MouseWheel, Hi(0, 120), false},
        {OsMsg::XButtonDown, Hi(0, 1), true}, {OsMsg::XButtonUp, Hi(0, 1), false},
        {OsMsg::XButtonDown, Hi(0, 0), false},
    };
    for (const Step& s : steps) {
        OsPostMessage(window, s.message, s.wParam, 0);
        Pump();
        EXPECT_EQ(OsGetCapture() == window, s.captured) << std::hex << s.message;
    }
    // The capture change that a release sends is no event of its own.
    EXPECT_EQ(Pump().type, kEventIdle);
}

TEST_F(EventPump, CaptureChangedOnlyWhenItWentToAnotherWindow)
{
    OsPostMessage(window, OsMsg::CaptureChanged, 0, intptr_t(OsWindowValue(window)));
    EXPECT_EQ(Pump(), Ev(kEventNothing));
    OsPostMessage(window, OsMsg::CaptureChanged, 0, 0x1234);
    EXPECT_EQ(Pump(), Ev(kEventMouseLeave));
}

TEST_F(EventPump, HoverAndLeaveTracking)
{
    EXPECT_FALSE(Events().hoverArmed);
    EXPECT_FALSE(Events().leaveArmed);
    Motion(10, 20);
    EXPECT_EQ(EventsUntilIdle(), std::vector<TPlatformEvent>{Ev(8, 0, 10, 20)});
    EXPECT_TRUE(Events().hoverArmed);
    EXPECT_TRUE(Events().leaveArmed);

    // Resting 400 ms inside the box: one hover, and tracking is armed again.
    now += 399;
    EXPECT_EQ(Pump().type, kEventIdle);
    now += 1;
    EXPECT_EQ(EventsUntilIdle(), std::vector<TPlatformEvent>{Ev(10, 0, 10, 20)});
    EXPECT_TRUE(Events().hoverArmed);
    now += 400;
    EXPECT_EQ(EventsUntilIdle(), std::vector<TPlatformEvent>{Ev(10, 0, 10, 20)});

    // A paint disarms hover; the next move arms it again.
    OsInvalidateWindow(window);
    EXPECT_EQ(EventsUntilIdle(), std::vector<TPlatformEvent>{Ev(kEventPaint)});
    EXPECT_FALSE(Events().hoverArmed);
    Motion(11, 20);
    EXPECT_EQ(EventsUntilIdle(), std::vector<TPlatformEvent>{Ev(8, 0, 11, 20)});
    EXPECT_TRUE(Events().hoverArmed);

    // Leaving: the leave message makes no event itself; the next step
    // reports the pointer left, where it was last seen.
    Motion(-5, 30);
    std::vector<TPlatformEvent> events = PumpUntilIdle();
    std::vector<TPlatformEvent> expected = {Ev(kEventNothing), Ev(9, 0, -5, 30)};
    EXPECT_EQ(events, expected);
    EXPECT_FALSE(Events().hoverArmed);
    EXPECT_FALSE(Events().leaveArmed);
    EXPECT_FALSE(Events().mouseLeftPending);
    Motion(12, 20);
    EXPECT_EQ(EventsUntilIdle(), std::vector<TPlatformEvent>{Ev(8, 0, 12, 20)});
    EXPECT_TRUE(Events().leaveArmed);
}

TEST_F(EventPump, MinimiseAndRestore)
{
    TSoundManager* sound = new TSoundManager();
    app->SetSoundManager(sound);
    platform->CountWorkingFrame();

    OsShowWindow(window, OsShow::Minimize);
    EXPECT_FALSE(sound->IsEnabled());
    EXPECT_EQ(Pump(), Ev(kEventActivate, 0));
    EXPECT_EQ(platform->GetWorkingCount(), 0u);

    platform->CountWorkingFrame();
    OsShowWindow(window, OsShow::Restore);
    EXPECT_TRUE(sound->IsEnabled());
    EXPECT_EQ(Pump(), Ev(kEventActivate, 1));
    EXPECT_EQ(platform->GetWorkingCount(), 1u) << "only a deactivation resets the count";

    // Minimised and restored before the next step: nothing to report.
    OsShowWindow(window, OsShow::Minimize);
    OsShowWindow(window, OsShow::Restore);
    EXPECT_EQ(EventsUntilIdle(), std::vector<TPlatformEvent>{Ev(kEventPaint)});
    EXPECT_TRUE(sound->IsEnabled());
}

TEST_F(EventPump, ApplicationActivation)
{
    TSoundManager* sound = new TSoundManager();
    app->SetSoundManager(sound);
    OsSendMessage(window, OsMsg::ActivateApp, 0, 0);
    EXPECT_FALSE(sound->IsEnabled());
    OsSendMessage(window, OsMsg::ActivateApp, 0, 0);
    EXPECT_EQ(EventsUntilIdle(), std::vector<TPlatformEvent>{Ev(kEventActivate, 0)});
    OsSendMessage(window, OsMsg::ActivateApp, 1, 0);
    EXPECT_TRUE(sound->IsEnabled());
    EXPECT_EQ(EventsUntilIdle(), std::vector<TPlatformEvent>{Ev(kEventActivate, 1)});

    // Focus through the window system does the same.
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    EXPECT_EQ(EventsUntilIdle(), std::vector<TPlatformEvent>{Ev(kEventActivate, 0)});
    EXPECT_FALSE(app->IsActive());
    WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_EQ(EventsUntilIdle(), std::vector<TPlatformEvent>{Ev(kEventActivate, 1)});
    EXPECT_TRUE(app->IsActive());
}

TEST_F(EventPump, PendingFlagsComeOneAtATimeInTheirOrder)
{
    Motion(kX, kY);
    PumpUntilIdle();
    OsSendMessage(window, OsMsg::MouseLeave);
    OsSendMessage(window, OsMsg::Close);
    OsSendMessage(window, OsMsg::ActivateApp, 0, 0);
    OsSendMessage(window, OsMsg::Size, OsSize::Minimized, 0);
    GetDisplayHost().DisplayChanged();
    OsPostMessage(window, OsMsg::KeyDown, 'A', 0);

    std::vector<TPlatformEvent> expected = {Ev(kEventDisplayChanged), Ev(kEventActivate, 0),
                                            Ev(kEventActivate, 0),    Ev(kEventClose),
                                            Ev(9, 0, kX, kY),         Ev(11, 'A')};
    std::vector<TPlatformEvent> events;
    for (size_t i = 0; i < expected.size(); ++i)
        events.push_back(Pump());
    EXPECT_EQ(events, expected);
    EXPECT_EQ(Pump().type, kEventIdle);
}

TEST_F(EventPump, HostedRightButtonsAreMappedButNotDispatched)
{
    static std::vector<uint32_t> seen;
    seen.clear();
    OsSetWindowProc(window, [](OsWindow w, uint32_t m, uintptr_t wp, intptr_t lp) -> intptr_t {
        seen.push_back(m);
        return MainWndProc(w, m, wp, lp);
    });
    Motion(kX, kY);
    PumpUntilIdle();
    auto dispatched = [](uint32_t m) { return std::find(seen.begin(), seen.end(), m) != seen.end(); };

    for (bool hosted : {false, true}) {
        SCOPED_TRACE(hosted ? "hosted" : "not hosted");
        SetHosted(hosted);
        seen.clear();
        OsPostMessage(window, OsMsg::RButtonDown, 0, 0);
        EXPECT_EQ(Pump(), Ev(6, 1, kX, kY));
        OsPostMessage(window, OsMsg::RButtonUp, 0, 0);
        EXPECT_EQ(Pump(), Ev(6, 0, kX, kY));
        OsPostMessage(window, OsMsg::LButtonDown, 0, 0);
        EXPECT_EQ(Pump(), Ev(5, 0, kX, kY));
        EXPECT_EQ(dispatched(OsMsg::RButtonDown), !hosted);
        EXPECT_EQ(dispatched(OsMsg::RButtonUp), !hosted);
        EXPECT_TRUE(dispatched(OsMsg::LButtonDown));
        OsReleaseCapture();
    }
}

TEST_F(EventPump, KeysAreTranslatedIntoCharacters)
{
    Key(true, SDL_SCANCODE_RETURN, SDLK_RETURN);
    std::vector<TPlatformEvent> expected = {Ev(11, OsKey::Return), Ev(13, 13, 0, 0, 3)};
    EXPECT_EQ(EventsUntilIdle(), expected);
}

// A task that counts its idle runs.
class CountingTask : public TTask {
public:
    explicit CountingTask(int* runs) : mRuns(runs) {}
    bool IsReady(int32_t pass) override { return pass == kPassIdle; }
    bool Run() override
    {
        ++*mRuns;
        return true;
    }

private:
    int* mRuns;
};

TEST_F(EventPump, TheIdlePassRunsCallbacksAndTasksAndWaitsAtMostAMillisecond)
{
    int taskRuns = 0;
    int callbacks = 0;
    app->GetTaskList()->Add(new CountingTask(&taskRuns));
    TSoundManager* sound = new TSoundManager();
    app->SetSoundManager(sound);
    sound->QueueCompletion([&] { ++callbacks; });

    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Pump(), Ev(kEventIdle));
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(taskRuns, 1);
    EXPECT_EQ(callbacks, 1);
    EXPECT_LT(took, std::chrono::milliseconds(100));

    // A message pending: no idle pass.
    OsPostMessage(window, OsMsg::KeyDown, 'A', 0);
    EXPECT_EQ(Pump().type, kEventKeyDown);
    EXPECT_EQ(taskRuns, 1);

    // Without a sound manager the idle pass still runs the tasks.
    app->SetSoundManager(nullptr); // deletes it
    EXPECT_EQ(Pump(), Ev(kEventIdle));
    EXPECT_EQ(taskRuns, 2);
}

TEST_F(EventPump, IdleWaitIsAboutOneMillisecond)
{
    // A thousand idle steps take about a second, not ten.
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(Pump().type, kEventIdle);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(200));
    EXPECT_LT(took, std::chrono::milliseconds(2000));
}

TEST_F(EventPump, WhileTheDisplayIsNotReady)
{
    // Broken a frame after a mode set: nothing but "nothing", the queue
    // waits, and each step tries to restore (which sets the mode again).
    platform->SetBroken(now);
    OsPostMessage(window, OsMsg::KeyDown, 'A', 0);
    OsSendMessage(window, OsMsg::Close);
    EXPECT_EQ(Pump(), Ev(kEventNothing));
    EXPECT_FALSE(platform->IsBroken());
    EXPECT_EQ(Pump(), Ev(kEventDisplayChanged));
    EXPECT_EQ(Pump(), Ev(kEventClose));
    EXPECT_EQ(Pump(), Ev(11, 'A'));

    // Inactive, or with an activation change pending, there is no restore.
    OsShowWindow(window, OsShow::Minimize);
    platform->SetBroken(now);
    EXPECT_EQ(Pump(), Ev(kEventNothing));
    EXPECT_EQ(Pump(), Ev(kEventNothing));
    EXPECT_TRUE(platform->IsBroken());
    EXPECT_TRUE(Events().activationPending) << "not reported while broken";

    // A quit still gets through.
    OsPostQuitMessage(0);
    EXPECT_EQ(Pump(), Ev(kEventQuit));
}

TEST_F(EventPump, WithoutDisplayOrApplication)
{
    delete platform;
    platform = nullptr;
    OsSendMessage(window, OsMsg::Close);
    EXPECT_EQ(Pump(), Ev(kEventNothing));
    OsPostQuitMessage(0);
    EXPECT_EQ(Pump(), Ev(kEventQuit));

    TPlatformApp* saved = app;
    app = nullptr;
    delete saved;
    EXPECT_EQ(Pump(), Ev(kEventQuit));
}

TEST_F(EventPump, HostPauseHoldsThePump)
{
    EnableHostBridge();
    EXPECT_EQ(Pump().type, kEventIdle);
    OsSendMessage(window, OsMsg::User, 4, 0);
    ASSERT_TRUE(IsHostPaused());

    // The host's resume arrives while the pump waits; the step then goes on.
    OsPostMessage(window, OsMsg::User, 5, 0);
    OsPostMessage(window, OsMsg::KeyDown, 'A', 0);
    EXPECT_EQ(Pump(), Ev(11, 'A'));
    EXPECT_FALSE(IsHostPaused());

    // A quit ends the wait.
    OsSendMessage(window, OsMsg::User, 4, 0);
    OsPostQuitMessage(0);
    EXPECT_EQ(Pump(), Ev(kEventQuit));
    EXPECT_TRUE(IsHostPaused());
}

} // namespace
