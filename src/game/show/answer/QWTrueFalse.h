#pragma once
#include "game/show/answer/QWindow.h"

namespace KQuestion {

class QTrueFalse;

// True or false: radio buttons "btn_true" and "btn_false" and "btn_Answer",
// shown once one of them has been clicked. Nothing chosen reads as false.
class QWTrueFalse : public QWindow {
public:
    explicit QWTrueFalse(QTrueFalse& question);

    const char* GetClassName() const override { return "QWTrueFalse"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || QWindow::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&GetCreator); }

    bool OnMessage(TMessage* message) override;
    // The choice is right when it is the record's truth value.
    void Answer(bool choice) override;

private:
    QWTrueFalse();
    QTrueFalse* mTrueFalse = nullptr;
};

} // namespace KQuestion
