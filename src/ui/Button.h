#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/TString.h"
#include "render/TextureRef.h"
#include "ui/LayeredWindow.h"

class TLuaFunction;
class TSound;

// The push, toggle and radio button: a layered window whose four layers
// hold the images of its states. It follows the pointer through the window
// manager's capture list, plays a rollover and a click sound, may limit its
// clickable area with a mask image, and on a click posts a kMsgButtonPress
// message with its name, optionally closes its dialog and runs its action.
// Window type "Button". Main thread only.
class TButton : public TLayeredWindow {
public:
    enum : int32_t { kPush = 0, kToggle = 1, kRadio = 2 };
    // States; kStateClicked is held only while a click is carried out.
    enum : int32_t { kStateNormal = 0, kStatePressed = 1, kStateRollover = 2, kStateClicked = 3 };
    // Button flags.
    enum : uint32_t { kSendToParent = 0x1, kOn = 0x2, kClose = 0x4, kDefault = 0x8 };

    // What a click runs.
    class Action {
    public:
        virtual ~Action() = default;
        virtual void Execute(TButton* button) = 0;
    };
    // Hands a kMsgLuaAction message ("LuaAction:" + the button's name) and
    // the function to the window script, which calls it.
    class LuaAction : public Action {
    public:
        explicit LuaAction(std::unique_ptr<TLuaFunction> function);
        ~LuaAction() override;
        void Execute(TButton* button) override;

    private:
        std::unique_ptr<TLuaFunction> mFunction;
    };

    TButton();
    ~TButton() override;

    const char* GetClassName() const override { return "TButton"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TLayeredWindow::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&TButton::GetCreator); }

    bool OnAttach() override;
    // After the window's keys: "sound", "rolloversound", "mask", "type",
    // "scale", "sendToParent", "beginGroup", "close", "default", "on", the
    // list "graphics" with "hflip", "vflip" and "rotate", then "command".
    void Init(const TStyle& style) override;
    void PostInit(const TStyle& style) override;
    bool OnMouseDown(TPoint point) override;
    bool OnMouseUp(TPoint point) override;
    bool OnMouseMove(TPoint point) override;
    // Back to normal, out of the capture list.
    bool OnMouseLeave() override;

    // Shows the layer of the state and plays its sound.
    virtual void OnStateChange(int32_t newState, int32_t oldState);
    virtual void SetState(int32_t state);
    int32_t GetState() const { return mState; }

    void SetType(int32_t type);
    int32_t GetType() const { return mType; }
    // On switches the other buttons of a radio button's group off.
    void SetToggleState(bool on);
    bool IsOn() const { return (mButtonFlags & kOn) != 0; }
    uint32_t GetButtonFlags() const { return mButtonFlags; }
    void SetAction(std::unique_ptr<Action> action);
    Action* GetAction() const { return mAction.get(); }
    // Index 0 plays on the return to normal, 1 on a click, 2 on rollover.
    void SetSound(const TString& name, int32_t index);
    const std::shared_ptr<TSound>& GetSound(int32_t index) const;
    // Copies the texture's pixels as the click mask; a texture that cannot
    // be locked leaves the mask as it was.
    void SetMaskImage(const TTextureRef& texture);
    bool HasMask() const { return !mMask.empty(); }
    // One image per layer (1 to 3 for push buttons, to 4 otherwise), named
    // "image<n>"; empty names add nothing. The button grows to its images.
    void SetGraphics(const std::vector<TString>& names, float scale, uint32_t drawFlags, bool rotate);
    // Posts the close and click messages and runs the action; true when the
    // action pushed or popped a dialog.
    bool DoClick();
    // The text of the descendant "label" when it is a text widget.
    void SetLabel(const TString& text);
    TString GetLabel() const;

    // Outside the clickable area (the point in the button's coordinates); a
    // point outside makes the button leave.
    bool IsOutside(TPoint point);

private:
    int32_t mType = kPush;
    int32_t mState = kStateNormal;
    uint32_t mButtonFlags = 0;
    std::unique_ptr<Action> mAction;
    std::shared_ptr<TSound> mSounds[3];
    std::vector<uint32_t> mMask; // 0xAARRGGBB, mMaskWidth per row
    int32_t mMaskWidth = 0;
    int32_t mMaskHeight = 0;
};

// The window as a button, or null.
TButton* CastToButton(TWindow* window);

// Switches off the other buttons of a radio button's group. Walked twice
// over the parent's children from the back (the order they were added in):
// phase 0 finds the group start (the last child with kWindowRadioGroup up to
// and including the button), phase 1 walks from it to the next group start.
class TRadioButtonSpider : public TWindowSpider {
public:
    explicit TRadioButtonSpider(TButton* button) : mButton(button) {}
    bool Visit(TWindow* window) override;
    void NextPhase() { mPhase = 1; }

private:
    int32_t mPhase = 0;
    bool mStarted = false;
    TWindow* mGroupStart = nullptr;
    TButton* mButton;
};
