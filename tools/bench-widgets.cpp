// Widget benchmark: a dialog of 200 buttons (the build's button faces at
// quarter scale, with rollover) and 200 text widgets (a label each in the
// built-in font), on the recording graphics device (no GPU: the figures are
// the window tree's and the renderer's work plus the device's copying of
// what it is handed). Prints the median time to draw a frame of the dialog
// and the median time to route 1,000 pointer moves through it.
//
//   bench_widgets [ROUNDS] [ASSET_DIR]   (default 9 and the build's assets;
//                                         run it through tools/bench-widgets)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench-timing.h"
#include "app/AppText.h"
#include "platform/AssetNames.h"
#include "platform/PlatformEvent.h"
#include "platform/Timer.h"
#include "support/HeadlessDisplay.h"
#include "ui/Button.h"
#include "ui/ModalWindow.h"
#include "ui/Screen.h"
#include "ui/Style.h"
#include "ui/Text.h"
#include "ui/WindowManager.h"

namespace {

constexpr int kFramesPerRound = 50;
constexpr int kMovesPerRound = 1000;
constexpr int kColumns = 20;     // buttons: 20 x 10 cells of 40 x 20 from the top
constexpr int kTextColumns = 10; // texts: 10 x 20 cells of 80 x 20 below them

// Each call is a second later, so the window manager's frame pacing never
// holds a frame back.
uint32_t gClock = 0;
uint32_t SteppingClock()
{
    return gClock += 1000;
}

// The files stay registered (and their bytes alive) until the end.
std::vector<std::unique_ptr<std::string>> gFiles;

bool RegisterAsset(const std::string& dir, const std::string& name)
{
    std::ifstream in(dir + "/" + name, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    gFiles.push_back(std::make_unique<std::string>(bytes.str()));
    RegisterMemoryFile(name.c_str(), gFiles.back()->data(), uint32_t(gFiles.back()->size()));
    return true;
}

TModalWindow* BuildDialog(TWindowManager& manager)
{
    auto* dialog = new TModalWindow();
    dialog->SetName("bench");
    dialog->SetSize(800, 600);
    manager.PushModal(dialog);
    const std::vector<TString> faces = {"ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png"};
    for (int i = 0; i < 200; ++i) {
        TValueStyle style;
        style.Set("name", ("b" + std::to_string(i)).c_str())
            .Set("x", (i % kColumns) * 40)
            .Set("y", (i / kColumns) * 20);
        auto* button = static_cast<TButton*>(TButton::GetCreator());
        dialog->AddChild(button, true);
        button->Init(style);
        button->SetGraphics(faces, 0.25f, 0, false);
        button->PostInit(style);
    }
    for (int i = 0; i < 200; ++i) {
        TValueStyle style;
        style.Set("name", ("t" + std::to_string(i)).c_str())
            .Set("x", (i % kTextColumns) * 80)
            .Set("y", 200 + (i / kTextColumns) * 20)
            .Set("w", 80)
            .Set("h", 20)
            .Set("label", ("Text " + std::to_string(i)).c_str());
        auto* text = static_cast<TText*>(TText::GetCreator());
        dialog->AddChild(text, true);
        text->Init(style);
        text->PostInit(style);
    }
    return dialog;
}

double TimeFrames(TWindowManager& manager)
{
    double start = NowMs();
    for (int i = 0; i < kFramesPerRound; ++i) {
        manager.Invalidate();
        manager.Frame();
        // What the recording device kept of the frame.
        GfxRecordingLog().Clear();
    }
    return (NowMs() - start) / kFramesPerRound;
}

// Moves the pointer along a path over the buttons and texts (every button
// gets entered and left, so rollovers and captures come and go).
double TimeMoves(TWindowManager& manager)
{
    TPlatformEvent event;
    event.type = kEventMouseMove;
    double start = NowMs();
    for (int i = 0; i < kMovesPerRound; ++i) {
        event.x = (i * 37) % 800;
        event.y = (i * 53) % 600;
        manager.HandleEvent(event);
    }
    return NowMs() - start;
}

} // namespace

int main(int argc, char** argv)
{
    int rounds = argc > 1 ? std::atoi(argv[1]) : 9;
    if (rounds < 1)
        rounds = 1;
    const std::string assets = argc > 2 ? argv[2] : QUILLORY_ASSET_DIR;

    THeadlessDisplay display(800, 600);
    TRenderer::Get()->PushClipRect(TRect(0, 0, 800, 600));
    for (const char* face : {"ui/button_normal.png", "ui/button_pressed.png", "ui/button_rollover.png"}) {
        if (!RegisterAsset(assets, face)) {
            std::fprintf(stderr, "bench-widgets: %s/%s not found; build the ui_textures target\n", assets.c_str(),
                         face);
            return 1;
        }
    }
    TAppText text;
    text.MakeRasteriser();
    SetTimerSource(SteppingClock);
    {
        TWindowManager manager;
        auto* screen = new TScreen();
        screen->SetSize(800, 600);
        manager.SetRootWindow(screen);
        TModalWindow* dialog = BuildDialog(manager);
        std::printf("dialog: %zu windows\n", dialog->GetChildren().size());

        // Warm-up (layouts, glyphs, textures), then what one frame hands the
        // device, and a move onto a button puts it in rollover.
        TimeFrames(manager);
        TimeMoves(manager);
        manager.Invalidate();
        manager.Frame();
        std::printf("a frame: %zu draw calls\n", GfxRecordingLog().draws.size());
        GfxRecordingLog().Clear();
        TPlatformEvent onButton;
        onButton.type = kEventMouseMove;
        onButton.x = 45;
        onButton.y = 5;
        // The first move only takes the capture from the button left last.
        manager.HandleEvent(onButton);
        manager.HandleEvent(onButton);
        const TButton* second = TWindow::Cast<TButton>(dialog->FindChild(TString("b1")));
        std::printf("pointer on a button: %s\n",
                    second && second->GetState() == TButton::kStateRollover ? "rollover" : "NO ROLLOVER");
        std::vector<double> frames, moves;
        for (int r = 0; r < rounds; ++r) {
            frames.push_back(TimeFrames(manager));
            moves.push_back(TimeMoves(manager));
        }
        std::printf("frame of 200 buttons + 200 texts (recording device): %.3f ms (median of %d rounds of %d)\n",
                    Median(frames), rounds, kFramesPerRound);
        std::printf("1000 pointer moves through it: %.3f ms (%.2f us a move, median of %d rounds)\n", Median(moves),
                    Median(moves) * 1000.0 / kMovesPerRound, rounds);
    }
    SetTimerSource(nullptr);
    return 0;
}
