#include "game/show/GameMain.h"

#include "app/Application.h"
#include "game/show/GameLoop.h"
#include "game/show/GameSettings.h"
#include "game/show/GameSingletons.h"
#include "game/show/ShowScriptLua.h"
#include "game/show/answer/QWindow.h"
#include "game/show/event/EventTrigger.h"
#include "game/show/event/ShowLinks.h"
#include "game/show/screens/ChoosePlayer.h"
#include "game/show/screens/Credits.h"
#include "game/show/screens/CustomTextEdit.h"
#include "game/show/screens/LoadingScreen.h"
#include "game/show/screens/MainMenu.h"
#include "game/show/screens/OptionMenu.h"
#include "game/show/states/ShowStates.h"
#include "game/show/vo/VOPlayer.h"
#include "game/show/vo/VOTable.h"
#include "game/stage/StageLua.h"
#include "game/stage/StageWindow.h"
#include "game/stage/TextureUpdater.h"
#include "game/stage/effects/Confetti.h"
#include "game/stage/anim/AnimManager.h"
#include "game/stage/anim/ShowAnimLua.h"
#include "platform/Log.h"
#include "platform/PlatformEvent.h"
#include "platform/Settings.h"
#include "platform/StringTable.h"
#include "sound/Sound.h"
#include "sound/SoundInstance.h"
#include "ui/Slider.h"
#include "ui/WindowManager.h"
#include "ui/WindowScript.h"
#include "ui/WindowScriptHooks.h"

void RegisterGameWindowTypes(TWindowManager* windows)
{
    if (!windows)
        return;
    RegisterOptionMenu(windows);
    windows->RegisterWindowType(TString("Slider"), &TSlider::GetCreator);
    windows->RegisterWindowType(TString("Demo"), &KDemo::GetCreator);
    Quillory::RegisterLoadingScreen(windows);
    RegisterCreditsWindow(windows);
    RegisterMainMenu(windows);
    RegisterChoosePlayer(windows);
    // In place of the framework's own "TextEdit".
    RegisterCustomTextEdit(windows);
}

namespace {

// The voice-over table named by the string table; the player is made now so
// that the stage finds it when it opens and gives it the subtitles' parent.
void LoadVoiceOver(TStringTable* strings)
{
    TString file;
    if (strings && strings->GetString(file, TString("_VO_FILE")))
        KVO::VOTable::Instance()->Load(file);
    else
        WriteLog("GameMain: the string table names no voice-over table (\"_VO_FILE\")");
    KVO::VOPlayer::Instance();
}

} // namespace

void GameMain(TApplication* application, const char* commandLine)
{
    (void)commandLine;
    if (!application)
        return;

    TString title;
    TStringTable* strings = application->GetStringTable();
    if (strings && strings->GetString(title, TString("windowtitle")))
        application->SetWindowTitle(title);
    else
        application->SetWindowTitle(GetConfig(TString("gamename")));

    // The settings come first: they open the display in the player's mode.
    GameSettings::Create()->ApplyStartup();
    // After a display restore the studio screens get their pictures back.
    application->AddRestoreTask(new KUtil::TextureUpdater());
    KEvent::SetConfettiFactory([](uint16_t count) { return ConfettiCanon::Create(count); });
    LoadVoiceOver(strings);
    // Question records make their answer windows from here on.
    KQuestion::RegisterAnswerWindows();
    // A stage that opens starts a show, which runs through these states.
    KShow::RegisterShowStates();
    // The title theme plays, looping, while the start screen is up.
    std::shared_ptr<TSound> theme = TSound::Create(TString("music/theme.ogg"), true, kSoundGroupMusic);
    if (theme)
        theme->Play(1);
    // From here on the screens are driven by the main script.
    TWindowManager* windows = application->GetWindowManager();
    if (windows) {
        RegisterGameWindowTypes(windows);
        if (TWindowScript* script = GetWindowScript()) {
            RegisterShowAnimationLua(script->GetState());
            RegisterStageLua(script->GetState());
            RegisterShowScriptLua(script->GetState());
        }
        if (TWindowScriptHooks* script = windows->GetScript())
            script->RunFile(TString("scripts/mainloop.lua"));
    }

    // Every drawn frame runs an event pass, then the 2D animations' update.
    std::unique_ptr<KEvent::EventTrigger> trigger;
    if (TTaskList* tasks = application->GetTaskList())
        trigger.reset(KEvent::InstallEventTrigger(*tasks, [] { KAnim::AnimManager::Get()->Update(); }));

    TGameLoop loop(windows);
    loop.Start();
    TPlatformEvent event;
    application->GetEvent(event);
    while (loop.Handle(event))
        application->GetEvent(event);

    trigger.reset();
    KEvent::SetConfettiFactory(nullptr);
    if (theme)
        theme->StopAll();
    DestroyGameSingletons();
}
