// The window script: its natives, the dialog builder's parent stack and
// GenericCreate, run on a window manager without a display.
#include <gtest/gtest.h>

#include "WindowScriptSupport.h"
#include "ui/ModalWindow.h"
#include "ui/Style.h"

namespace uitest {
namespace {

class WindowScriptTest : public WindowScriptFixture {};

TEST_F(WindowScriptTest, PublishesNativesTypesAndTheDialogLibrary)
{
    for (const char* name :
         {"PostCreate", "GetLabel", "SetLabel", "_SetBitmap", "SetPosition", "SetCommand", "SetWindowName", "FillRect",
          "GetTimer", "GetConfig", "IsEnabled", "DoSelectLayer", "EnableWindow", "GetButtonToggleState",
          "SetButtonToggleState", "PopWindow", "RealSetFocus", "StringToClipboard", "UpdateWindow", "PushModal",
          "ClearModalChildren", "GetWindowDepth", "DoPopModal", "HandleGetMessage", "GenericCreate",
          "CreateNamedMessage", "CreateCloseMessage", "PostMessage", "PostMessageToParent", "_GetString", "StartMovie",
          "IsMoviePlaying", "StopMovie", "ImageLoaded", "DestroyWindow", "DoFitToChildren", "SetTopModalOnly",
          "Window", "DoModal", "WaitForMessage"})
        EXPECT_EQ(Eval("type(" + std::string(name) + ")"), "function") << name;
    lua_State* L = mScript->GetState();
    lua_getfield(L, LUA_REGISTRYINDEX, "dnMessageMetatable");
    EXPECT_TRUE(lua_istable(L, -1));
    lua_pop(L, 1);
    EXPECT_EQ(Eval("kModalClosed"), "6");
    EXPECT_EQ(mScript->GetWaitingState(), kScriptStarted);
    EXPECT_FALSE(mScript->GetTranslateLabels());
    EXPECT_FALSE(mManager->SetTranslateLabels(true));
    EXPECT_TRUE(mScript->GetTranslateLabels());
    // a constructor sets the type name and returns the builder's command
    EXPECT_EQ(Eval("(function() local t = {}; local f = Window(t); return t.typename .. type(f) end)()"),
              "Windowfunction");
}

TEST_F(WindowScriptTest, WindowTypeNamesMustBeLuaNames)
{
    EXPECT_TRUE(mManager->RegisterWindowType("Panel", &TWindow::GetCreator));
    EXPECT_EQ(Eval("type(Panel)"), "function");
    // the name is written into Lua code: anything else is refused
    EXPECT_FALSE(mManager->RegisterWindowType("x() end os = nil --", &TWindow::GetCreator));
    EXPECT_FALSE(mManager->RegisterWindowType("", &TWindow::GetCreator));
    EXPECT_EQ(Eval("type(os)"), "nil");
}

TEST_F(WindowScriptTest, BuildsNestedWindowsAndTellsTheObserver)
{
    struct Observer : TWindowCreationObserver {
        std::vector<std::string> seen;
        void WindowCreated(TWindow* w, const TStyle& style) override
        {
            seen.push_back(Str(w->GetName()) + ":" + std::to_string(style.GetInt("w", -1)));
        }
    } observer;
    mScript->SetCreationObserver(&observer);
    ModalProbe* dialog = PushDialog("dialog");
    ASSERT_TRUE(Run("local f = loadfile('assets/script_nested.lua'); f()"));
    TWindow* outer = dialog->FindChild("outer", 1);
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(outer->GetRect(), TRect(10, 20, 210, 120));
    TWindow* inner = outer->FindChild("inner", 1);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->GetRect(), TRect(5, 6, 55, 46));
    EXPECT_NE(outer->FindChild("grouped", 1), nullptr);
    // the last window made sets the dialog size globals
    EXPECT_EQ(Eval("innerWidth"), "30");
    EXPECT_EQ(mScript->GetCurrentParent(), dialog);
    EXPECT_EQ(mScript->GetParentDepth(), 1u);
    EXPECT_EQ(observer.seen, (std::vector<std::string>{"outer:200", "inner:50", "grouped:30"}));
}

// A window that refuses to be attached.
class Refuser : public Probe {
public:
    Refuser() : Probe("refuser", 0) {}
    bool OnAttach() override { return false; }
    static TWindow* Create() { return new Refuser(); }
};

TEST_F(WindowScriptTest, FailedCreationKeepsTheParentStackBalanced)
{
    mScript->RegisterWindowType("Refused", &Refuser::Create);
    ModalProbe* dialog = PushDialog("dialog");
    struct Case {
        const char* code;
        const char* log;
    } cases[] = {
        // an unknown type: nothing of its table reaches a window
        {"DoWindow{ typename = 'Nope', name = 'renamed', Window{ name = 'orphan' } }", "no window type \"Nope\""},
        // a refused window is deleted, and so is nothing else of its table
        {"Refused{ name = 'renamed', Window{ name = 'orphan', Window{ name = 'deeper' } } }()",
         "refused a \"Refused\" window"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        gLog.clear();
        mLog.Restart();
        ASSERT_TRUE(Run(c.code));
        EXPECT_TRUE(LogHas(c.log)) << mLog.Text();
        EXPECT_TRUE(LogHas("no current parent window")) << mLog.Text();
        EXPECT_EQ(mScript->GetCurrentParent(), dialog);
        EXPECT_EQ(mScript->GetParentDepth(), 1u);
        EXPECT_EQ(dialog->GetName(), TString("dialog"));
        EXPECT_EQ(dialog->GetChildren().size(), 0u);
    }
    EXPECT_EQ(Only("refuser:deleted").size(), 1u);

    // without a parent nothing is made and nothing breaks
    mScript->SetCurrentParent(nullptr);
    mLog.Restart();
    ASSERT_TRUE(Run("Window{ name = 'lost' }()"));
    EXPECT_TRUE(LogHas("GenericCreate: no current parent window")) << mLog.Text();
    EXPECT_EQ(mScript->GetParentDepth(), 0u);
}

TEST_F(WindowScriptTest, WindowsUnderTheTopModal)
{
    EXPECT_EQ(Eval("GetWindowDepth()"), "1");  // the root screen
    ModalProbe* lower = PushDialog("lower");
    Place(lower, new Probe("lowerChild", 0), 0, 0, 10, 10);
    ModalProbe* top = PushDialog("top");
    Probe* w = Place(top, new Probe("w", 0), 1, 1, 20, 20);
    EXPECT_EQ(Eval("GetWindowDepth()"), "3");

    EXPECT_EQ(Eval("GetLabel('missing')"), "missing_is_not_found");
    EXPECT_EQ(Eval("GetLabel('w')"), "w_is_not_a_TText_window_or_TButton");
    ASSERT_TRUE(Run("SetPosition('w', 10.9, -3.2)"));
    EXPECT_EQ(w->GetRect(), TRect(10, -3, 30, 17));
    ASSERT_TRUE(Run("SetPosition('missing', 1, 1)"));

    // found in a dialog below the top modal
    EXPECT_EQ(Eval("EnableWindow('lowerChild', false)"), "true");
    EXPECT_FALSE(lower->FindChild("lowerChild")->HasFlags(kWindowShown));
    EXPECT_EQ(Eval("EnableWindow('lowerChild', true)"), "true");
    EXPECT_TRUE(lower->FindChild("lowerChild")->HasFlags(kWindowShown));
    EXPECT_EQ(Eval("EnableWindow('missing', true)"), "false");

    EXPECT_EQ(Eval("IsMoviePlaying()"), "false");
    EXPECT_EQ(Eval("StartMovie('intro.swf', false, false)"), "false");
    EXPECT_EQ(Eval("ImageLoaded('w')"), "false");

    ASSERT_TRUE(Run("SetTopModalOnly(1)"));
    EXPECT_TRUE(mManager->IsTopModalOnly());

    // the current parent is the top modal: rename it, destroy a child
    ASSERT_TRUE(Run("SetWindowName('renamed'); DestroyWindow('w')"));
    EXPECT_EQ(Str(top->GetName()), "renamed");
    EXPECT_EQ(top->FindChild("w"), nullptr);
    EXPECT_TRUE(mManager->IsPendingDelete(w));

    Place(top, new Probe("x", 0), 0, 0, 300, 300);
    ASSERT_TRUE(Run("ClearModalChildren()"));
    EXPECT_EQ(top->GetChildren().size(), 0u);
    EXPECT_EQ(top->GetRect(), TRect(0, 0, 0, 0));
}

TEST_F(WindowScriptTest, PushAndPopModalsFromScripts)
{
    ASSERT_TRUE(Run("id = PushModal('first')"));
    TModalWindow* first = mManager->GetTopModal();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Str(first->GetName()), "first");
    EXPECT_EQ(Eval("id"), Str(first->GetIdString()));
    EXPECT_EQ(mScript->GetCurrentParent(), first);
    ASSERT_TRUE(Run("Window{ name = 'c', w = 70, h = 30 }(); DoFitToChildren()"));
    EXPECT_EQ(first->GetWidth(), 800);  // a zero-width modal takes its parent's size
    ASSERT_TRUE(Run("PushModal('second'); DoPopModal('first')"));
    EXPECT_EQ(mManager->GetTopModal(), mScreen);
    EXPECT_EQ(mScript->GetCurrentParent(), mScreen);
}

TEST_F(WindowScriptTest, NativesOnADeletedParentAreLoggedNoOps)
{
    ModalProbe* dialog = PushDialog("dialog");
    EXPECT_EQ(mScript->GetCurrentParent(), dialog);
    mScript->PushParent(Place(dialog, new Probe("inner", 0), 0, 0, 5, 5));
    mManager->PopModal();
    Pump();  // the dialog and its child are deleted
    EXPECT_EQ(Only("dialog:deleted").size(), 1u);
    EXPECT_EQ(mScript->GetCurrentParent(), mScreen);
    // the stack lost both deleted windows; now empty it and call natives
    mScript->SetCurrentParent(nullptr);
    mLog.Restart();
    ASSERT_TRUE(Run("SetWindowName('x'); PostCreate({}, 'Window'); DestroyWindow('x'); DoFitToChildren(); PopWindow()"));
    EXPECT_TRUE(LogHas("SetWindowName: no current parent window")) << mLog.Text();
    EXPECT_TRUE(LogHas("PopWindow: the parent stack is empty")) << mLog.Text();
    EXPECT_EQ(Str(mScreen->GetName()), "screen");
}

TEST_F(WindowScriptTest, ApplicationServicesGoThroughTheHost)
{
    struct Host : TWindowScriptHost {
        std::string clipboard;
        bool StringToClipboard(const TString& text) override
        {
            clipboard = Str(text);
            return true;
        }
        TString GetString(const TString& key, const TString args[5]) override
        {
            return key + "(" + args[0] + "," + args[4] + ")";
        }
    } host;
    // without a host: no clipboard, no strings
    EXPECT_EQ(Eval("StringToClipboard('x')"), "false");
    EXPECT_EQ(Eval("GetString('KEY', 'a')"), "");

    TWindowScript script(&host);
    lua_State* L = script.GetState();
    ASSERT_EQ(luaL_dostring(L, "return StringToClipboard('copied'), GetString('KEY', 'a'), "
                               "_GetString('K', 1, nil, nil, nil, 'e'), GetTimer(), "
                               "GetConfig('h21key'), IsEnabled('h21flag')"), 0);
    EXPECT_TRUE(lua_toboolean(L, 1));
    EXPECT_EQ(host.clipboard, "copied");
    EXPECT_STREQ(lua_tostring(L, 2), "KEY(a,)");
    EXPECT_STREQ(lua_tostring(L, 3), "K(1,e)");
    EXPECT_EQ(lua_tonumber(L, 4), double(gNow));
    EXPECT_STREQ(lua_tostring(L, 5), "");
    EXPECT_FALSE(lua_toboolean(L, 6));
}

} // namespace
} // namespace uitest
