#pragma once
// The 2D animation tests' fixture: a window manager over the headless
// recording display with a hand-moved application clock (uitest), a fresh
// event manager and animation manager, animated textures read from memory
// descriptions over a fake sheet loader, and a log in a temporary folder.
// Frames are drawn as the stage draws them: a 2D pass in which the
// animation manager runs its Draw pass.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/show/EventTestSupport.h"
#include "game/show/event/EventManager.h"
#include "game/stage/anim/AnimEvent.h"
#include "game/stage/anim/AnimManager.h"
#include "os/gfx/recording/GfxRecording.h"
#include "platform/AssetNames.h"
#include "render/AnimatedTexture.h"
#include "render/Renderer.h"
#include "render/TextureData.h"
#include "support/AnmWriter.h"
#include "support/TempFolder.h"
#include "ui/ManagerTestSupport.h"

namespace animtest {

// What the probe animations saw, in order: "draw:a", "update:a",
// "start:a", "stop:a" (a Stop that stopped it; every call is counted in
// stopCalls).
inline std::vector<std::string> gTrace;

// An animation that records its calls; it stops itself in its n-th Draw
// when asked to.
class ProbeAnim : public KAnim::AnimBase {
public:
    explicit ProbeAnim(std::string name, int stopInDraw = 0) : mName(std::move(name)), mStopInDraw(stopInDraw) {}

    void Draw() override
    {
        gTrace.push_back("draw:" + mName);
        if (onDraw)
            onDraw();
        if (mStopInDraw > 0 && --mStopInDraw == 0)
            Stop();
    }
    void Update() override { gTrace.push_back("update:" + mName); }
    std::shared_ptr<KEvent::Event> GetEvent() override { return mEvent; }
    void Start() override
    {
        gTrace.push_back("start:" + mName);
        running = true;
    }
    void Stop() override
    {
        ++stopCalls;
        if (!running)
            return;
        gTrace.push_back("stop:" + mName);
        running = false;
        if (auto event = mEvent)
            event->Finish();
        if (KAnim::AnimManager* manager = KAnim::AnimManager::Existing())
            manager->Remove(GetSelf());
    }

    bool running = false;
    int stopCalls = 0;
    std::function<void()> onDraw;

protected:
    void OnCreated() override { mEvent = KAnim::MakeAnimEvent(GetSelf()); }

private:
    std::string mName;
    int mStopInDraw;
    std::shared_ptr<KAnim::eAnimBase> mEvent;
};

inline std::shared_ptr<ProbeAnim> Probe(const std::string& name, int stopInDraw = 0)
{
    return KAnim::Create<ProbeAnim>(name, stopInDraw);
}

class AnimFixture : public uitest::ManagerFixture {
protected:
    static bool FakeLoad(TTextureData& data, const TString& file, const TString& mask)
    {
        (void)mask;
        if (std::string(file.c_str()) != "sheet.png" && std::string(file.c_str()) != "anim/sheet.png")
            return false;
        const uint32_t side = 256;
        if (!data.CreateSurface(side, side))
            return false;
        data.mWidth = data.mHeight = side;
        std::vector<uint32_t> pixels(size_t(side) * side, 0xFF808080u);
        data.CopyPixels(side, side, pixels.data());
        data.mFileName = file;
        return true;
    }

    void SetUp() override
    {
        ManagerFixture::SetUp();
        gTrace.clear();
        eventtest::gTrace.clear();
        KEvent::EventManager::Destroy();
        KEvent::EventManager::AllowRecreateForTests();
        KAnim::AnimManager::Destroy();
        SetTextureLoader(FakeLoad);
        // "anim/run": 40 frames of 4 x 4 texels in one row of the sheet.
        AddFile("anim/run.anm", anm::Write(anm::Grid(40, 1, 4)));
        GfxRecordingLog().Clear();
    }

    void TearDown() override
    {
        KAnim::AnimManager::Destroy();
        KEvent::EventManager::Destroy();
        KEvent::EventManager::AllowRecreateForTests();
        ManagerFixture::TearDown();
        SetTextureLoader(nullptr);
    }

    void AddFile(const std::string& name, const std::string& bytes)
    {
        std::string& kept = mFiles[name];
        kept = bytes;
        RegisterMemoryFile(name.c_str(), kept.data(), uint32_t(kept.size()));
    }

    static KAnim::AnimManager& Anims() { return *KAnim::AnimManager::Get(); }

    // One event pass, then the animation manager's update outside drawing,
    // as the event trigger runs them.
    static void EventPass(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            KEvent::EventManager::Instance()->Update();
            Anims().Update();
        }
    }

    // The stage's 2D pass: the manager's update inside an open frame.
    // Returns the number of quads drawn.
    static size_t DrawPass()
    {
        TRenderer& renderer = *TRenderer::Get();
        GfxRecordingLog().draws.clear();
        EXPECT_TRUE(renderer.BeginDraw(false));
        EXPECT_TRUE(renderer.Begin2d());
        Anims().Update();
        renderer.End2d();
        renderer.EndDraw(false);
        return GfxRecordingLog().draws.size();
    }

    static void Advance(uint32_t ms) { uitest::gNow += ms; }

    TTempLogFolder mLog{"quillory-anim"};
    std::map<std::string, std::string> mFiles;
};

} // namespace animtest
