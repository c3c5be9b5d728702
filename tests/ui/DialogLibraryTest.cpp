// The dialog library run in a bare Lua state, with recording stand-ins for
// the window script's native functions (fixtures/dialog_natives.lua) and a
// driver that plays the script's coroutine and answers its waits.
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "script/LuaTestSupport.h"
#include "ui/DialogLibrary.h"

namespace {

std::string ReadFixture(const char* name)
{
    std::ifstream in(std::string(QUILLORY_TEST_DATA) + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A state with the library and the stand-ins loaded.
lua_State* NewDialogState()
{
    lua_State* L = NewLuaState();
    if (!L)
        return nullptr;
    std::string error;
    std::string natives = ReadFixture("dialog_natives.lua");
    if (!RunDialogLibrary(L, error) ||
        !RunLuaBuffer(L, natives.data(), natives.size(), "=natives", 0, 0, error)) {
        ADD_FAILURE() << error;
        lua_close(L);
        return nullptr;
    }
    return L;
}

void CheckDialogCase(const LuaCase& c)
{
    SCOPED_TRACE(c.code);
    lua_State* L = NewDialogState();
    ASSERT_NE(L, nullptr);
    std::string error;
    bool ok = RunLuaString(L, c.code, LUA_MULTRET, error);
    if (c.error) {
        EXPECT_FALSE(ok);
        EXPECT_NE(error.find(c.error), std::string::npos) << "message: " << error;
    } else if (!ok) {
        ADD_FAILURE() << error;
    } else {
        std::string results;
        for (int i = 1; i <= lua_gettop(L); ++i)
            results += (i > 1 ? "," : "") + DescribeLuaValue(L, i);
        EXPECT_EQ(results, c.result);
    }
    lua_close(L);
}

template <size_t N>
void CheckDialogCases(const LuaCase (&cases)[N])
{
    for (const LuaCase& c : cases)
        CheckDialogCase(c);
}

}  // namespace

TEST(DialogLibrary, SourceIsEmbeddedAndRunsUnderItsChunkName)
{
    size_t size = 0;
    const char* source = DialogLibrarySource(&size);
    ASSERT_NE(source, nullptr);
    EXPECT_GT(size, 1000u);
    EXPECT_NE(std::string(source, size).find("function WaitForMessage"), std::string::npos);

    static const LuaCase cases[] = {
        // an error inside the library names its chunk
        {"return Color(nil, 0, 0)", nullptr, "[string \"gScreenInit\"]"},
        {"return LUA_PATH, kPush, kToggle, kRadio, kAllLayers, kCenter, kMax, kDefault",
         "?;../?;../../?,0,1,2,-1,80000,160000,128", nullptr},
        {"return kHAlignLeft, kHAlignCenter, kHAlignRight, kVAlignTop, kVAlignCenter, kVAlignBottom, "
         "kPushButtonAlignment, kRadioButtonAlignment, kToggleButtonAlignment",
         "0,1,2,0,4,8,5,4,5", nullptr},
        {"return kCloseWindow, kDefaultAction, kButtonPress, kPressAnyKey, kQuitNow, kModalClosed",
         "1,2,3,4,5,6", nullptr},
        {"return kGameName, kGameVersion, kHiscoreLocalOnly, kHiscoreAnonymous, gReturnValue, gCurID, gBeginGroup",
         "gamename,version,hiscorelocal,hiscoreanon,nil,100,0", nullptr},
        {"local n = 0 for _, t in ipairs({idtable, gParent, gCurrentDefaultStyle, gClosedWindows, gCommandQueue, "
         "gMessageQueue, gDialogTable}) do if type(t) == 'table' and next(t) == nil then n = n + 1 end end return n",
         "7", nullptr},
    };
    CheckDialogCases(cases);
}

TEST(DialogLibrary, ColoursDistributionAndStrings)
{
    static const LuaCase cases[] = {
        {"return unpack(Color(255, 0, 0))", "1,0,0,1", nullptr},
        {"return unpack(Color(0, 51, 255, 51))", "0,0.2,1,0.2", nullptr},
        {"return unpack(Color(255, 255, 255, false))", "1,1,1,1", nullptr},
        {"return unpack(FColor(1, 0.5, 0))", "1,0.5,0,1", nullptr},
        {"return unpack(FColor(0, 0, 0, 0.25))", "0,0,0,0.25", nullptr},
        {"gDialogWidth = 400 local d = DistributeX(3) return d[1], d[2], d[3], table.getn(d), divisor",
         "100,200,300,3,4", nullptr},
        {"gDialogHeight = 200 local d = DistributeY(3) return d[1], d[2], d[3], table.getn(d)", "50,100,150,3",
         nullptr},
        // before any window was made
        {"return DistributeX(1)[1]", "0", nullptr},
        {"return GetString('key', 'a'), Calls()", "key,_GetString(key,a,,,,)", nullptr},
        {"SetBitmap('b', 'img') SetBitmap('c', 'img', 3) return Calls()", "_SetBitmap(b,img,1) _SetBitmap(c,img,3)",
         nullptr},
        {"SetFocus('edit') return Calls()", "RealSetFocus(edit)", nullptr},
    };
    CheckDialogCases(cases);
}

// A tag comes from the table, else (outer call) from the default style
// chain; only inner calls follow a table's own parent.
TEST(DialogLibrary, GetTagSearchesTheDefaultStyleChain)
{
    static const LuaCase cases[] = {
        {"return GetTag({x = 3}, 'x')", "3", nullptr},
        {"return GetTag({x = 3, parent = {x = 4}}, 'x')", "3", nullptr},
        {"return GetTag({parent = {x = 4}}, 'x')", "nil", nullptr},
        {"return GetTag({parent = {x = 4}}, 'x', true)", "4", nullptr},
        {"SetDefaultStyle({x = 5}) return GetTag({parent = {x = 4}}, 'x')", "5", nullptr},
        // false counts as missing
        {"SetDefaultStyle({x = 5}) return GetTag({x = false}, 'x')", "5", nullptr},
        // AppendStyle chains onto the current default style
        {"local base = {font = 'a', size = 1} SetStyle(base)() AppendStyle({size = 2})() "
         "return GetTag({}, 'font'), GetTag({}, 'size'), GetTag({size = 3}, 'size')",
         "a,2,3", nullptr},
        // appending the current style again makes no loop, and a loop made by
        // hand ends the search
        {"local s = {a = 1} AppendStyle(s)() AppendStyle(s)() return GetTag({}, 'b'), s.parent ~= s", "nil,true",
         nullptr},
        {"local a, b = {}, {} a.parent = b b.parent = a SetDefaultStyle(a) return GetTag({}, 'x'), "
         "string.find(Calls(), 'style chain too deep') ~= nil",
         "nil,true", nullptr},
        {"return GetTag(nil, 'x')", "nil", nullptr},
    };
    CheckDialogCases(cases);
}

TEST(DialogLibrary, WindowConstructorsBuildTheTreeInOrder)
{
    static const LuaCase cases[] = {
        {"local t = {name = 'ok'} local c = Button(t) return t.typename, type(c), Calls()", "Button,function,",
         nullptr},
        {"Button{name = 'ok', w = 80}() return Calls(), parents, typename",
         "GenericCreate({ok}) SetWindowName(ok) PostCreate({ok},Button) PopWindow(),1,Button", nullptr},
        // children are made inside their window, then the window's PostCreate
        {"Window{name = 'w', Button{name = 'a'}, Text{name = 'b'}}() return Calls()",
         "GenericCreate({w}) SetWindowName(w) GenericCreate({a}) SetWindowName(a) PostCreate({a},Button) "
         "PopWindow() GenericCreate({b}) SetWindowName(b) PostCreate({b},Text) PopWindow() PostCreate({w},Window) "
         "PopWindow()",
         nullptr},
        // a command's result does not stop the later ones
        {"local n = 0 MakeDialog{function() n = n + 1 return true end, function() n = n + 1 end} return n", "2",
         nullptr},
        // an entry that is no command is reported and skipped
        {"local n = 0 MakeDialog{'oops', function() n = n + 1 end} return n, Calls()",
         "1,_ALERT(dialog entry 1 is a string, not a command)", nullptr},
        // BeginGroup marks the next window only
        {"local a, b = {name = 'a'}, {name = 'b'} Window{BeginGroup(), Button(a), Button(b)}() "
         "return a.beginGroup, b.beginGroup, gBeginGroup",
         "1,0,0", nullptr},
        // a style set inside a window ends with it
        {"local outer, inner = {}, {} SetDefaultStyle(outer) local seen "
         "Window{SetStyle(inner), function() seen = gCurrentDefaultStyle end}() "
         "return seen == inner, gCurrentDefaultStyle == outer",
         "true,true", nullptr},
        // a group makes no window of its own
        {"MakeDialog{Group{Button{name = 'g'}}, SelectLayer(2), FitToChildren(), SetDefault(1)} return Calls()",
         "GenericCreate({g}) SetWindowName(g) PostCreate({g},Button) PopWindow() DoSelectLayer(2) DoFitToChildren()",
         nullptr},
        {"Push('a') Push('b') Pop() return gParent[1], table.getn(gParent)", "a,1", nullptr},
    };
    CheckDialogCases(cases);
}

TEST(DialogLibrary, WaitForMessageTakesTheQueueNewestFirstThenWaits)
{
    static const LuaCase cases[] = {
        // queued messages come back newest first without a wait
        {"gMessageQueue = {Msg(3, 'first'), Msg(3, 'second')} "
         "local a, b = Drive(function() return WaitForMessage(), WaitForMessage() end) "
         "return a.name, b.name, Calls()",
         "second,first,", nullptr},
        // an empty queue waits; the timeout is handed on, a missing one as one nil argument
        {"local m = Drive(function() return WaitForMessage(250) end, {{Msg(2, 'x')}}) "
         "local n = Drive(function() return WaitForMessage() end, {{}}) return m.name, n, Calls()",
         "x,nil,HandleGetMessage(250) HandleGetMessage(nil)", nullptr},
        // skipQueue waits even with messages queued
        {"gMessageQueue = {Msg(3, 'q')} local m = Drive(function() return WaitForMessage(5, true) end, "
         "{{Msg(4, 'k')}}) return m.name, table.getn(gMessageQueue)",
         "k,1", nullptr},
        // a command handed with the message is called, its result kept for the next wait
        {"local ran = 0 local m = Drive(function() return WaitForMessage() end, "
         "{{Msg(8, ''), function() ran = ran + 1 return 'done' end}}) return m.type, ran, gYieldResult",
         "8,1,done", nullptr},
        // without one, the newest queued command runs
        {"local ran = '' gCommandQueue = {function() ran = ran .. 'a' end, function() ran = ran .. 'b' return 7 end} "
         "Drive(function() return WaitForMessage() end, {{Msg(3, 'b')}}) "
         "return ran, gYieldResult, table.getn(gCommandQueue)",
         "b,7,1", nullptr},
        // a queued command waits for a real wait: a queued message is returned first
        {"local ran = false gMessageQueue = {Msg(3, 'q')} gCommandQueue = {function() ran = true end} "
         "Drive(function() return WaitForMessage() end) return ran",
         "false", nullptr},
        // Yield hands its values out and returns what the script is resumed with
        {"local out local r = Drive(function() return Yield(1, 2) end, {function(v) out = v return 'in' end}) "
         "return out, r",
         "1,in", nullptr},
    };
    CheckDialogCases(cases);
}

TEST(DialogLibrary, PauseWaitsOutItsTimeThroughHandleGetMessage)
{
    static const LuaCase cases[] = {
        // messages met on the way are queued for later, the rest of the time is waited out
        {"now = 1000 Drive(function() Pause(100) end, {After(60, Msg(3, 'b')), TimeOut}) "
         "return now, gMessageQueue[1].name, Calls()",
         "1100,b,HandleGetMessage(100) HandleGetMessage(40)", nullptr},
        // a key press ends the pause only when asked, and is then used up
        {"Drive(function() Pause(100, true) end, {After(10, Msg(kPressAnyKey, 'k'))}) "
         "return now, table.getn(gMessageQueue)",
         "10,0", nullptr},
        {"Drive(function() Pause(100) end, {After(10, Msg(kPressAnyKey, 'k')), TimeOut}) "
         "return now, gMessageQueue[1].type",
         "100,4", nullptr},
        // the clock wraps at 32 bits
        {"now = 4294967290 Drive(function() Pause(100) end, {TimeOut}) return now, Calls()",
         "94,HandleGetMessage(100)", nullptr},
        {"Drive(function() Pause(0) Pause(nil) Pause(-5) end) return Calls()", "", nullptr},
    };
    CheckDialogCases(cases);
}

TEST(DialogLibrary, ModalLoopsWaitForTheirOwnClose)
{
    static const LuaCase cases[] = {
        // a close of another dialog is remembered, and its own wait then ends at once
        {"local last Drive(function() WaitForCloseMessage('a') end, "
         "{{Msg(kModalClosed, 'b')}, {Msg(kButtonPress, 'x')}, {Msg(kModalClosed, 'a')}}) "
         "last = gLastMessage.name "
         "Drive(function() WaitForCloseMessage('b') end) "
         "return last, gClosedWindows.b, gClosedWindows.a, Calls()",
         "a,nil,nil,HandleGetMessage(nil) HandleGetMessage(nil) HandleGetMessage(nil)", nullptr},
        {"Drive(function() WaitForCloseMessage('a') end, {{}, {Msg(kCloseWindow, 'a')}, {Msg(kModalClosed, 'a')}}) "
         "return gLastMessage.type",
         "6", nullptr},
        // DoModal runs the file in a new modal and returns the value it left
        {"files['assets/d.lua'] = function() Button{name = 'ok'}() CloseWindow(7) end "
         "local v = Drive(function() return DoModal('d.lua') end, {{Msg(kModalClosed, 'modal1')}}) "
         "return v, gReturnValue, Calls()",
         "7,nil,PushModal(d.lua) loadfile(assets/d.lua) GenericCreate({ok}) SetWindowName(ok) "
         "PostCreate({ok},Button) PopWindow() PostMessage(msg1:close) DoFitToChildren() HandleGetMessage(nil)",
         nullptr},
        // a dialog file that does not load is reported and its modal popped
        {"local v = Drive(function() return DoModal('missing.lua') end) return v, depth, Calls()",
         "nil,1,PushModal(missing.lua) loadfile(assets/missing.lua) _ALERT(cannot open assets/missing.lua) "
         "DoPopModal(modal1)",
         nullptr},
        {"files['assets/d.lua'] = function() ModalReturn(false) end "
         "local v = Drive(function() return DisplayDialog{'d.lua', extra = 1} end, {{Msg(kModalClosed, 'modal1')}}) "
         "return v, gDialogTable.extra, Calls()",
         "false,1,PushModal(d.lua) loadfile(assets/d.lua) HandleGetMessage(nil)", nullptr},
        // an empty dialog only says so
        {"return DisplayDialog{''}, depth, Calls()",
         "nil,1,DebugOut(DisplayDialog called with empty script; aborting)", nullptr},
        {"DisplayDialog{} DisplayDialog() return modals", "0", nullptr},
        // the main window loops until its layer is gone
        {"files['assets/main.lua'] = function() end "
         "Drive(function() DoMainWindow('main.lua') end, {{Msg(3, 'x')}, function() depth = depth - 1 end}) "
         "return depth, gLastMessage.name",
         "1,x", nullptr},
        {"files['assets/s.lua'] = function() end SwapToModal('s.lua') return Calls()",
         "ClearModalChildren() loadfile(assets/s.lua) DoFitToChildren()", nullptr},
        {"files['assets/r.lua'] = function() return 1, 2 end return ReadFile('r.lua')", "1,2", nullptr},
        // FlushMessages waits until a pass brings nothing, then drops the queues
        {"gMessageQueue = {Msg(3)} gCommandQueue = {function() end} "
         "Drive(function() FlushMessages() end, {{Msg(3, 'late')}, {}}) "
         "return table.getn(gMessageQueue), table.getn(gCommandQueue), Calls()",
         "0,0,HandleGetMessage(1) HandleGetMessage(1)", nullptr},
    };
    CheckDialogCases(cases);
}

TEST(DialogLibrary, DisplaySplashAlwaysPopsItsLayer)
{
    static const LuaCase cases[] = {
        // no movie and no image: nothing to show, the layer goes again
        {"Drive(function() DisplaySplash('intro.swf', nil, 1000) end) return depth, Calls()",
         "1,PushModal(DisplaySplash) StartMovie(intro.swf,false,false) DoPopModal(modal1)", nullptr},
        // an image that does not load ends it after the two short pauses
        {"imageLoads = false Drive(function() DisplaySplash(nil, 'pic', 1000) end, {TimeOut, TimeOut}) "
         "return depth, now",
         "1,100", nullptr},
        // an image stays for its time, waiting a pass at a time
        {"SetDefaultStyle({translate = true}) local bitmap "
         "GenericCreate = function(t) bitmap = t end "
         "Drive(function() DisplaySplash(nil, 'pic', 300) end, "
         "{TimeOut, TimeOut, After(100), After(50, Msg(kButtonPress, 'x')), After(60)}) "
         "return depth, now, bitmap.name, bitmap.image, type(bitmap[1]), gMessageQueue[1]",
         "1,310,splashimage,pic,function,nil", nullptr},
        // a key ends it unless the style disables that; a close always does
        {"Drive(function() DisplaySplash(nil, 'pic', 5000) end, {TimeOut, TimeOut, {Msg(kPressAnyKey)}}) "
         "return depth, now",
         "1,100", nullptr},
        {"SetDefaultStyle({disableAbort = true}) Drive(function() DisplaySplash(nil, 'pic', 5000) end, "
         "{TimeOut, TimeOut, {Msg(kPressAnyKey)}, {Msg(kCloseWindow)}}) return depth",
         "1", nullptr},
        {"Drive(function() DisplaySplash(nil, 'pic', 5000) end, {TimeOut, TimeOut, {Msg(kModalClosed, 'modal1')}}) "
         "return depth",
         "1", nullptr},
        // a movie plays until it ends, whatever the time, and is stopped
        {"SetDefaultStyle({allowInput = 1}) movieStarts = true movieFrames = 2 "
         "Drive(function() DisplaySplash('m.swf', 'pic', 0) end, {{}, {}, {}}) return depth, inMovie, Calls()",
         "1,true,PushModal(DisplaySplash) StartMovie(m.swf,false,1) HandleGetMessage(1) HandleGetMessage(1) "
         "HandleGetMessage(1) StopMovie() DoPopModal(modal1)",
         nullptr},
    };
    CheckDialogCases(cases);
}
