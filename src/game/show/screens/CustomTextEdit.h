#pragma once
#include <cstdint>
#include <memory>

#include "game/show/MTRandom.h"
#include "platform/AssetMap.h"
#include "platform/TString.h"
#include "ui/TextEdit.h"

class TSound;
class TWindowManager;

// The game's text edit, registered as "TextEdit" in place of the
// framework's. Each character it takes plays one of four typing clicks at
// random. Style keys besides the text edit's: "clearinitial" (the text it
// starts with is a prompt, emptied by the first click or edit) and
// "enablewindow" (a window under the same modal window, shown only while
// the text is not empty: the dialog's accept button). Backslashes and "<"
// in the value are shown as typed, not read as markup. Main thread only.
class TCustomTextEdit : public TTextEdit {
public:
    static constexpr int32_t kTypingSounds = 4;

    TCustomTextEdit();
    ~TCustomTextEdit() override;

    const char* GetClassName() const override { return "TCustomTextEdit"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TTextEdit::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&TCustomTextEdit::GetCreator); }

    void Init(const TStyle& style) override;
    // The first release on an uncleared prompt empties it and is consumed.
    bool OnMouseUp(TPoint point) override;
    bool OnChar(int32_t character) override;
    // Delete and paste change the text without asking per character: the
    // accept window follows the length they leave.
    bool OnKeyDown(int32_t key, int32_t extra) override;
    bool AllowEdit(int32_t action, int32_t character) override;
    bool Update() override;
    void SetText(const TString& value) override;

    bool IsCleared() const { return mCleared; }
    const TString& GetAcceptWindow() const { return mAcceptWindow; }
    // "sfx/sfx_typing_0k.ogg?group=1000" for k from 1 to kTypingSounds.
    static TString TypingSoundName(int32_t k);

private:
    void ClearPrompt();
    void PlayTypingSound();
    // Shows the accept window when the text's length plus change is above
    // 0, hides it otherwise.
    void UpdateAcceptWindow(int32_t change);
    void PostTextChanged();
    // Escapes the markup characters of the shown value, keeping the caret.
    void ShowLiteral();

    TAssetMap mSounds;
    std::shared_ptr<TSound> mTyping[kTypingSounds];
    MTRandom mRandom;
    bool mCleared = true;
    TString mAcceptWindow;
};

// Makes "TextEdit" create the game's text edit; false without a manager or
// when the script refuses it.
bool RegisterCustomTextEdit(TWindowManager* windows);
