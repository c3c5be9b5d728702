#include "ui/Button.h"

#include <algorithm>
#include <cstdio>

#include "platform/Log.h"
#include "render/DrawParams.h"
#include "render/Texture.h"
#include "render/TextureData.h"
#include "script/LuaValue.h"
#include "sound/Sound.h"
#include "sound/SoundInstance.h"
#include "ui/Image.h"
#include "ui/ModalWindow.h"
#include "ui/Style.h"
#include "ui/Text.h"
#include "ui/WindowManager.h"
#include "ui/WindowScriptHooks.h"
#include "ui/WindowStyle.h"

namespace {

constexpr int32_t kLayerCount = 4;
// Red, green or blue at least this much makes a mask pixel clickable.
constexpr uint32_t kMaskThreshold = 20;

bool IsDefaultButton(TWindow* window)
{
    TButton* button = CastToButton(window);
    return button && (button->GetButtonFlags() & TButton::kDefault);
}

bool ClickButton(TWindow* window)
{
    TButton* button = CastToButton(window);
    return button && button->DoClick();
}

// A text link's click: true for any button, whatever the click did.
bool ClickLinkedButton(TWindow* window)
{
    TButton* button = CastToButton(window);
    if (button)
        button->DoClick();
    return button != nullptr;
}

// Modal windows find default buttons, and text links click buttons,
// through these.
void InstallButtonHooks()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    TDefaultButtonHooks hooks;
    hooks.isDefault = IsDefaultButton;
    hooks.click = ClickButton;
    TModalWindow::SetDefaultButtonHooks(hooks);
    TText::SetButtonClick(ClickLinkedButton);
}

// Layer of each state (normal, pressed, rollover), off and on.
constexpr int32_t kLayers[2][3] = {{0, 1, 2}, {1, 0, 3}};

} // namespace

// ---------------------------------------------------------------- actions

TButton::LuaAction::LuaAction(std::unique_ptr<TLuaFunction> function) : mFunction(std::move(function)) {}

TButton::LuaAction::~LuaAction() = default;

void TButton::LuaAction::Execute(TButton* button)
{
    TWindowManager* manager = GetWindowManager();
    TWindowScriptHooks* script = manager ? manager->GetScript() : nullptr;
    if (!script || !mFunction) {
        WriteLog("Button %s: no window script to run its command", button->GetName().c_str());
        return;
    }
    script->RunAction(std::make_unique<TMessage>(kMsgLuaAction, "LuaAction:" + button->GetName()), *mFunction);
}

// ---------------------------------------------------------------- button

TButton::TButton() : TLayeredWindow(kLayerCount)
{
    InstallButtonHooks();
}

TButton::~TButton()
{
    // Out of the pointer state without touching layers or sounds: the
    // children go with the window.
    if (mState != kStateNormal) {
        if (TWindowManager* manager = GetWindowManager())
            manager->ReleaseCapture(this);
        mState = kStateNormal;
    }
}

TWindow* TButton::GetCreator()
{
    return new TButton();
}

TButton* CastToButton(TWindow* window)
{
    return TWindow::Cast<TButton>(window);
}

bool TButton::OnAttach()
{
    mState = kStateNormal;
    return true;
}

void TButton::Init(const TStyle& style)
{
    TLayeredWindow::Init(style);
    const TString sound = style.GetString("sound", TString());
    const TString rolloverSound = style.GetString("rolloversound", TString());
    const TString mask = style.GetString("mask", TString());
    SetType(style.GetInt("type", kPush));
    const float scale = float(style.GetNumber("scale", 1.0));
    if (style.GetBool("sendToParent", false))
        mButtonFlags |= kSendToParent;
    if (style.GetBool("beginGroup", false))
        ChangeFlags(kWindowRadioGroup, 0);
    if (style.GetBool("close", false))
        mButtonFlags |= kClose;
    if (style.GetBool("default", false))
        mButtonFlags |= kDefault;
    if (style.GetBool("on", false))
        SetToggleState(true);
    if (!sound.IsEmpty())
        SetSound(sound, kStatePressed);
    if (!rolloverSound.IsEmpty())
        SetSound(rolloverSound, kStateRollover);
    if (!mask.IsEmpty()) {
        // The texture maker logs a file that does not load.
        if (TTextureRef texture = TTexture::Get(mask, 0))
            SetMaskImage(texture);
    }

    const auto* table = dynamic_cast<const TWindowStyle*>(&style);
    if (std::unique_ptr<TLuaTable> graphics = table ? table->GetTable("graphics") : nullptr) {
        std::vector<TString> names;
        for (int32_t i = 1; i <= (mType == kPush ? 3 : 4); ++i)
            names.push_back(graphics->GetString(i, TString()));
        uint32_t drawFlags = (style.GetBool("hflip", false) ? kDrawMirrorX : 0u) |
                             (style.GetBool("vflip", false) ? kDrawMirrorY : 0u);
        SetGraphics(names, scale, drawFlags, style.GetBool("rotate", false));
    }
    if (std::unique_ptr<TLuaFunction> command = table ? table->GetFunction("command") : nullptr)
        SetAction(std::make_unique<LuaAction>(std::move(command)));
    SelectLayer(0);
}

