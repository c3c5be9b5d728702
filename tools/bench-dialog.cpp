// Dialog benchmark: a script builds a dialog of 50 windows (a modal layer,
// five rows of one window with nine children each, minus one) through the
// dialog library and GenericCreate, then pops it, and the window manager
// deletes it; against native code making and deleting the same 50 windows
// with the same styles. No display: only the window tree is timed. Prints
// the median time of a dialog for each and the ratio script / native.
//
//   bench_dialog [ROUNDS]      (default 9; run it through tools/bench-dialog)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "bench-timing.h"
#include "platform/Log.h"
#include "platform/PlatformEvent.h"
#include "ui/ModalWindow.h"
#include "ui/Screen.h"
#include "ui/Style.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"

namespace {

constexpr int kDialogsPerRound = 200;
constexpr int kRows = 5;
constexpr int kChildren = 9;  // the modal layer + 5 rows + 44 children = 50

const char kDialog[] = R"(
function BenchDialog()
    local id = PushModal("bench")
    for row = 1, 5 do
        local t = { name = "row" .. row, x = 0, y = row * 20, w = 400, h = 20 }
        local children = (row == 5) and 8 or 9
        for c = 1, children do
            table.insert(t, Window{ name = "cell" .. c, x = c * 40, y = 0, w = 40, h = 20 })
        end
        Window(t)()
    end
    DoFitToChildren()
    DoPopModal(id)
end
)";

// Runs the pending deletions (an event that does nothing else) and hands
// the closing messages on (to the script, which queues them).
void DeletePending(TWindowManager& manager)
{
    TPlatformEvent event;
    event.type = kEventActivate;
    manager.HandleEvent(event);
    manager.DispatchMessages();
}

TWindow* NativeWindow(TWindow* parent, const char* name, int32_t x, int32_t y, int32_t w, int32_t h)
{
    TValueStyle style;
    style.Set("name", name).Set("x", x).Set("y", y).Set("w", w).Set("h", h);
    auto* window = new TWindow();
    parent->AddChild(window, true);
    window->Init(style);
    window->PostInit(style);
    return window;
}

void NativeDialog(TWindowManager& manager)
{
    auto* modal = new TModalWindow();
    modal->SetName("bench");
    manager.PushModal(modal);
    for (int row = 1; row <= kRows; ++row) {
        std::string name = "row" + std::to_string(row);
        TWindow* line = NativeWindow(modal, name.c_str(), 0, row * 20, 400, 20);
        int children = row == kRows ? kChildren - 1 : kChildren;
        for (int c = 1; c <= children; ++c) {
            std::string cell = "cell" + std::to_string(c);
            NativeWindow(line, cell.c_str(), c * 40, 0, 40, 20);
        }
    }
    modal->FitToChildren();
    manager.DoPopModal(modal->GetIdString());
}

double TimeRound(TWindowManager& manager, TWindowScript& script, bool scripted)
{
    double start = NowMs();
    for (int i = 0; i < kDialogsPerRound; ++i) {
        if (scripted)
            script.RunString("BenchDialog()");
        else
            NativeDialog(manager);
        DeletePending(manager);
    }
    double ms = (NowMs() - start) / kDialogsPerRound;
    script.RunString("gMessageQueue = {}");
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 9;
    if (rounds < 1)
        rounds = 1;
    TWindowManager manager;
    auto* screen = new TScreen();
    manager.SetRootWindow(screen);
    screen->SetSize(800, 600);
    TWindowScript script;
    manager.Init(&script);
    if (!script.RunString(kDialog)) {
        std::fprintf(stderr, "bench-dialog: the dialog script did not load\n");
        return 1;
    }
    TimeRound(manager, script, true);  // warm-up
    TimeRound(manager, script, false);
    struct Counter : TWindowCreationObserver {
        int made = 0;
        void WindowCreated(TWindow*, const TStyle&) override { ++made; }
    } counter;
    script.SetCreationObserver(&counter);
    script.RunString("BenchDialog()");
    DeletePending(manager);
    script.SetCreationObserver(nullptr);
    // the modal layer comes from PushModal, the other 49 from GenericCreate
    if (counter.made != kRows * (kChildren + 1) - 1 || manager.GetTopModal() != screen ||
        !screen->GetChildren().empty()) {
        std::fprintf(stderr, "bench-dialog: the dialog was not built and torn down whole (%d windows made)\n", counter.made);
        return 1;
    }
    std::vector<double> scriptMs, nativeMs;
    for (int round = 0; round < rounds; ++round) {
        bool scriptFirst = round % 2 == 0;
        double a = TimeRound(manager, script, scriptFirst);
        double b = TimeRound(manager, script, !scriptFirst);
        scriptMs.push_back(scriptFirst ? a : b);
        nativeMs.push_back(scriptFirst ? b : a);
    }
    manager.Init(nullptr);
    double s = Median(scriptMs), n = Median(nativeMs);
    std::printf("dialog of 50 windows built and torn down, median of %d rounds of %d: script %.3f ms, "
                "native %.3f ms, ratio %.2f\n",
                rounds, kDialogsPerRound, s, n, s / n);
    return 0;
}
