#pragma once
#include "game/show/answer/QWindow.h"

namespace KQuestion {

class QOpenAnswer;

// A typed answer: the text edit "txt_enterAnswer" (focused when shown) and
// "btn_enter". The text is right when it is close enough to the correct
// answer or to one of the alternates that are not empty. A left press
// anywhere on the window, the chalk over used-up helps included, leaves
// the keyboard focus in the text edit.
class QWOpenAnswer : public QWindow {
public:
    explicit QWOpenAnswer(QOpenAnswer& question);

    const char* GetClassName() const override { return "QWOpenAnswer"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || QWindow::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&GetCreator); }

    // Any message named "btn_enter" answers.
    bool OnMessage(TMessage* message) override;
    // The argument is not used: the typed text decides.
    void Answer(bool unused) override;
    // Hands the focus on to the text edit.
    void OnSetFocus(TWindow* previous) override;

    // Whether typed answers the question.
    static bool Matches(const QBase& question, const TString& typed);

private:
    QWOpenAnswer();
};

} // namespace KQuestion
