// Buttons: layers by state, the pointer through the window manager, radio
// groups, masks, clicks (close, default, commands) and bad input; natively
// and from dialog scripts.
#include <gtest/gtest.h>

#include "ManagerTestSupport.h"
#include "WidgetImages.h"
#include "WindowScriptSupport.h"
#include "os/audio/AudioDevice.h"
#include "platform/AssetManager.h"
#include "render/Texture.h"
#include "sound/Sound.h"
#include "sound/SoundData.h"
#include "sound/SoundManager.h"
#include "support/OggWriter.h"
#include "ui/Button.h"
#include "ui/Image.h"
#include "ui/Style.h"

namespace uitest {
namespace {

void AddButtonImages(TWidgetImages& images)
{
    images.Add("b1.png", 40, 20, 0x101010);
    images.Add("b2.png", 40, 20, 0x202020);
    images.Add("b3.png", 40, 20, 0x303030);
    images.Add("b4.png", 40, 20, 0x404040);
    // (19, 19, 19), (20, 0, 0), (0, 20, 0), (0, 0, 0)
    const uint32_t mask[4] = {0x131313, 0x140000, 0x001400, 0x000000};
    images.Add("mask4x1.png", 4, 1, [mask](uint32_t x, uint32_t) { return mask[x]; });
}

// A dialog that records every message it is offered, then handles it as a
// modal window does (or only takes it, so that it stays up).
class RecordingDialog : public TModalWindow {
public:
    bool OnMessage(TMessage* m) override
    {
        gLog.push_back("msg:" + std::to_string(m->GetType()) + ":" + Str(m->GetName()));
        return closes ? TModalWindow::OnMessage(m) : true;
    }
    bool closes = true;
};

class ButtonTest : public ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        AddButtonImages(mImages);
        mDialog = new RecordingDialog();
        mDialog->SetName("dialog");
        mDialog->MoveTo(100, 100);
        mDialog->SetSize(400, 300);
        mManager->PushModal(mDialog);
    }

    // A button of the type with the four images, built as a script builds
    // it: added to the parent, then initialised.
    TButton* Add(const char* name, int32_t type, TValueStyle style = TValueStyle(), TWindow* parent = nullptr)
    {
        auto* button = static_cast<TButton*>(TButton::GetCreator());
        (parent ? parent : mDialog)->AddChild(button, true);
        style.Set("name", name).Set("type", type);
        button->Init(style);
        button->SetGraphics({"b1.png", "b2.png", "b3.png", "b4.png"}, 1, 0, false);
        button->SelectLayer(0);
        button->PostInit(style);
        return button;
    }

    // Pointer events in screen coordinates, messages delivered after each.
    void Send(int32_t type, int32_t x, int32_t y)
    {
        mManager->HandleEvent(Ev(type, x, y));
        mManager->DispatchMessages();
    }
    void Click(int32_t x, int32_t y)
    {
        Send(kEventMouseMove, x, y);
        Send(kEventLeftDown, x, y);
        Send(kEventLeftUp, x, y);
    }
    static bool LayerShown(TButton* button, uint32_t layer)
    {
        for (TWindow* child : button->GetLayer(layer))
            if (!child->HasFlags(kWindowShown))
                return false;
        return !button->GetLayer(layer).empty();
    }

    TTempFolder mTemp{"buttontest"};
    TLogCapture mLog{mTemp.File("log")};
    TWidgetImages mImages;
    RecordingDialog* mDialog = nullptr;
};

