// The text edit: length limit and the refused-action report, ignored
// characters, paste (line breaks, over-long text, Ctrl as a bit), the
// password display with the blinking caret, the focus ring and Tab, the
// type-7 messages, and building edits from scripts.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "TextTestSupport.h"
#include "WindowScriptSupport.h"
#include "ui/TextEdit.h"

namespace uitest {
namespace {

constexpr int32_t kLeft = 37, kRight = 39, kInsert = 45, kDelete = 46;
constexpr int32_t kCtrl = 2, kShift = 1;

// Records every action asked; answers from `answers` when listed.
class RecordingEdit : public TTextEdit {
public:
    std::vector<int32_t> actions;
    std::map<int32_t, bool> answers;
    bool AllowEdit(int32_t action, int32_t character) override
    {
        actions.push_back(action);
        auto it = answers.find(action);
        return it != answers.end() ? it->second : TTextEdit::AllowEdit(action, character);
    }
    // What the text part shows.
    std::string Shown() const { return GetLayout() ? Str(GetLayout()->GetText()) : "<no layout>"; }
};

class TextEditTest : public TextFixture {
protected:
    RecordingEdit* Edit(TWindow* parent, const std::string& keys = "")
    {
        return Make<RecordingEdit>(parent, "{ w = 200, h = 30, " + keys + " }");
    }
    // Characters typed into the focus window; the messages go out after each.
    void Type(const std::string& text)
    {
        for (char c : text)
            Send(kEventChar, 0, 0, static_cast<unsigned char>(c));
    }
    void Key(int32_t key, int32_t mods = 0) { Send(kEventKeyDown, 0, 0, key, mods); }
    size_t Changes(const std::string& name) const
    {
        size_t n = 0;
        for (const auto& [type, text] : mScript.delivered)
            n += type == kMsgTextChanged && text == name;
        return n;
    }
};

TEST_F(TextEditTest, TheEleventhCharacterIsRefusedAndReported)
{
    ModalProbe* dialog = PushDialog("dialog");
    RecordingEdit* edit = Edit(dialog, "name = 'e'");
    mManager->SetFocus(edit);
    Type("0123456789");
    EXPECT_EQ(Str(edit->GetText()), "0123456789");
    EXPECT_EQ(Changes("e"), 10u);
    edit->actions.clear();
    Type("x");
    EXPECT_EQ(Str(edit->GetText()), "0123456789");
    EXPECT_EQ(edit->actions, (std::vector<int32_t>{kEditInsert, kEditRefused}));
    EXPECT_EQ(Changes("e"), 10u) << "a refused character posts nothing";
}

TEST_F(TextEditTest, CharactersTakenAndRefused)
{
    struct Case {
        const char* keys;
        std::string typed;
        const char* value;
        size_t messages;
    } cases[] = {
        {"ignore = ' -'", "a b-c", "abc", 5},          // ignored: swallowed, still a message
        {"", "a\x01" "b\x7f", "ab\x7f", 3},            // control characters refused
        {"", "caf\xe9", "caf", 3},                      // 8-bit characters refused ...
        {"password = true", "caf\xe9", "caf\xe9", 4},   // ... unless for a password
        {"", "ab\bc", "ac", 4},                         // Backspace
        {"", "\r", "", 0},                              // Enter refused by the base class
        {"length = 3", "abcd\b\bxy", "axy", 7},
        {"length = -5", "a", "", 0},                    // logged, nothing fits
    };
    ModalProbe* dialog = PushDialog("dialog");
    for (const Case& c : cases) {
        mScript.delivered.clear();
        RecordingEdit* edit = Edit(dialog, std::string("name = 'e', ") + c.keys);
        mManager->SetFocus(edit);
        Type(c.typed);
        EXPECT_EQ(Str(edit->GetText()), c.value) << c.keys << " " << c.typed;
        EXPECT_EQ(Changes("e"), c.messages) << c.keys << " " << c.typed;
    }
    EXPECT_TRUE(LogHas("length -5")) << mLog.Text();
}

TEST_F(TextEditTest, BackspaceAtTheStartChangesNothing)
{
    ModalProbe* dialog = PushDialog("dialog");
    RecordingEdit* edit = Edit(dialog, "name = 'e', label = 'ab'");
    mManager->SetFocus(edit);
    Key(kLeft);
    Key(kLeft);
    ASSERT_EQ(edit->GetCaret(), 0);
    edit->actions.clear();
    Type("\b");
    EXPECT_EQ(Str(edit->GetText()), "ab");
    EXPECT_EQ(edit->actions, std::vector<int32_t>{kEditRefused});
    EXPECT_EQ(Changes("e"), 0u);
    // A subclass that takes the report handles the key, and a message goes.
    edit->answers[kEditRefused] = true;
    Type("\b");
    EXPECT_EQ(Str(edit->GetText()), "ab");
    EXPECT_EQ(Changes("e"), 1u);
}

TEST_F(TextEditTest, CaretKeysAndDelete)
{
    ModalProbe* dialog = PushDialog("dialog");
    RecordingEdit* edit = Edit(dialog, "name = 'e', label = 'abc'");
    mManager->SetFocus(edit);
    EXPECT_EQ(edit->GetCaret(), 3);
    edit->actions.clear();
    Key(kRight);
    Key(kDelete);
    EXPECT_EQ(edit->actions, (std::vector<int32_t>{kEditRefused, kEditRefused}));
    Key(kLeft);
    Key(kLeft);
    Key(kDelete);
    EXPECT_EQ(Str(edit->GetText()), "ac");
    EXPECT_EQ(edit->GetCaret(), 1);
    Type("X");
    EXPECT_EQ(Str(edit->GetText()), "aXc");
    EXPECT_EQ(Changes("e"), 1u) << "key-down edits post nothing";
    edit->answers[kEditMove] = false;
    Key(kLeft);
    EXPECT_EQ(edit->GetCaret(), 2);
    Type("\b");
    EXPECT_EQ(Str(edit->GetText()), "aXc");
}

TEST_F(TextEditTest, PasteFiltersTheClipboardAndReplacesTheValue)
{
    struct Case {
        const char* keys;
        const char* clipboard;
        int32_t key, mods;
        const char* value;
    } cases[] = {
        {"length = 20", "one\ntwo", 'V', kCtrl, "onetwo"},
        {"length = 20", "one\r\ntwo", kInsert, 0, "onetwo"},
        {"length = 20", "a b", 'V', kCtrl | kShift, "a b"},      // Ctrl is a bit
        {"length = 20, ignore = ' '", "a b", 'V', kCtrl, "ab"},
        {"length = 20", "caf\xe9!", 'V', kCtrl, "caf!"},         // 8-bit characters out
        {"length = 20", "", 'V', kCtrl, "old"},                   // empty clipboard: value kept
        {"length = 20", "new", 'V', 0, "old"},                    // 'V' alone is no paste
        {"length = 4", "abcdefgh", 'V', kCtrl, "abcd"},
    };
    ModalProbe* dialog = PushDialog("dialog");
    for (const Case& c : cases) {
        RecordingEdit* edit = Edit(dialog, std::string("label = 'old', ") + c.keys);
        mManager->SetFocus(edit);
        mScript.clipboard = c.clipboard;
        Key(c.key, c.mods);
        EXPECT_EQ(Str(edit->GetText()), c.value) << c.keys << " " << c.clipboard;
    }
}

TEST_F(TextEditTest, AnOverLongPasteIsCutToTheMaximumAndLogged)
{
    ModalProbe* dialog = PushDialog("dialog");
    RecordingEdit* edit = Edit(dialog, "name = 'e'");
    mManager->SetFocus(edit);
    mScript.clipboard = std::string(100000, 'x');
    Key('V', kCtrl);
    EXPECT_EQ(Str(edit->GetText()), std::string(10, 'x'));
    EXPECT_EQ(edit->GetCaret(), 10);
    EXPECT_TRUE(LogHas("a paste of 100000 characters cut to 10")) << mLog.Text();
    // A refused paste leaves the value.
    edit->answers[kEditPaste] = false;
    mScript.clipboard = "other";
    Key(kInsert);
    EXPECT_EQ(Str(edit->GetText()), std::string(10, 'x'));
}

TEST_F(TextEditTest, PasswordShowsStarsAndTheCaretBlinks)
{
    ModalProbe* dialog = PushDialog("dialog");
    RecordingEdit* edit = Edit(dialog, "password = true, label = 'abc'");
    EXPECT_EQ(Str(edit->GetText()), "abc");
    EXPECT_EQ(edit->Shown(), "***") << "without the focus, no caret";
    mManager->SetFocus(edit);
    Key(kLeft);
    Key(kLeft);
    ASSERT_EQ(edit->GetCaret(), 1);

    // The blink clock started with the edit at gNow: off up to 400 ms of
    // each 800, on after.
    struct Phase {
        uint32_t at;
        const char* shown;
    } phases[] = {{100, "***"}, {400, "***"}, {401, "*<cursor>**"}, {799, "*<cursor>**"}, {800, "***"},
                  {1300, "*<cursor>**"}};
    const uint32_t start = gNow;
    for (const Phase& p : phases) {
        gNow = start + p.at;
        mManager->HandleEvent(Ev(kEventIdle));
        bool wasOn = edit->Shown() != "***";
        edit->Update();
        EXPECT_EQ(edit->Shown(), p.shown) << p.at;
        if (wasOn != (edit->Shown() != "***")) {
            EXPECT_TRUE(mManager->NeedsRedraw()) << p.at;
        }
    }
    // Not editable: no caret tag, characters refused.
    edit->SetEditable(false);
    gNow = start + 500;
    edit->Update();
    EXPECT_EQ(edit->Shown(), "***");
    Type("d");
    Key(kDelete);
    mScript.clipboard = "zz";
    Key('V', kCtrl);
    EXPECT_EQ(Str(edit->GetText()), "abc");
}

TEST_F(TextEditTest, TheEditTimerRunsTheBlinkOnTheDialogsTasks)
{
    ModalProbe* dialog = PushDialog("dialog");
    RecordingEdit* edit = Edit(dialog, "label = 'ab'");
    ASSERT_NE(edit->GetAnim(), nullptr);
    mManager->SetFocus(edit);
    std::vector<std::string> seen;
    const uint32_t start = gNow;
    while (gNow < start + 1700) {
        gNow += 50;
        dialog->RunTasks(kPassIdle);
        if (seen.empty() || seen.back() != edit->Shown())
            seen.push_back(edit->Shown());
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"ab", "ab<cursor>", "ab", "ab<cursor>", "ab"}));
}

