#include "os/window/MessageQueue.h"

#include <algorithm>

#include "os/system/Instance.h"
#include "os/system/Time.h"
#include "os/window/Input.h"
#include "os/window/InputWait.h"
#include "os/window/SdlInput.h"
#include "os/window/Timer.h"
#include "os/window/WindowState.h"

namespace {

// At most this many SDL events are translated per peek, so a flood of
// events cannot keep the pump from returning.
constexpr int kMaxEventsPerPeek = 256;

// Looking for a second copy's ping is an accept() that makes and frees a
// socket in the kernel: at most once per this many milliseconds.
constexpr uint32_t kPingIntervalMs = 50;

bool Matches(uint32_t message, uint32_t first, uint32_t last)
{
    if (first == 0 && last == 0)
        return true;
    return message >= first && message <= last;
}

OsMessage MakeMessage(OsWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    OsMessage m;
    m.window = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = OsNow();
    OsGetCursorScreenPos(&m.ptX, &m.ptY);
    return m;
}

void RaiseOnPing()
{
    auto& s = OsState();
    uint32_t now = OsTimeMs();
    if (s.pingsLooked && now - s.pingsLookedAt < kPingIntervalMs)
        return;
    s.pingsLooked = true;
    s.pingsLookedAt = now;
    if (OsTakeInstancePings() <= 0)
        return;
    for (auto& [value, data] : s.windows) {
        if (data->destroying || !data->visible)
            continue;
        OsWindow w = OsHandleOf(data.get());
        if (data->minimized)
            OsShowWindow(w, OsShow::Restore);
        OsSetForegroundWindow(w);
        break;
    }
}

// Messages other threads posted join the posted queue, stamped now; those
// for windows that died meanwhile are dropped.
void TakeInbox()
{
    auto& s = OsState();
    std::vector<OsMessage> arrived;
    {
        std::lock_guard<std::mutex> lock(s.inboxMutex);
        if (s.inbox.empty())
            return;
        arrived.swap(s.inbox);
    }
    OsClearInputWake();
    for (const OsMessage& m : arrived) {
        if (!m.window || OsIsWindow(m.window))
            s.posted.push_back(MakeMessage(m.window, m.message, m.wParam, m.lParam));
    }
}

void PumpSources()
{
    auto& s = OsState();
    TakeInbox();
    RaiseOnPing();
    if (!s.videoReady)
        return;
    // At most one pump per peek: SDL_PollEvent would pump again for each
    // event taken.
    OsPumpSdlEvents();
    SDL_Event e;
    for (int i = 0; i < kMaxEventsPerPeek && SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1;
         ++i)
        OsHandleSdlEvent(e);
}

bool TakeFrom(std::deque<OsMessage>& queue, OsMessage* msg, bool remove, uint32_t first, uint32_t last)
{
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (!Matches(it->message, first, last))
            continue;
        OsMessage m = *it;
        if (remove) {
            queue.erase(it);
            OsUpdateSyncKeys(m);
        }
        if (msg)
            *msg = m;
        return true;
    }
    return false;
}

bool IsKeyMessage(uint32_t m)
{
    return m == OsMsg::KeyDown || m == OsMsg::KeyUp || m == OsMsg::SysKeyDown || m == OsMsg::SysKeyUp;
}

} // namespace

void OsQueueInput(OsWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    auto& s = OsState();
    if (!OsIsWindow(window))
        return;
    // Consecutive moves collapse into the newest one.
    if (message == OsMsg::MouseMove && !s.input.empty()) {
        OsMessage& back = s.input.back();
        if (back.message == OsMsg::MouseMove && back.window == window) {
            back = MakeMessage(window, message, wParam, lParam);
            return;
        }
    }
    s.input.push_back(MakeMessage(window, message, wParam, lParam));
}

void OsForgetWindowMessages(OsWindow window)
{
    auto& s = OsState();
    auto gone = [window](const OsMessage& m) { return m.window == window; };
    s.posted.erase(std::remove_if(s.posted.begin(), s.posted.end(), gone), s.posted.end());
    s.input.erase(std::remove_if(s.input.begin(), s.input.end(), gone), s.input.end());
}

intptr_t OsSendMessage(OsWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    OsWindowData* data = OsFindWindow(window);
    if (!data)
        return 0;
    OsWndProc proc = data->proc ? data->proc : OsDefWindowProc;
    return proc(window, message, wParam, lParam);
}

bool OsPostMessage(OsWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    auto& s = OsState();
    if (std::this_thread::get_id() != s.owner) {
        // The window table is the main thread's: the handle is checked when
        // the pump takes the message in.
        {
            std::lock_guard<std::mutex> lock(s.inboxMutex);
            s.inbox.push_back(OsMessage{window, message, wParam, lParam});
        }
        OsWakeInputWait();
        return true;
    }
    if (window && !OsIsWindow(window))
        return false;
    s.posted.push_back(MakeMessage(window, message, wParam, lParam));
    return true;
}

void OsPostQuitMessage(int32_t code)
{
    auto& s = OsState();
    s.quit = true;
    s.quitCode = code;
}

