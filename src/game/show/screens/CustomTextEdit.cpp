#include "game/show/screens/CustomTextEdit.h"

#include <algorithm>
#include <string>

#include "platform/Log.h"
#include "sound/Sound.h"
#include "ui/Message.h"
#include "ui/ModalWindow.h"
#include "ui/Style.h"
#include "ui/WindowManager.h"

namespace {

constexpr int32_t kBackspace = 8;
constexpr int32_t kKeyInsert = 45;
constexpr int32_t kKeyDelete = 46;
constexpr int32_t kKeyV = 'V';
constexpr const char* kCaretTag = "<cursor>";

// Text the layout shows as it is: "\\" and "<" behind a backslash.
std::string MarkupLiteral(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '<')
            out += '\\';
        out += c;
    }
    return out;
}

} // namespace

bool RegisterCustomTextEdit(TWindowManager* windows)
{
    return windows && windows->RegisterWindowType(TString("TextEdit"), &TCustomTextEdit::GetCreator);
}

TWindow* TCustomTextEdit::GetCreator()
{
    return new TCustomTextEdit();
}

TString TCustomTextEdit::TypingSoundName(int32_t k)
{
    return StrFormat("sfx/sfx_typing_%02d.ogg?group=1000", k);
}

TCustomTextEdit::TCustomTextEdit()
{
    // Looked up once: a missing sound is logged here, not at every key.
    for (int32_t k = 1; k <= kTypingSounds; ++k)
        mTyping[k - 1] = mSounds.GetSound(TypingSoundName(k));
}

TCustomTextEdit::~TCustomTextEdit() = default;

void TCustomTextEdit::Init(const TStyle& style)
{
    mCleared = !style.GetBool("clearinitial", false);
    mAcceptWindow = style.GetString("enablewindow", TString());
    TTextEdit::Init(style);
}

void TCustomTextEdit::SetText(const TString& value)
{
    TTextEdit::SetText(value);
    ShowLiteral();
}

bool TCustomTextEdit::Update()
{
    const bool more = TTextEdit::Update();
    ShowLiteral();
    return more;
}

void TCustomTextEdit::ShowLiteral()
{
    const std::string value = GetText().c_str();
    if (value.find_first_of("\\<") == std::string::npos)
        return;
    const std::string shown = TText::GetText().c_str();
    const size_t caret = std::min(size_t(std::max(GetCaret(), 0)), value.size());
    const bool caretShown = shown == value.substr(0, caret) + kCaretTag + value.substr(caret);
    // Anything else is a password's stars or the value shown already.
    if (!caretShown && shown != value)
        return;
    const std::string literal =
        MarkupLiteral(value.substr(0, caret)) + (caretShown ? kCaretTag : "") + MarkupLiteral(value.substr(caret));
    TText::SetText(TString(literal.c_str(), uint32_t(literal.size())));
}

void TCustomTextEdit::ClearPrompt()
{
    mCleared = true;
    SetText(TString());
}

bool TCustomTextEdit::OnMouseUp(TPoint point)
{
    if (mCleared)
        return TTextEdit::OnMouseUp(point);
    ClearPrompt();
    UpdateAcceptWindow(0);
    PostTextChanged();
    return true;
}

bool TCustomTextEdit::OnChar(int32_t character)
{
    // The base erases at the caret it saw before asking; on a prompt the
    // backspace only clears it.
    if (!mCleared && (character & 0xFF) == kBackspace && IsEditable() && GetCaret() > 0) {
        ClearPrompt();
        UpdateAcceptWindow(0);
        PostTextChanged();
        return true;
    }
    const bool handled = TTextEdit::OnChar(character);
    ShowLiteral();
    return handled;
}

bool TCustomTextEdit::OnKeyDown(int32_t key, int32_t extra)
{
    const bool handled = TTextEdit::OnKeyDown(key, extra);
    if (handled && (key == kKeyDelete || key == kKeyInsert || key == kKeyV))
        UpdateAcceptWindow(0);
    ShowLiteral();
    return handled;
}

bool TCustomTextEdit::AllowEdit(int32_t action, int32_t character)
{
    if (!mCleared) {
        ClearPrompt();
        UpdateAcceptWindow(0);
    }
    if (!TTextEdit::AllowEdit(action, character))
        return false;
    if (action == kEditInsert) {
        PlayTypingSound();
        UpdateAcceptWindow(+1);
    } else if (action == kEditMove && character == kBackspace) {
        UpdateAcceptWindow(-1);
    }
    return true;
}

void TCustomTextEdit::PlayTypingSound()
{
    const int32_t k = mRandom.RandomInt(1, kTypingSounds);
    if (const std::shared_ptr<TSound>& sound = mTyping[k - 1])
        sound->Play(0);
}

void TCustomTextEdit::UpdateAcceptWindow(int32_t change)
{
    if (mAcceptWindow.IsEmpty())
        return;
    TModalWindow* modal = GetModalWindow();
    TWindow* accept = modal ? modal->FindChild(mAcceptWindow) : nullptr;
    if (!accept)
        return;
    const int32_t length = std::max(int32_t(GetText().Length()) + change, 0);
    const uint32_t flags = accept->GetFlags();
    accept->SetFlags(length > 0 ? flags | kWindowShown : flags & ~kWindowShown);
    if (TWindowManager* manager = GetWindowManager())
        manager->Invalidate();
}

void TCustomTextEdit::PostTextChanged()
{
    if (TWindowManager* manager = GetWindowManager())
        manager->PostMessage(std::make_unique<TMessage>(kMsgTextChanged, GetName()));
}
