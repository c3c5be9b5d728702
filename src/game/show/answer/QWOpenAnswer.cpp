#include "game/show/answer/QWOpenAnswer.h"

#include "game/show/AnswerMatch.h"
#include "game/show/question/Question.h"
#include "ui/Text.h"
#include "ui/WindowManager.h"

namespace KQuestion {

QWOpenAnswer::QWOpenAnswer() : QWindow(false) {}

QWOpenAnswer::QWOpenAnswer(QOpenAnswer& question)
{
    // Full-screen chalk windows lie over the text edit once helps are used
    // up; a press on them walks up to this window, not into the edit.
    ChangeFlags(kWindowTakesFocus, 0);
    Build(&question, "scripts/QWEnterAns.lua");
    TWindow* entry = Find("txt_enterAnswer");
    TWindowManager* windows = GetWindowManager();
    if (entry && windows)
        windows->SetFocus(entry);
}

TWindow* QWOpenAnswer::GetCreator()
{
    return new QWOpenAnswer();
}

bool QWOpenAnswer::OnMessage(TMessage* message)
{
    if (message && message->GetName() == "btn_enter") {
        Answer(false);
        return true;
    }
    return QWindow::OnMessage(message);
}

void QWOpenAnswer::OnSetFocus(TWindow* previous)
{
    TWindow* entry = Find("txt_enterAnswer");
    TWindowManager* windows = GetWindowManager();
    if (entry && windows)
        windows->PassFocus(entry, previous);
}

void QWOpenAnswer::Answer(bool)
{
    TString typed;
    if (TText* entry = TWindow::Cast<TText>(Find("txt_enterAnswer")))
        typed = entry->GetText();
    QBase* question = GetQuestion();
    QWindow::Answer(question && Matches(*question, typed));
}

bool QWOpenAnswer::Matches(const QBase& question, const TString& typed)
{
    if (AnswerMatches(typed, question.correct))
        return true;
    // An empty alternate stands for none; it never matches, not even an
    // empty text.
    for (const TString* alternate : {&question.alternate1, &question.alternate2, &question.alternate3})
        if (!alternate->IsEmpty() && AnswerMatches(typed, *alternate))
            return true;
    return false;
}

} // namespace KQuestion