TEST_F(ButtonTest, TheLayerFollowsTheStateAndTheOnFlag)
{
    struct Case {
        int32_t type;
        bool on;
        int32_t state;
        int32_t layer;
    } cases[] = {
        {TButton::kPush, false, TButton::kStateNormal, 0},   {TButton::kPush, false, TButton::kStatePressed, 1},
        {TButton::kPush, false, TButton::kStateRollover, 2}, {TButton::kPush, true, TButton::kStateRollover, 2},
        {TButton::kToggle, false, TButton::kStateNormal, 0}, {TButton::kToggle, false, TButton::kStatePressed, 1},
        {TButton::kToggle, false, TButton::kStateRollover, 2}, {TButton::kToggle, true, TButton::kStateNormal, 1},
        {TButton::kToggle, true, TButton::kStatePressed, 0}, {TButton::kRadio, true, TButton::kStateRollover, 3},
        // the transient click state changes no layer (on, normal stays)
        {TButton::kToggle, true, TButton::kStateClicked, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + " on " + std::to_string(c.on) + " state " +
                     std::to_string(c.state));
        TButton* button = Add("b", c.type);
        button->SetToggleState(c.on);
        button->SetState(c.state);
        EXPECT_EQ(button->GetSelectedLayer(), c.layer);
        EXPECT_TRUE(LayerShown(button, uint32_t(c.layer)));
        delete button;
    }
}

