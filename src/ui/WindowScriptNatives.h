#pragma once
// The native functions the window script publishes to Lua. Each is bound
// once, by name, through LuaBind; after the script is gone a call is a
// logged no-op. None raises a Lua error: windows that are not found, a
// missing window manager or top modal window make them do nothing.
#include <cstdint>

#include "lua.h"
#include "platform/TString.h"
#include "ui/Liveness.h"
#include "ui/Message.h"

class TWindow;
class TWindowScript;
class TLuaTable;

class TWindowScriptNatives {
public:
    explicit TWindowScriptNatives(TWindowScript& script) : mScript(script) {}
    // Publishes every function in the script's state.
    void Register(lua_State* L);
    const TLiveness& GetLiveness() const { return mLiveness; }

    // Dialog building.
    int GenericCreate(lua_State* L);
    int PostCreate(lua_State* L);
    void PopWindow();
    void SetWindowName(const TString& name);
    void DoFitToChildren();
    void DoSelectLayer(int32_t layer);
    void DestroyWindow(const TString& name);
    void RealSetFocus(const TString& name);

    // Windows under the top modal window.
    TString GetLabel(const TString& name);
    void SetLabel(const TString& name, const TString& text);
    void SetBitmap(const TString& name, const TString& image, double frame);
    void SetPosition(const TString& name, int32_t x, int32_t y);
    int SetCommand(lua_State* L);
    bool EnableWindow(const TString& name, bool on);
    bool GetButtonToggleState(const TString& name);
    void SetButtonToggleState(const TString& name, bool on);
    bool ImageLoaded(const TString& name);

    // Modal stack and drawing.
    TString PushModal(const TString& name);
    void DoPopModal(const TString& name);
    void ClearModalChildren();
    int32_t GetWindowDepth();
    void SetTopModalOnly(bool on);
    void UpdateWindow();
    void FillRect(TLuaTable* rect, TLuaTable* colour);

    // Messages.
    int HandleGetMessage(lua_State* L);
    TMessagePtr CreateNamedMessage(int32_t type, const TString& name);
    TMessagePtr CreateCloseMessage();
    int PostMessage(lua_State* L);
    int PostMessageToParent(lua_State* L);

    // Application services.
    double GetTimer();
    TString GetConfig(const TString& key);
    bool IsEnabled(const TString& key);
    bool StringToClipboard(const TString& text);
    TString GetString(const TString& key, const TString& a1, const TString& a2, const TString& a3,
                      const TString& a4, const TString& a5);

    // Movies, played by the window script's player.
    bool StartMovie(const TString& file, bool translate, bool allowInput);
    bool IsMoviePlaying();
    void StopMovie();

private:
    TWindow* CurrentParent(const char* function) const;
    // The named window under the top modal window, or null.
    TWindow* FindUnderTopModal(const TString& name) const;
    int Post(lua_State* L, bool toParent);

    TWindowScript& mScript;
    TLiveness mLiveness;
};
