#include "os/window/Timer.h"

#include <algorithm>

#include "os/window/WindowState.h"

bool OsSetTimer(OsWindow window, uintptr_t id, uint32_t intervalMs)
{
    if (window && !OsIsWindow(window))
        return false;
    auto& s = OsState();
    uint32_t interval = std::max<uint32_t>(intervalMs, 1);
    uint32_t due = OsNow() + interval;
    for (OsTimerEntry& t : s.timers) {
        if (t.window == window && t.id == id) {
            t.interval = interval;
            t.due = due;
            return true;
        }
    }
    s.timers.push_back(OsTimerEntry{window, id, interval, due});
    return true;
}

bool OsKillTimer(OsWindow window, uintptr_t id)
{
    auto& s = OsState();
    for (auto it = s.timers.begin(); it != s.timers.end(); ++it) {
        if (it->window == window && it->id == id) {
            s.timers.erase(it);
            return true;
        }
    }
    return false;
}

int32_t OsNextTimerDelay()
{
    auto& s = OsState();
    if (s.timers.empty())
        return -1;
    uint32_t now = OsNow();
    int32_t best = INT32_MAX;
    for (const OsTimerEntry& t : s.timers)
        best = std::min(best, std::max<int32_t>(int32_t(t.due - now), 0));
    return best;
}

bool OsNextTimer(OsMessage* msg, bool remove)
{
    auto& s = OsState();
    uint32_t now = OsNow();
    OsTimerEntry* pick = nullptr;
    for (OsTimerEntry& t : s.timers) {
        if (int32_t(now - t.due) < 0)
            continue;
        if (!pick || int32_t(t.due - pick->due) < 0)
            pick = &t;
    }
    if (!pick)
        return false;
    if (msg) {
        *msg = OsMessage{};
        msg->window = pick->window;
        msg->message = OsMsg::Timer;
        msg->wParam = pick->id;
        msg->time = now;
    }
    if (remove)
        pick->due = now + pick->interval;
    return true;
}

void OsForgetWindowTimers(OsWindow window)
{
    auto& s = OsState();
    s.timers.erase(std::remove_if(s.timers.begin(), s.timers.end(),
                                  [window](const OsTimerEntry& t) { return t.window == window; }),
                   s.timers.end());
}