TEST_F(ButtonTest, ImagesGoOnePerLayerAndTheButtonGrowsToThem)
{
    TButton* push = Add("push", TButton::kPush);
    EXPECT_EQ(push->GetLayer(3).size(), 0u); // push buttons take three images
    ASSERT_EQ(push->GetLayer(0).size(), 1u);
    EXPECT_EQ(push->GetLayer(0)[0]->GetName(), TString("image1"));
    EXPECT_EQ(push->GetWidth(), 40);
    EXPECT_EQ(push->GetHeight(), 20);

    auto* toggle = static_cast<TButton*>(TButton::GetCreator());
    mDialog->AddChild(toggle, true);
    toggle->Init(TValueStyle().Set("type", 1));
    toggle->SetGraphics({"b1.png", "", "b3.png", "b4.png"}, 0.5, kDrawMirrorX, true);
    EXPECT_TRUE(toggle->GetLayer(1).empty()); // an empty name adds nothing
    auto* image = TWindow::Cast<TImage>(toggle->FindChild("image4"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetDrawFlags(), uint32_t(kDrawMirrorX));
    EXPECT_TRUE(image->GetRotate());
    EXPECT_EQ(toggle->GetWidth(), 10);
    EXPECT_EQ(toggle->GetHeight(), 20);
}

TEST_F(ButtonTest, AClickTurnsAToggleOnAndShowsOnRolloverWhileThePointerStays)
{
    TButton* button = Add("tog", TButton::kToggle, TValueStyle().Set("x", 10).Set("y", 10));
    EXPECT_EQ(button->GetSelectedLayer(), 0);
    Send(kEventMouseMove, 120, 115);
    EXPECT_EQ(button->GetState(), TButton::kStateRollover);
    EXPECT_EQ(button->GetSelectedLayer(), 2);
    EXPECT_TRUE(mManager->HasCapture(button));
    Send(kEventLeftDown, 120, 115);
    EXPECT_EQ(button->GetState(), TButton::kStatePressed);
    EXPECT_EQ(button->GetSelectedLayer(), 1);
    Send(kEventLeftUp, 120, 115);
    EXPECT_TRUE(button->IsOn());
    EXPECT_EQ(button->GetState(), TButton::kStateRollover);
    EXPECT_EQ(button->GetSelectedLayer(), 3);
    EXPECT_TRUE(LayerShown(button, 3));
    EXPECT_FALSE(LayerShown(button, 0));
    EXPECT_EQ(Only("msg:"), std::vector<std::string>{"msg:3:tog"});
    // leaving shows "on, normal"
    Send(kEventMouseMove, 5, 5);
    EXPECT_EQ(button->GetState(), TButton::kStateNormal);
    EXPECT_EQ(button->GetSelectedLayer(), 1);
    EXPECT_EQ(mManager->GetCaptureCount(), 0u);
}

TEST_F(ButtonTest, PressingMovingOffAndReleasingElsewhereIsNoClick)
{
    TButton* button = Add("tog", TButton::kToggle, TValueStyle().Set("x", 10).Set("y", 10));
    Send(kEventMouseMove, 120, 115);
    Send(kEventLeftDown, 120, 115);
    Send(kEventMouseMove, 300, 300);
    EXPECT_EQ(button->GetState(), TButton::kStateNormal);
    EXPECT_FALSE(mManager->HasCapture(button));
    Send(kEventLeftUp, 300, 300);
    EXPECT_FALSE(button->IsOn());
    EXPECT_TRUE(Only("msg:3").empty());
}

TEST_F(ButtonTest, AReleaseInRolloverWithoutAPressFlipsAToggleSilently)
{
    TButton* button = Add("tog", TButton::kToggle, TValueStyle().Set("x", 10).Set("y", 10));
    Send(kEventMouseMove, 120, 115);
    Send(kEventLeftUp, 120, 115);
    EXPECT_TRUE(button->IsOn());
    EXPECT_EQ(button->GetSelectedLayer(), 3);
    EXPECT_TRUE(Only("msg:").empty());
}

TEST_F(ButtonTest, RadioGroupsRunFromOneBeginGroupToTheNext)
{
    // made on, outside the dialog, then added in order: A B C D E
    const char* names[] = {"A", "B", "C", "D", "E"};
    TButton* buttons[5];
    for (int i = 0; i < 5; ++i) {
        buttons[i] = static_cast<TButton*>(TButton::GetCreator());
        buttons[i]->Init(TValueStyle()
                             .Set("name", names[i])
                             .Set("type", TButton::kRadio)
                             .Set("beginGroup", i == 0 || i == 3)
                             .Set("on", i != 2));
    }
    for (TButton* b : buttons)
        mDialog->AddChild(b, true);
    buttons[2]->SetToggleState(true);
    std::string states;
    for (TButton* b : buttons)
        states += b->IsOn() ? '1' : '0';
    EXPECT_EQ(states, "00111");
    // switching D on leaves the first group alone and turns E off
    buttons[3]->SetToggleState(true);
    states.clear();
    for (TButton* b : buttons)
        states += b->IsOn() ? '1' : '0';
    EXPECT_EQ(states, "00110");
}

TEST_F(ButtonTest, WithoutABeginGroupTheGroupStartsAtTheFirstChild)
{
    TButton* a = Add("a", TButton::kRadio);
    TButton* b = Add("b", TButton::kRadio);
    a->SetToggleState(true);
    b->SetToggleState(true);
    EXPECT_FALSE(a->IsOn());
    EXPECT_TRUE(b->IsOn());
    // a toggle button is not switched off by its neighbour's group walk
    // unless it is in the group: here it is
    TButton* t = Add("t", TButton::kToggle);
    t->SetToggleState(true);
    a->SetToggleState(true);
    EXPECT_FALSE(b->IsOn());
    EXPECT_FALSE(t->IsOn());
}

TEST_F(ButtonTest, TheMaskDecidesByPixelWhateverItsSize)
{
    struct Case {
        int32_t width; // the button's; the mask is 4 x 1
        int32_t x;
        bool outside;
    } cases[] = {
        {40, 5, true},   // (19, 19, 19)
        {40, 15, false}, // (20, 0, 0)
        {40, 25, false}, // (0, 20, 0)
        {40, 35, true},  // black
        {4, 1, false},   // as large as the mask
        {2, 0, true},    // a mask larger than the button: column 0
        {2, 1, false},   // column 2
        {40, 40, true},  // beyond the button
        {40, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("width " + std::to_string(c.width) + " x " + std::to_string(c.x));
        TButton* button = Add("m", TButton::kPush, TValueStyle().Set("mask", "mask4x1.png"));
        ASSERT_TRUE(button->HasMask());
        button->SetSize(c.width, 10);
        button->SetState(TButton::kStateRollover);
        EXPECT_EQ(button->IsOutside(TPoint{c.x, 5}), c.outside);
        // outside, the button left its pointer state
        EXPECT_EQ(button->GetState(), c.outside ? TButton::kStateNormal : TButton::kStateRollover);
        delete button;
    }
}

TEST_F(ButtonTest, APointerOverAMaskedOutPartIsNotTaken)
{
    TButton* button = Add("m", TButton::kPush, TValueStyle().Set("x", 10).Set("y", 10).Set("mask", "mask4x1.png"));
    // the first quarter is masked out: the move goes to the dialog
    Send(kEventMouseMove, 112, 115);
    EXPECT_EQ(button->GetState(), TButton::kStateNormal);
    EXPECT_FALSE(mManager->HasCapture(button));
    Click(125, 115);
    EXPECT_EQ(Only("msg:"), std::vector<std::string>{"msg:3:m"});
}

TEST_F(ButtonTest, AMaskThatCannotBeReadLeavesTheOldOne)
{
    TButton* button = Add("m", TButton::kPush, TValueStyle().Set("mask", "mask4x1.png"));
    button->SetMaskImage(std::make_shared<TTexture>()); // no surface
    EXPECT_TRUE(button->HasMask());
    EXPECT_NE(mLog.Text().find("the old mask stays"), std::string::npos);
}

TEST_F(ButtonTest, ACloseButtonPostsTheCloseBeforeTheClick)
{
    Add("ok", TButton::kPush, TValueStyle().Set("x", 10).Set("y", 10).Set("close", true));
    mDialog->closes = false;
    Click(120, 115);
    EXPECT_EQ(Only("msg:"), (std::vector<std::string>{"msg:1:" + Str(mDialog->GetIdString()), "msg:3:ok"}));
    // a dialog that closes drops the click aimed at it
    gLog.clear();
    mDialog->closes = true;
    const std::string id = Str(mDialog->GetIdString());
    Click(120, 115);
    EXPECT_EQ(Only("msg:"), std::vector<std::string>{"msg:1:" + id});
    EXPECT_EQ(mManager->GetTopModal(), mScreen);
}

TEST_F(ButtonTest, EnterClicksTheDefaultButtonAndThenAsksTheDialog)
{
    Add("yes", TButton::kPush, TValueStyle().Set("default", true));
    mManager->HandleEvent(Ev(kEventChar, 0, 0, 13));
    mManager->DispatchMessages();
    // the click is posted, the default action sent at once
    EXPECT_EQ(Only("msg:"), (std::vector<std::string>{"msg:2:", "msg:3:yes"}));
}

TEST_F(ButtonTest, SendToParentPostsToTheParentOfTheTopDialog)
{
    TButton* button = Add("up", TButton::kPush, TValueStyle().Set("sendToParent", true));
    static_cast<ProbeOf<TScreen>*>(mScreen)->mTakes = kTakeMessages;
    EXPECT_FALSE(button->DoClick());
    mManager->DispatchMessages();
    EXPECT_EQ(Only("screen:msg"), std::vector<std::string>{"screen:msg:3:up"});
    EXPECT_TRUE(Only("msg:").empty());
}

TEST_F(ButtonTest, ACloseButtonOutsideEveryDialogClosesNothing)
{
    TWindow loose;
    TButton* button = Add("x", TButton::kPush, TValueStyle().Set("close", true), &loose);
    EXPECT_FALSE(button->DoClick());
    EXPECT_EQ(mManager->GetQueuedMessageCount(), 1u); // the click only
    mManager->DispatchMessages();
    EXPECT_EQ(mManager->GetTopModal(), mDialog);
    EXPECT_NE(mLog.Text().find("closes nothing"), std::string::npos);
}

TEST_F(ButtonTest, ADeletedButtonLeavesTheCaptureList)
{
    TButton* button = Add("gone", TButton::kPush, TValueStyle().Set("x", 10).Set("y", 10));
    Send(kEventMouseMove, 120, 115);
    ASSERT_TRUE(mManager->HasCapture(button));
    delete button;
    EXPECT_EQ(mManager->GetCaptureCount(), 0u);
    Send(kEventMouseMove, 121, 115);
}

// ---------------------------------------------------------------- sounds

// Buttons with a rollover and a click sound, on a sound manager without a
// device thread: every voice started stays active.
class ButtonSoundTest : public ButtonTest {
protected:
    void SetUp() override
    {
        ButtonTest::SetUp();
        SetAssetManager(&mAssets);
        mSounds = std::make_unique<TSoundManager>();
        AudioDeviceOptions options;
        options.backend = AudioBackend::Null;
        ASSERT_TRUE(mSounds->Init(options, false));
        mOgg = EncodeOgg(MakeSine(44100, 1, 0.5));
        RegisterMemoryFile("click.ogg", mOgg.data(), uint32_t(mOgg.size()));
        RegisterMemoryFile("roll.ogg", mOgg.data(), uint32_t(mOgg.size()));
    }
    void TearDown() override
    {
        mButton = nullptr;
        mDialog->DeleteChildren();
        mManager->HandleEvent(Ev(kEventIdle));
        mSounds.reset();
        SetAssetManager(nullptr);
        ButtonTest::TearDown();
    }
    size_t Voices() { return mSounds->GetActiveStreamCount(); }

    TAssetManager mAssets;
    std::unique_ptr<TSoundManager> mSounds;
    std::vector<uint8_t> mOgg;
    TButton* mButton = nullptr;
};

TEST_F(ButtonSoundTest, RolloverAndClickSoundsPlayOncePerChange)
{
    mButton = Add("s", TButton::kPush,
                  TValueStyle().Set("x", 10).Set("y", 10).Set("sound", "click.ogg").Set("rolloversound", "roll.ogg"));
    ASSERT_TRUE(mButton->GetSound(TButton::kStatePressed));
    ASSERT_TRUE(mButton->GetSound(TButton::kStateRollover));
    EXPECT_EQ(mButton->GetSound(TButton::kStatePressed)->GetData()->mGroup, kSoundGroupEffects);
    EXPECT_FALSE(mButton->GetSound(TButton::kStateNormal));

    struct Step {
        int32_t type, x, y;
        size_t voices;
    } steps[] = {
        {kEventMouseMove, 120, 115, 1}, // rollover
        {kEventMouseMove, 121, 115, 1}, // still over: nothing new
        {kEventLeftDown, 121, 115, 1},  // pressing plays nothing
        {kEventLeftUp, 121, 115, 2},    // the click, and no rollover sound after it
        {kEventMouseMove, 300, 300, 2}, // leaving: no sound of its own
        {kEventMouseMove, 120, 115, 3}, // over again
    };
    for (const Step& s : steps) {
        SCOPED_TRACE("event " + std::to_string(s.type) + " at " + std::to_string(s.x));
        Send(s.type, s.x, s.y);
        EXPECT_EQ(Voices(), s.voices);
    }
    // hidden buttons click silently
    mDialog->SetFlags(mDialog->GetFlags() & ~kWindowShown);
    mButton->SetState(TButton::kStatePressed);
    mButton->OnMouseUp(TPoint{5, 5});
    EXPECT_EQ(Voices(), 3u);
}

// ---------------------------------------------------------------- from scripts

class ButtonScriptTest : public WindowScriptFixture {
protected:
    void SetUp() override
    {
        WindowScriptFixture::SetUp();
        AddButtonImages(mImages);
        mImages.Add("wide.png", 100, 50);
        AddFixture("button_close.lua");
        AddFixture("button_command.lua");
    }
    void Click(int32_t x, int32_t y)
    {
        for (int32_t type : {kEventMouseMove, kEventLeftDown, kEventLeftUp}) {
            mManager->HandleEvent(Ev(type, x, y));
            mManager->DispatchMessages();
        }
    }
    TWidgetImages mImages;
};

TEST_F(ButtonScriptTest, ACloseButtonEndsDoModalWithItsName)
{
    ASSERT_TRUE(Run("return function() result = DoModal('button_close.lua') end"));
    ASSERT_TRUE(mScript->IsWaiting());
    auto* ok = CastToButton(mManager->GetTopModal()->FindChild("ok"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetWidth(), 60);
    Click(20, 15);
    Pump();
    EXPECT_EQ(Eval("result"), "ok");
    EXPECT_EQ(mManager->GetTopModal(), mScreen);
}

TEST_F(ButtonScriptTest, AButtonCommandRunsInTheScriptAndMayCloseTheDialog)
{
    ASSERT_TRUE(Run("return function() result = DoModal('button_command.lua') end"));
    ASSERT_TRUE(mScript->IsWaiting());
    Click(20, 15);
    Pump();
    EXPECT_EQ(Eval("result"), "by command");
    EXPECT_EQ(mManager->GetTopModal(), mScreen);
}

TEST_F(ButtonScriptTest, NativesForButtonsAndImages)
{
    ASSERT_TRUE(Run("PushModal('natives'); "
                    "Button{ name = 't', type = kToggle, graphics = { 'b1.png', 'b2.png', 'b3.png', 'b4.png' } }(); "
                    "Bitmap{ name = 'pic', image = 'wide.png' }(); Bitmap{ name = 'none' }()"));
    EXPECT_EQ(Eval("GetButtonToggleState('t')"), "false");
    ASSERT_TRUE(Run("SetButtonToggleState('t', true)"));
    EXPECT_EQ(Eval("GetButtonToggleState('t')"), "true");
    EXPECT_EQ(Eval("GetButtonToggleState('pic')"), "false");
    EXPECT_EQ(Eval("ImageLoaded('pic')"), "true");
    EXPECT_EQ(Eval("ImageLoaded('none')"), "false");
    EXPECT_EQ(Eval("ImageLoaded('t')"), "false");
    ASSERT_TRUE(Run("SetBitmap('none', 'b1.png')"));
    EXPECT_EQ(Eval("ImageLoaded('none')"), "true");
    EXPECT_EQ(mManager->GetTopModal()->FindChild("none")->GetWidth(), 40);

    // labels: the button's descendant text "label"
    ASSERT_TRUE(Run("Button{ name = 'lb', w = 80, h = 20, Group{ Text{ name = 'label', label = 'Go', w = 80, h = 20 } } }()"));
    EXPECT_EQ(Eval("GetLabel('lb')"), "Go");
    ASSERT_TRUE(Run("SetLabel('lb', 'Stop')"));
    EXPECT_EQ(Eval("GetLabel('lb')"), "Stop");
    EXPECT_EQ(Eval("GetLabel('t')"), "");
    EXPECT_EQ(Eval("GetLabel('pic')"), "pic_is_not_a_TText_window_or_TButton");

    // a command set later replaces none; clicking hands it to the script,
    // which is not waiting: it is queued with its message
    ASSERT_TRUE(Run("SetCommand('t', function() commanded = true end); SetCommand('pic', function() end)"));
    EXPECT_NE(mLog.Text().find("SetCommand: pic is no button"), std::string::npos);
    auto* t = CastToButton(mManager->GetTopModal()->FindChild("t"));
    ASSERT_NE(t, nullptr);
    ASSERT_NE(t->GetAction(), nullptr);
    EXPECT_FALSE(t->DoClick());
    EXPECT_EQ(Eval("table.getn(gCommandQueue)"), "1");
    EXPECT_EQ(Eval("gMessageQueue[1].name"), "LuaAction:t");
}

TEST_F(ButtonScriptTest, BadInputLogsAndLeavesAWorkingButton)
{
    struct Case {
        const char* style;
        const char* logged;
    } cases[] = {
        {"graphics = { 'missing.png', 'b2.png', 'b3.png' }", "missing.png"},
        {"mask = 'nomask.png'", "nomask.png"},
        {"sound = 'nosound.ogg', rolloversound = 'noroll.ogg'", "noroll.ogg"},
        {"type = 9", "type 9 unknown"},
        {"scale = -2, graphics = { 'b1.png' }", "no size factor"},
        {"command = 'not a function'", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        mLog.Restart();
        ASSERT_TRUE(Run(std::string("PushModal('bad'); Button{ name = 'b', w = 30, h = 10, ") + c.style + " }()"));
        auto* button = CastToButton(mManager->GetTopModal()->FindChild("b"));
        ASSERT_NE(button, nullptr);
        EXPECT_NE(mLog.Text().find(c.logged), std::string::npos);
        EXPECT_EQ(button->GetType(), TButton::kPush);
        EXPECT_FALSE(button->HasMask());
        EXPECT_EQ(button->GetAction(), nullptr);
        uint32_t queued = mManager->GetQueuedMessageCount();
        EXPECT_FALSE(button->DoClick());
        EXPECT_EQ(mManager->GetQueuedMessageCount(), queued + 1);
        mManager->PopModal();
        Pump();
    }
}

} // namespace
} // namespace uitest
