#include "game/show/answer/QWMult.h"

#include <cstring>

#include "game/show/question/Question.h"
#include "ui/Button.h"
#include "ui/Text.h"

namespace KQuestion {

namespace {

constexpr int32_t kOptionCount = 4;
const char* const kOptionButtons[kOptionCount] = {"btn_opt0", "btn_opt1", "btn_opt2", "btn_opt3"};

} // namespace

QWMult::QWMult() : QWindow(false) {}

QWMult::QWMult(QMult& question)
{
    Build(&question, "scripts/QWMult.lua");
    LayoutAnswers(question);
}

TWindow* QWMult::GetCreator()
{
    return new QWMult();
}

void QWMult::LayoutAnswers(QMult& question)
{
    const int32_t count = int32_t(question.answers.size());
    for (int32_t option = 0; option < kOptionCount && option < count; ++option)
        SetOptionText(option, question.answers[size_t(option)]);
    if (count < 4)
        ShowChild("btn_opt3", false);
    if (count < 3)
        ShowChild("btn_opt2", false);
    ShowChild("btn_Answer", false);
}

void QWMult::SetOptionText(int32_t option, const TString& text)
{
    TString name;
    name.Format("txt_opt%d", option);
    for (const char* suffix : {"", "_shadow1", "_shadow2"}) {
        TString childName = name;
        childName += suffix;
        if (TText* child = TWindow::Cast<TText>(FindChild(childName)))
            child->SetText(text);
    }
}

int32_t QWMult::GetChosenOption()
{
    for (int32_t option = 0; option < kOptionCount; ++option) {
        TButton* button = TWindow::Cast<TButton>(Find(kOptionButtons[option]));
        if (button && button->IsOn())
            return option;
    }
    return 0;
}

bool QWMult::OnMessage(TMessage* message)
{
    if (message && message->GetType() == kMsgButtonPress) {
        const TString& name = message->GetName();
        if (std::strncmp(name.c_str(), "btn_opt", 7) == 0)
            ShowChild("btn_Answer", true);
        if (name == "btn_Answer") {
            QMult* question = static_cast<QMult*>(GetQuestion());
            const size_t option = size_t(GetChosenOption());
            const bool right = question && option < question->answers.size() &&
                               question->answers[option] == question->correct;
            Answer(right);
            return true;
        }
    }
    return QWindow::OnMessage(message);
}

} // namespace KQuestion
