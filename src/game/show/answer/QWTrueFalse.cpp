#include "game/show/answer/QWTrueFalse.h"

#include "game/show/question/Question.h"
#include "ui/Button.h"

namespace KQuestion {

QWTrueFalse::QWTrueFalse() : QWindow(false) {}

QWTrueFalse::QWTrueFalse(QTrueFalse& question) : mTrueFalse(&question)
{
    Build(&question, "scripts/QWTrueFalse.lua");
    ShowChild("btn_Answer", false);
}

TWindow* QWTrueFalse::GetCreator()
{
    return new QWTrueFalse();
}

bool QWTrueFalse::OnMessage(TMessage* message)
{
    if (message && message->GetType() == kMsgButtonPress) {
        const TString& name = message->GetName();
        if (name == "btn_true" || name == "btn_false")
            ShowChild("btn_Answer", true);
        if (name == "btn_Answer") {
            TButton* yes = TWindow::Cast<TButton>(Find("btn_true"));
            Answer(yes && yes->IsOn());
            return true;
        }
    }
    return QWindow::OnMessage(message);
}

void QWTrueFalse::Answer(bool choice)
{
    QWindow::Answer(mTrueFalse && choice == mTrueFalse->answerIsTrue);
}

} // namespace KQuestion
