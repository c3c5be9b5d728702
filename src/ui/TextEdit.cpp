#include "ui/TextEdit.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/Log.h"
#include "ui/ModalWindow.h"
#include "ui/Style.h"
#include "ui/WindowManager.h"
#include "ui/WindowScriptHooks.h"

namespace {

constexpr int32_t kKeyBackspace = 8;
constexpr int32_t kKeyTab = 9;
constexpr int32_t kKeyEnter = 13;
constexpr int32_t kKeyLeft = 37;
constexpr int32_t kKeyRight = 39;
constexpr int32_t kKeyInsert = 45;
constexpr int32_t kKeyDelete = 46;
constexpr int32_t kKeyV = 'V';
constexpr int32_t kModCtrl = 2;

// Finds the first edit, other than the one asking, that has a focus ring;
// depth first in child order, not entering nested modal windows.
class TextSpider : public TWindowSpider {
public:
    explicit TextSpider(const TTextEdit* self) : mSelf(self) {}
    bool Visit(TWindow* window) override
    {
        if (window->GetFlags() & kWindowModalRoot)
            return true;
        TTextEdit* edit = TWindow::Cast<TTextEdit>(window);
        if (edit && edit != mSelf && !edit->GetRing().empty()) {
            mFound = edit;
            return false;
        }
        window->Walk(*this);
        return !mFound;
    }
    TTextEdit* GetFound() const { return mFound; }

private:
    const TTextEdit* mSelf;
    TTextEdit* mFound = nullptr;
};

} // namespace

TTextEdit::TTextEdit()
{
    ChangeFlags(kWindowTakesFocus, 0);
    mBlink.Reset();
    mBlink.Start();
}

TTextEdit::~TTextEdit()
{
    if (mRing)
        std::erase(*mRing, this);
    mRing.reset();
    ReleaseAnim();
}

TWindow* TTextEdit::GetCreator()
{
    return new TTextEdit();
}

void TTextEdit::Init(const TStyle& style)
{
    JoinRing();
    const bool password = style.GetBool("password", false);
    const int32_t length = style.GetInt("length", 10);
    const TString ignore = style.GetString("ignore", TString());
    TWindowManager* manager = GetWindowManager();
    const bool translate = manager && manager->SetTranslateLabels(false);
    if (password)
        SetPassword(true);
    TText::Init(style);
    if (manager)
        manager->SetTranslateLabels(translate);
    if (length < 0)
        WriteLog("TTextEdit '%s': length %d; 0 used", GetName().c_str(), length);
    SetMaxLength(length);
    SetIgnore(ignore);
}

void TTextEdit::Draw()
{
    JoinRing();
    TText::Draw();
}

bool TTextEdit::Update()
{
    Refresh();
    return true;
}

std::vector<TTextEdit*> TTextEdit::GetRing() const
{
    return mRing ? *mRing : TRing();
}

void TTextEdit::JoinRing()
{
    if (mRing)
        return;
    TModalWindow* modal = GetModalWindow();
    if (!modal)
        return;
    SetTimer(kTimerDelay, true, true, false);
    TextSpider spider(this);
    modal->Walk(spider);
    if (TTextEdit* other = spider.GetFound()) {
        mRing = other->mRing;
        mRing->push_back(this);
    } else {
        mRing = std::make_shared<TRing>(TRing{this});
    }
}

void TTextEdit::FocusNext()
{
    if (!mRing || mRing->empty())
        return;
    auto it = std::find(mRing->begin(), mRing->end(), this);
    if (it == mRing->end())
        return;
    ++it;
    TTextEdit* next = it == mRing->end() ? mRing->front() : *it;
    if (TWindowManager* manager = GetWindowManager())
        manager->SetFocus(next);
}

void TTextEdit::SetText(const TString& value)
{
    mValue = value;
    mCaret = int32_t(mValue.Length());
    Refresh();
}

void TTextEdit::SetPassword(bool on)
{
    mPassword = on;
    Refresh();
}

void TTextEdit::SetIgnore(const TString& characters)
{
    mIgnore = characters;
    Refresh();
}

void TTextEdit::SetMaxLength(int32_t length)
{
    mMaxLength = std::max(length, 0);
}

void TTextEdit::SetEditable(bool on)
{
    mEditable = on;
    Refresh();
}

