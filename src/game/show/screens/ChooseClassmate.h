#pragma once
#include <cstdint>
#include <vector>

#include "platform/TString.h"
#include "ui/Window.h"

namespace Quillory {

class KChild;

// The window in which the player picks the classmate who helps next. Built
// by "scripts/chooseclassmate.lua" (buttons "btn01".."btn05" for Tobin,
// Marek, Imelda, Caspar and Rosalind; for each, when present, texts
// "txt01_name".."txt05_name" and "txt01_subjects".."txt05_subjects" with
// their shadow copies, filled here from the roster). Classmates already
// picked in this show, and names the roster lacks, have their button
// hidden. A press makes that classmate the show's current one and closes
// the window. Main thread only.
class ChooseClassmate : public TWindow {
public:
    static constexpr int32_t kButtons = 5;
    static constexpr const char* kScript = "scripts/chooseclassmate.lua";
    // How many of a classmate's best subjects are shown.
    static constexpr size_t kShownSubjects = 2;

    ChooseClassmate();
    ~ChooseClassmate() override;

    const char* GetClassName() const override { return "ChooseClassmate"; }
    bool IsKindOf(TWindowTypeId id) const override { return id == TypeId() || TWindow::IsKindOf(id); }
    static TWindow* GetCreator();
    static TWindowTypeId TypeId() { return MakeWindowTypeId(&ChooseClassmate::GetCreator); }

    // A press of "btn01".."btn05" picks; never handled.
    bool OnMessage(TMessage* message) override;

    // The button's name ("btn01".."btn05") and its classmate's, by index 0
    // to 4.
    static TString ButtonName(int32_t index);
    static TString ClassmateName(int32_t index);

private:
    void ShowClassmate(int32_t index, const KChild* child);

    bool mChosen = false;
};

// The subjects the classmate knows best, best first (ties in name order),
// at most count, capitalised for display.
std::vector<TString> BestSubjects(const KChild& child, size_t count);

} // namespace Quillory