TEST_F(TextEditTest, TabWalksTheDialogsRingAndWrapsAround)
{
    ModalProbe* dialog = PushDialog("dialog");
    RecordingEdit* first = Edit(dialog, "name = 'first'");
    auto* group = Place(dialog, new Probe("group", 0), 0, 100, 300, 100);
    RecordingEdit* second = Edit(group, "name = 'second'");
    RecordingEdit* third = Edit(dialog, "name = 'third'");
    EXPECT_EQ(first->GetRing(), (std::vector<TTextEdit*>{first, second, third}));
    EXPECT_EQ(third->GetRing(), first->GetRing());

    mManager->SetFocus(third);
    Type("\t");
    EXPECT_EQ(mManager->GetFocus(), first);
    Type("\t");
    EXPECT_EQ(mManager->GetFocus(), second);
    EXPECT_EQ(Changes("second"), 0u) << "a Tab that moves on posts nothing";

    // A subclass that keeps the Tab.
    second->answers[kEditTab] = true;
    Type("\t");
    EXPECT_EQ(mManager->GetFocus(), second);

    // An edit of a dialog above starts its own ring.
    ModalProbe* above = PushDialog("above");
    RecordingEdit* other = Edit(above, "name = 'other'");
    EXPECT_EQ(other->GetRing(), std::vector<TTextEdit*>{other});

    // A deleted edit leaves its ring.
    delete second;
    EXPECT_EQ(first->GetRing(), (std::vector<TTextEdit*>{first, third}));
    mManager->SetFocus(first);
    mManager->PopModal();
    mManager->SetFocus(first);
    Type("\t");
    EXPECT_EQ(mManager->GetFocus(), third);
}

