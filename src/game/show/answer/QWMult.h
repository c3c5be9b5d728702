#pragma once
#include "game/show/answer/QWindow.h"

namespace KQuestion {

class QMult;

// Multiple choice: the answers on "txt_opt0" to "txt_opt3" (and their
// "_shadow1" / "_shadow2" copies), radio buttons "btn_opt0" to "btn_opt3"
// and "btn_Answer", shown once an option has been clicked. The choice is
// right when its text is the correct answer, byte for byte.
class QWMult : public QWindow {
public:
    explicit QWMult(QMult& question);

    const char* GetClassName() const override { return "QWMult"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || QWindow::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&GetCreator); }

    bool OnMessage(TMessage* message) override;

    // The option the answer button takes: the first toggled one, else 0.
    int32_t GetChosenOption();

protected:
    // An empty window (no question, nothing laid out), for the creator.
    QWMult();
    void LayoutAnswers(QMult& question);

private:
    void SetOptionText(int32_t option, const TString& text);
};

} // namespace KQuestion