bool OsPeekMessage(OsMessage* msg, bool remove, uint32_t first, uint32_t last)
{
    auto& s = OsState();
    if (s.translating == 0)
        PumpSources();
    OsCheckHover();

    if (TakeFrom(s.posted, msg, remove, first, last))
        return true;
    if (TakeFrom(s.input, msg, remove, first, last))
        return true;
    if (s.quit && Matches(OsMsg::Quit, first, last)) {
        if (msg)
            *msg = MakeMessage(nullptr, OsMsg::Quit, uintptr_t(intptr_t(s.quitCode)), 0);
        if (remove)
            s.quit = false;
        return true;
    }
    if (Matches(OsMsg::Paint, first, last)) {
        for (auto& [value, data] : s.windows) {
            if (data->invalid && data->visible && !data->minimized && !data->destroying) {
                if (msg)
                    *msg = MakeMessage(OsHandleOf(data.get()), OsMsg::Paint, 0, 0);
                return true;
            }
        }
    }
    if (Matches(OsMsg::Timer, first, last))
        return OsNextTimer(msg, remove);
    return false;
}

bool OsTranslateMessage(const OsMessage& msg)
{
    if (!IsKeyMessage(msg.message))
        return false;
    if (msg.message != OsMsg::KeyDown)
        return true;
    bool ctrl = OsGetKeyState(OsKey::Control) < 0;
    bool alt = OsGetKeyState(OsKey::Menu) < 0;
    if (alt)
        return true;
    uint32_t vk = uint32_t(msg.wParam) & 0xFFu;
    uint32_t c = 0;
    switch (vk) {
    case OsKey::Back:
        c = 8;
        break;
    case OsKey::Tab:
        c = 9;
        break;
    case OsKey::Return:
        c = 13;
        break;
    case OsKey::Escape:
        c = 27;
        break;
    default:
        if (ctrl && vk >= OsKey::A && vk <= OsKey::Z)
            c = vk - OsKey::A + 1;
        break;
    }
    if (c != 0 && (!msg.window || OsIsWindow(msg.window)))
        OsState().posted.push_back(MakeMessage(msg.window, OsMsg::Char, c, msg.lParam));
    return true;
}

intptr_t OsDispatchMessage(const OsMessage& msg)
{
    if (!msg.window || !OsIsWindow(msg.window))
        return 0;
    return OsSendMessage(msg.window, msg.message, msg.wParam, msg.lParam);
}

intptr_t OsDefWindowProc(OsWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    switch (message) {
    case OsMsg::SysKeyDown:
        if ((uint32_t(wParam) & 0xFFu) == OsKey::F4 && (uint32_t(lParam) & OsKeyBits::AltDown))
            OsSendMessage(window, OsMsg::Close, 0, 0);
        return 0;
    case OsMsg::Close:
        OsDestroyWindow(window);
        return 0;
    case OsMsg::SetCursor:
        if (int32_t(int16_t(OsLoWord(uintptr_t(lParam)))) == OsHit::Client) {
            OsWindowData* data = OsFindWindow(window);
            if (data && data->classArrow)
                OsShowSystemCursor(true);
        }
        return 0;
    case OsMsg::MouseActivate:
        return OsMouseActivate::Activate;
    case OsMsg::EraseBkgnd:
        return 1;
    case OsMsg::Paint:
        OsValidateWindow(window);
        return 0;
    case OsMsg::NcHitTest:
        return OsHit::Client;
    default:
        return 0;
    }
}

bool OsHasQueuedMessages()
{
    auto& s = OsState();
    if (!s.posted.empty() || !s.input.empty() || s.quit)
        return true;
    {
        std::lock_guard<std::mutex> lock(s.inboxMutex);
        if (!s.inbox.empty())
            return true;
    }
    for (auto& [value, data] : s.windows) {
        if (data->invalid && data->visible && !data->minimized && !data->destroying)
            return true;
    }
    return false;
}

void OsWaitMessage(uint32_t timeoutMs)
{
    if (OsHasQueuedMessages())
        return;
    // Wake for the next timer or hover as well.
    int32_t wait = int32_t(std::min<uint32_t>(timeoutMs, 0x7FFFFFFF));
    for (int32_t due : {OsNextTimerDelay(), OsHoverDelay()}) {
        if (due >= 0)
            wait = std::min(wait, due);
    }
    OsWaitForInput(wait);
}

void OsSetMessageClock(uint32_t (*clock)())
{
    OsState().clock = clock;
}

uint32_t OsMessageTime()
{
    return OsNow();
}

void OsResetMessageState()
{
    auto& s = OsState();
    s.posted.clear();
    s.input.clear();
    {
        std::lock_guard<std::mutex> lock(s.inboxMutex);
        s.inbox.clear();
    }
    OsClearInputWake();
    s.quit = false;
    s.quitCode = 0;
    s.timers.clear();
    s.capture = nullptr;
    OsResetInputState();
    for (auto& [value, data] : s.windows)
        data->invalid = false;
}