TEST_F(TextEditTest, AnEditOutsideAnyDialogHasNoRingAndTabDoesNothing)
{
    auto* loose = new RecordingEdit;
    loose->SetSize(100, 20);
    loose->SetText("x");
    EXPECT_TRUE(loose->GetRing().empty());
    EXPECT_FALSE(loose->OnChar('\t'));
    EXPECT_TRUE(loose->OnKeyDown(kLeft, 0));
    delete loose;
}

class TextEditScriptTest : public WindowScriptFixture {};

TEST_F(TextEditScriptTest, AnEditsLabelIsItsFirstValueUntranslated)
{
    ModalProbe* dialog = PushDialog("dialog");
    mScript->SetTranslateLabels(true);
    ASSERT_TRUE(Run("TextEdit{ name = 'e', w = 100, h = 20, label = 'NAME', password = true, length = 6 }()"));
    auto* edit = TWindow::Cast<TTextEdit>(dialog->FindChild("e"));
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(mScript->GetTranslateLabels()) << "the option is restored";
    EXPECT_EQ(Str(edit->GetText()), "NAME");
    EXPECT_EQ(edit->GetMaxLength(), 6);
    EXPECT_EQ(Eval("GetLabel('e')"), "NAME");
    ASSERT_TRUE(Run("SetLabel('e', 'other')"));
    EXPECT_EQ(Str(edit->GetText()), "other");
    EXPECT_EQ(edit->GetCaret(), 5);
}

} // namespace
} // namespace uitest