void TButton::PostInit(const TStyle& style)
{
    TLayeredWindow::PostInit(style);
    SetState(kStateNormal);
}

void TButton::SetGraphics(const std::vector<TString>& names, float scale, uint32_t drawFlags, bool rotate)
{
    const size_t count = std::min(names.size(), size_t(mType == kPush ? 3 : 4));
    for (size_t i = 0; i < count; ++i) {
        if (names[i].IsEmpty())
            continue;
        auto* image = new TImage(false);
        char name[16];
        std::snprintf(name, sizeof name, "image%d", int(i + 1));
        image->SetName(name);
        image->SetDrawFlags(drawFlags);
        image->SetRotate(rotate);
        image->SetImage(TTexture::Get(names[i], 0), scale);
        SelectLayer(int32_t(i));
        if (!AddChild(image, true)) {
            WriteLog("Button %s: image %s refused", GetName().c_str(), name);
            delete image;
        }
    }
    FitToChildren();
}

// ---------------------------------------------------------------- state

void TButton::SetType(int32_t type)
{
    if (type < kPush || type > kRadio) {
        WriteLog("Button %s: type %d unknown; a push button", GetName().c_str(), type);
        type = kPush;
    }
    mType = type;
    if (TWindowManager* manager = GetWindowManager())
        manager->Invalidate();
}

void TButton::SetState(int32_t state)
{
    const int32_t old = mState;
    mState = state;
    OnStateChange(state, old);
}

void TButton::OnStateChange(int32_t newState, int32_t oldState)
{
    if (newState >= kStateNormal && newState <= kStateRollover) {
        const bool on = mType != kPush && IsOn();
        SelectLayer(kLayers[on ? 1 : 0][newState]);
    }
    if (newState == oldState || newState == kStatePressed || newState == kStateClicked || oldState == kStateClicked)
        return;
    if (newState < kStateNormal || newState > kStateRollover)
        return;
    if (mSounds[newState] && HasFlags(kWindowShown))
        mSounds[newState]->Play(0);
}

void TButton::SetToggleState(bool on)
{
    if (on && mType == kRadio && GetParent()) {
        TRadioButtonSpider spider(this);
        GetParent()->Walk(spider, true);
        spider.NextPhase();
        GetParent()->Walk(spider, true);
    }
    if (on)
        mButtonFlags |= kOn;
    else
        mButtonFlags &= ~kOn;
    SetState(mState);
}

void TButton::SetAction(std::unique_ptr<Action> action)
{
    mAction = std::move(action);
}

void TButton::SetSound(const TString& name, int32_t index)
{
    if (index < 0 || index > 2) {
        WriteLog("Button %s: sound index %d out of range", GetName().c_str(), index);
        return;
    }
    // The sound system logs a file that does not load.
    mSounds[index] = TSound::Create(name, true, kSoundGroupEffects);
}

const std::shared_ptr<TSound>& TButton::GetSound(int32_t index) const
{
    static const std::shared_ptr<TSound> kNone;
    return index >= 0 && index <= 2 ? mSounds[index] : kNone;
}

void TButton::SetMaskImage(const TTextureRef& texture)
{
    uint32_t* pixels = nullptr;
    uint32_t pitch = 0;
    if (!texture || !texture->Lock(pixels, pitch)) {
        WriteLog("Button %s: the mask cannot be read; the old mask stays", GetName().c_str());
        return;
    }
    const uint32_t width = texture->GetWidth();
    const uint32_t height = texture->GetHeight();
    const TTextureData* data = texture->GetData();
    if (!pixels || pitch < width || height > data->mSurfaceHeight || width > (1u << 16) || height > (1u << 16)) {
        WriteLog("Button %s: mask of %ux%u does not fit its surface; the old mask stays", GetName().c_str(), width,
                 height);
        texture->Unlock();
        return;
    }
    mMask.resize(size_t(width) * height);
    for (uint32_t y = 0; y < height; ++y)
        std::copy_n(pixels + size_t(y) * pitch, width, mMask.begin() + ptrdiff_t(size_t(y) * width));
    mMaskWidth = int32_t(width);
    mMaskHeight = int32_t(height);
    texture->Unlock();
}

// ---------------------------------------------------------------- pointer