void TTextEdit::Refresh()
{
    const int32_t length = int32_t(mValue.Length());
    mCaret = std::clamp(mCaret, 0, length);
    const std::string shown = mPassword ? std::string(size_t(length), '*') : std::string(mValue.c_str());
    std::string text = shown;
    TWindowManager* manager = GetWindowManager();
    if (manager && manager->GetFocus() == this) {
        const bool on = mBlink.GetTime() % kBlinkPeriod > kBlinkPeriod / 2;
        if (on)
            text = shown.substr(0, size_t(mCaret)) + (mEditable ? "<cursor>" : "") + shown.substr(size_t(mCaret));
        if (on != mCaretShown) {
            mCaretShown = on;
            manager->Invalidate();
        }
    } else {
        mCaretShown = false;
    }
    TText::SetText(TString(text.c_str()));
}

bool TTextEdit::AllowEdit(int32_t action, int32_t character)
{
    switch (action) {
    case kEditInsert:
        if (int32_t(mValue.Length()) < mMaxLength)
            return true;
        AllowEdit(kEditRefused, character);
        return false;
    case kEditMove:
    case kEditPaste:
        return true;
    default:
        return false;
    }
}

bool TTextEdit::IsIgnored(int32_t c) const
{
    return c != 0 && mIgnore.Find(char(c)) >= 0;
}

void TTextEdit::PostChanged()
{
    if (TWindowManager* manager = GetWindowManager())
        manager->PostMessage(std::make_unique<TMessage>(kMsgTextChanged, GetName()));
}

bool TTextEdit::OnChar(int32_t character)
{
    if (!mEditable)
        return false;
    const int32_t c = character & 0xFF;
    bool handled = false;
    if (c == kKeyBackspace) {
        if (mCaret == 0) {
            handled = AllowEdit(kEditRefused, c);
        } else if (AllowEdit(kEditMove, c)) {
            std::string value = mValue.c_str();
            value.erase(size_t(mCaret) - 1, 1);
            mValue = value.c_str();
            --mCaret;
            handled = true;
        }
    } else if (c == kKeyTab) {
        if (!AllowEdit(kEditTab, c)) {
            FocusNext();
            return false;
        }
        handled = true;
    } else if (c == kKeyEnter) {
        handled = AllowEdit(kEditEnter, c);
    } else if (c < 32 || (c >= 128 && !mPassword)) {
        return false;
    } else if (IsIgnored(c)) {
        handled = true;
    } else if (AllowEdit(kEditInsert, c)) {
        std::string value = mValue.c_str();
        value.insert(size_t(mCaret), 1, char(c));
        mValue = value.c_str();
        ++mCaret;
        handled = true;
    }
    if (!handled)
        return false;
    Refresh();
    PostChanged();
    return true;
}

TString TTextEdit::Paste(const TString& clipboard) const
{
    std::string text = clipboard.c_str();
    if (text.size() > size_t(mMaxLength)) {
        WriteLog("TTextEdit '%s': a paste of %zu characters cut to %d", GetName().c_str(), text.size(),
                 mMaxLength);
        text.resize(size_t(mMaxLength));
    }
    std::erase_if(text, [this](char ch) {
        const auto c = static_cast<unsigned char>(ch);
        return IsIgnored(c) || c < 32 || c >= 128;
    });
    return TString(text.c_str());
}

bool TTextEdit::OnKeyDown(int32_t key, int32_t extra)
{
    JoinRing();
    const int32_t length = int32_t(mValue.Length());
    switch (key) {
    case kKeyLeft:
        if (mCaret == 0) {
            AllowEdit(kEditRefused, key);
            return true;
        }
        if (!AllowEdit(kEditMove, key))
            return false;
        --mCaret;
        Refresh();
        return true;
    case kKeyRight:
        if (mCaret >= length) {
            AllowEdit(kEditRefused, key);
            return true;
        }
        if (!AllowEdit(kEditMove, key))
            return false;
        ++mCaret;
        Refresh();
        return true;
    case kKeyDelete:
        if (!mEditable)
            return false;
        if (mCaret < length) {
            std::string value = mValue.c_str();
            value.erase(size_t(mCaret), 1);
            mValue = value.c_str();
            Refresh();
        } else {
            AllowEdit(kEditRefused, key);
        }
        return true;
    default:
        break;
    }
    const bool paste = (key == kKeyV && (extra & kModCtrl)) || key == kKeyInsert;
    if (!paste)
        return false;
    if (!mEditable)
        return false;
    if (AllowEdit(kEditPaste, key)) {
        TWindowManager* manager = GetWindowManager();
        TWindowScriptHooks* script = manager ? manager->GetScript() : nullptr;
        const TString clipboard = script ? script->GetClipboardString() : TString();
        if (!clipboard.IsEmpty())
            SetText(Paste(clipboard));
    }
    return true;
}
