// Money display benchmark: the whole display for 12 right answers with
// honours (the counter holding, eleven labels, twelve highlights) drawn a
// frame on the GL device at 800x600 with the sheets and fonts the build
// makes, beside an empty frame. The display is first played on an
// application clock moved by hand until every step has lit up; a hold
// event that never finishes keeps it showing. Median wall time and
// main-thread CPU time per frame.
//
//   bench_money [FRAMES]      (default 200; run it through tools/bench-money)
#include <SDL.h>

#include <cstdio>
#include <memory>

#include "bench-frames.h"
#include "bench-platform.h"
#include "game/show/event/CoreEvents.h"
#include "game/show/event/EventManager.h"
#include "game/stage/anim/MoneyAnim.h"
#include "platform/AssetManager.h"
#include "platform/AssetNames.h"
#include "platform/Timer.h"
#include "render/BuiltinFontData.h"
#include "render/FontCache.h"
#include "render/MiniVecDraw.h"
#include "render/Platform.h"
#include "render/PlatformData.h"
#include "render/Renderer.h"
#include "render/TextServices.h"
#include "support/TestDisplayHost.h"

namespace {

uint32_t gNow = 10000;
uint32_t Now()
{
    return gNow;
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = FrameCount(argc, argv);
    OsWindow window = OpenBenchWindow("bench_money");
    if (!window)
        return 1;
    int status = 0;
    {
        ScanAssetFolder(TString(QUILLORY_ASSET_DIR "/anim"), TString("anim/"));
        ScanAssetFolder(TString(QUILLORY_ASSET_DIR "/fonts"), TString("fonts/"));
        TFontCache fonts(kBuiltinFontData, sizeof kBuiltinFontData);
        TDnMiniVecDraw rasteriser;
        SetTextServices(&fonts, &rasteriser);
        SetTimerSource(Now);
        BenchPlatform platform(window, "bench_money");
        if (!platform.IsReady())
            return 1;
        rasteriser.Calibrate();
        TRenderer* renderer = TRenderer::Get();

        std::shared_ptr<KEvent::Event> hold = KEvent::MakeDummy();
        hold->AddPrerequisite(KEvent::MakeWaitTime(0xFFFFFFF0u));
        std::shared_ptr<KEvent::Event> out;
        KAnim::MakeMoneyAnim(out, 12, nullptr, hold, true, nullptr);
        std::shared_ptr<KAnim::MultiAnim> display = KAnim::GetMoneyDisplay();
        auto step = [&] {
            gNow += 50;
            KEvent::EventManager::Instance()->Update();
            renderer->Begin2d();
            display->Draw();
            renderer->End2d();
        };
        // Played until the flares' track has gone (every step lit).
        for (int i = 0; i < 2000 && display->GetTrackCount() > 3; ++i) {
            if (renderer->BeginDraw(false)) {
                step();
                renderer->EndDraw(false);
            }
        }
        if (display->GetTrackCount() != 3) {
            std::fprintf(stderr, "bench_money: the display did not reach its hold (%zu tracks)\n",
                         display->GetTrackCount());
            status = 1;
        } else {
            const FrameResult empty = MeasureFrames(frames, [](int) {});
            const FrameResult money = MeasureFrames(frames, [&](int) { step(); });
            ReportFrames("empty frame", empty);
            ReportFrames("money display, 12 steps, honours", money);
        }
        KAnim::ReleaseMoneyDisplay();
        display.reset();
        KEvent::EventManager::Destroy();
        SetTimerSource(nullptr);
        SetTextServices(nullptr, nullptr);
    }
    OsDestroyWindow(window);
    OsShutdownVideo();
    return status;
}