bool TButton::IsOutside(TPoint point)
{
    if (point.x < 0 || point.y < 0 || point.x >= GetWidth() || point.y >= GetHeight()) {
        OnMouseLeave();
        return true;
    }
    if (mMask.empty() || mMaskWidth <= 0 || mMaskHeight <= 0)
        return false;
    // The button's point scaled onto the mask, whatever the mask's size.
    const int32_t column = int32_t(float(point.x) * (float(mMaskWidth) / float(GetWidth())));
    const int32_t row = int32_t(float(point.y) * (float(mMaskHeight) / float(GetHeight())));
    if (column >= 0 && column < mMaskWidth && row >= 0 && row < mMaskHeight) {
        const uint32_t pixel = mMask[size_t(row) * size_t(mMaskWidth) + size_t(column)];
        if (((pixel >> 16) & 0xFF) >= kMaskThreshold || ((pixel >> 8) & 0xFF) >= kMaskThreshold ||
            (pixel & 0xFF) >= kMaskThreshold)
            return false;
    }
    OnMouseLeave();
    return true;
}

bool TButton::OnMouseMove(TPoint point)
{
    if (IsOutside(point))
        return false;
    if (mState != kStateNormal)
        return true;
    SetState(kStateRollover);
    if (TWindowManager* manager = GetWindowManager())
        manager->AddCapture(this);
    return true;
}

bool TButton::OnMouseDown(TPoint point)
{
    TWindowManager* manager = GetWindowManager();
    if (mState == kStateNormal && manager)
        manager->AddCapture(this);
    SetState(kStatePressed);
    IsOutside(point);
    return true;
}

bool TButton::OnMouseUp(TPoint point)
{
    if (mState == kStateNormal || IsOutside(point))
        return true;
    if (mState == kStatePressed) {
        SetState(kStateClicked);
        if (mSounds[kStatePressed] && IsShown())
            mSounds[kStatePressed]->Play(0);
        if (DoClick()) {
            OnMouseLeave();
            return true;
        }
    }
    if (mType == kRadio)
        SetToggleState(true);
    else if (mType == kToggle)
        SetToggleState(!IsOn());
    if (IsShown())
        SetState(kStateRollover);
    else
        OnMouseLeave();
    return true;
}

bool TButton::OnMouseLeave()
{
    if (mState != kStateNormal) {
        if (TWindowManager* manager = GetWindowManager())
            manager->ReleaseCapture(this);
    }
    SetState(kStateNormal);
    return true;
}

// ---------------------------------------------------------------- click

bool TButton::DoClick()
{
    TWindowManager* manager = GetWindowManager();
    if (!manager) {
        WriteLog("Button %s: clicked without a window manager", GetName().c_str());
        return false;
    }
    if (mButtonFlags & kClose) {
        if (TModalWindow* modal = GetModalWindow()) {
            manager->PostMessage(std::make_unique<TMessage>(kMsgCloseWindow, modal->GetIdString()));
            if (TWindowScriptHooks* script = manager->GetScript())
                script->SetReturnValue(GetName());
        } else {
            WriteLog("Button %s: a close button outside every dialog closes nothing", GetName().c_str());
        }
    }
    TModalWindow* top = manager->GetTopModal();
    TWindow* target = (mButtonFlags & kSendToParent) ? (top ? top->GetParent() : nullptr) : GetParent();
    auto message = std::make_unique<TMessage>(kMsgButtonPress, GetName(), target);
    if (mAction) {
        // The action may replace itself (a new command): it lives until it
        // returns.
        std::unique_ptr<Action> running = std::move(mAction);
        running->Execute(this);
        if (!mAction)
            mAction = std::move(running);
        if (GetModalWindow() != manager->GetTopModal()) {
            if (mButtonFlags & kSendToParent)
                manager->PostMessage(std::move(message));
            return true;
        }
    }
    manager->PostMessage(std::move(message));
    return false;
}

// ---------------------------------------------------------------- radio groups

bool TRadioButtonSpider::Visit(TWindow* window)
{
    if (mPhase == 0) {
        if (window->GetFlags() & kWindowRadioGroup)
            mGroupStart = window;
        return window != mButton;
    }
    const bool startsGroup = (window->GetFlags() & kWindowRadioGroup) != 0;
    if (!mStarted) {
        // Without a marked start the group begins with the first child.
        if (mGroupStart && window != mGroupStart)
            return true;
        mStarted = true;
    } else if (startsGroup) {
        return false;
    }
    if (window != mButton) {
        if (TButton* other = CastToButton(window))
            other->SetToggleState(false);
    }
    return true;
}

// ---------------------------------------------------------------- label

namespace {

// The descendant text named "label" (not the button itself).
TText* FindLabel(const TWindow& button)
{
    for (TWindow* child : button.GetChildren()) {
        if (TWindow* found = child->FindChild("label"))
            return TWindow::Cast<TText>(found);
    }
    return nullptr;
}

} // namespace

void TButton::SetLabel(const TString& text)
{
    if (TText* label = FindLabel(*this))
        label->SetText(text);
}

TString TButton::GetLabel() const
{
    TText* label = FindLabel(*this);
    return label ? label->GetText() : TString();
}
