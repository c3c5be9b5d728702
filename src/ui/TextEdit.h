#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Clock.h"
#include "platform/TString.h"
#include "ui/Text.h"

// Editing actions a text edit asks AllowEdit about.
enum : int32_t {
    kEditInsert = 0,  // a typed character
    kEditMove = 1,    // Backspace, Left, Right
    kEditEnter = 2,
    kEditTab = 3,     // true keeps the Tab; false moves the focus on
    kEditPaste = 4,
    kEditRefused = 5, // report only: the action cannot be done
};

// A one-line text entry field: the value, shown (as "*"s for passwords) with
// a blinking "<cursor>" tag at the caret while it has the focus; typed
// characters, Backspace, Delete, Left, Right and paste (Ctrl+V or Insert);
// a maximum length and characters that are never entered. The edits of one
// modal window form a focus ring that Tab walks. Every handled character
// posts a kMsgTextChanged message named after the edit. Subclasses decide
// through AllowEdit. Window type "TextEdit". Main thread only.
class TTextEdit : public TText {
public:
    TTextEdit();
    ~TTextEdit() override;

    const char* GetClassName() const override { return "TTextEdit"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TText::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&TTextEdit::GetCreator); }

    // Keys "password", "length", "ignore", then the text's keys; the label
    // is the first value, never translated.
    void Init(const TStyle& style) override;
    void Draw() override;
    // The caret blink.
    bool Update() override;
    bool OnChar(int32_t character) override;
    bool OnKeyDown(int32_t key, int32_t extra) override;
    // The value: replaced, caret at its end.
    void SetText(const TString& value) override;
    TString GetText() const override { return mValue; }
    // Asked before each editing action (kEdit...).
    virtual bool AllowEdit(int32_t action, int32_t character);

    void SetPassword(bool on);
    void SetIgnore(const TString& characters);
    void SetMaxLength(int32_t length);
    int32_t GetMaxLength() const { return mMaxLength; }
    void SetEditable(bool on);
    bool IsEditable() const { return mEditable; }
    int32_t GetCaret() const { return mCaret; }
    // The edits sharing this one's focus ring, in joining order (empty
    // before it has joined one).
    std::vector<TTextEdit*> GetRing() const;

    static constexpr uint32_t kBlinkPeriod = 800; // ms; the caret shows in the second half
    static constexpr uint32_t kTimerDelay = 200;  // ms

private:
    using TRing = std::vector<TTextEdit*>;

    // The first time under a modal window: starts the timer and joins the
    // ring of the first other edit of the modal window, or starts one.
    void JoinRing();
    void FocusNext();
    // Shows the value (and the caret while focused).
    void Refresh();
    void PostChanged();
    bool IsIgnored(int32_t c) const;
    TString Paste(const TString& clipboard) const;

    int32_t mMaxLength = 10;
    std::shared_ptr<TRing> mRing;
    TString mValue;
    int32_t mCaret = 0;
    bool mEditable = true;
    bool mPassword = false;
    bool mCaretShown = false;
    TString mIgnore;
    TClock mBlink;
};
