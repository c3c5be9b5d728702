#include "game/stage/anim/ShowAnimLua.h"

#include "game/show/event/Event.h"
#include "game/stage/anim/FlunkDropAnim.h"
#include "game/stage/anim/MoneyAnim.h"
#include "game/stage/anim/MultiAnim.h"
#include "platform/Log.h"
#include "ui/LuaBinding.h"
#include "ui/ModalWindow.h"
#include "ui/WindowManager.h"

namespace {

// Where the show's banners stand on the screen, and how they play.
constexpr float kBannerX = 560;
constexpr float kBannerY = 40;
constexpr const char* kBannerFrames = "1-30,30[100]";

TWindow* AnimationParent()
{
    if (TWindow* stage = KAnim::GetMoneyDisplayParent())
        return stage;
    TWindowManager* windows = GetWindowManager();
    return windows ? windows->GetTopModal() : nullptr;
}

bool PlayMoneyDisplay(int32_t count, bool honours)
{
    TWindow* parent = AnimationParent();
    if (!parent) {
        WriteLog("PlayMoneyDisplay: no screen to show it on");
        return false;
    }
    std::shared_ptr<KEvent::Event> start;
    return KAnim::MakeMoneyAnim(start, count, nullptr, nullptr, honours, parent) != nullptr;
}

// The banner in a group of its own, shown in an animation window, so it is
// drawn with or without a stage.
bool PlayBanner(const char* file, const TString& text)
{
    TWindow* parent = AnimationParent();
    if (!parent) {
        WriteLog("%s: no screen to show it on", file);
        return false;
    }
    const TDrawParams place(TVec2(kBannerX, kBannerY), 1, 1, 0);
    std::shared_ptr<Quillory::FlunkDropAnim> banner =
        Quillory::MakeFlunkDropAnim(TString(file), text, place, TString(kBannerFrames));
    if (!banner)
        return false;
    std::shared_ptr<KAnim::MultiAnim> group = KAnim::MultiAnim::Create();
    group->AddTrack()->AppendAnim(banner);
    std::shared_ptr<KEvent::Event> start;
    group->ShowInWindow(start, parent);
    return start != nullptr;
}

bool PlayFlunkOut(const TString& text)
{
    return PlayBanner("anim/flunkout.xml", text);
}

bool PlayDropOut(const TString& text)
{
    return PlayBanner("anim/dropout.xml", text);
}

} // namespace

void RegisterShowAnimationLua(lua_State* L)
{
    if (!L)
        return;
    LuaBind<&PlayMoneyDisplay>(L, "PlayMoneyDisplay");
    LuaBind<&PlayFlunkOut>(L, "PlayFlunkOut");
    LuaBind<&PlayDropOut>(L, "PlayDropOut");
}
