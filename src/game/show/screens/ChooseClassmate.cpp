#include "game/show/screens/ChooseClassmate.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "game/show/ShowController.h"
#include "game/show/cast/KChild.h"
#include "game/show/cast/KChildManager.h"
#include "game/show/screens/ScreenChildren.h"
#include "platform/Log.h"
#include "ui/WindowManager.h"

namespace Quillory {

namespace {

constexpr const char* kClassmates[ChooseClassmate::kButtons] = {"Tobin", "Marek", "Imelda", "Caspar", "Rosalind"};

// The index of a button name "btn01".."btn05", else -1.
int32_t IndexOf(const TString& name)
{
    for (int32_t i = 0; i < ChooseClassmate::kButtons; ++i)
        if (name == ChooseClassmate::ButtonName(i))
            return i;
    return -1;
}

KChild* FindClassmate(int32_t index)
{
    return KChildManager::Instance()->FindByName(ChooseClassmate::ClassmateName(index));
}

TString Capitalised(const TString& text)
{
    std::string out = text.c_str();
    if (!out.empty())
        out[0] = char(std::toupper(static_cast<unsigned char>(out[0])));
    return TString(out.c_str(), uint32_t(out.size()));
}

TString JoinSubjects(const std::vector<TString>& subjects)
{
    TString out;
    for (const TString& subject : subjects)
        out += (out.IsEmpty() ? TString() : TString(", ")) + subject;
    return out;
}

} // namespace

TString ChooseClassmate::ButtonName(int32_t index)
{
    return StrFormat("btn%02d", index + 1);
}

TString ChooseClassmate::ClassmateName(int32_t index)
{
    return index >= 0 && index < kButtons ? TString(kClassmates[index]) : TString();
}

ChooseClassmate::ChooseClassmate()
{
    MoveTo(0, 0);
    SetSize(800, 600);
    TWindowManager* manager = GetWindowManager();
    if (!manager || !manager->RunWindowScript(this, TString(kScript)))
        WriteLog("ChooseClassmate: %s did not run; there is nothing to choose", kScript);
    for (int32_t i = 0; i < kButtons; ++i) {
        const KChild* child = FindClassmate(i);
        if (!child)
            WriteLog("ChooseClassmate: the roster has no %s; %s is hidden", kClassmates[i], ButtonName(i).c_str());
        if (!child || child->IsUsed())
            ShowScreens::HideChild(*this, ButtonName(i));
        ShowClassmate(i, child);
    }
}

ChooseClassmate::~ChooseClassmate() = default;

TWindow* ChooseClassmate::GetCreator()
{
    return new ChooseClassmate();
}

void ChooseClassmate::ShowClassmate(int32_t index, const KChild* child)
{
    const TString prefix = StrFormat("txt%02d", index + 1);
    ShowScreens::SetShadowText(*this, prefix + "_name", child ? child->GetName() : TString());
    ShowScreens::SetShadowText(*this, prefix + "_subjects",
                               child ? JoinSubjects(BestSubjects(*child, kShownSubjects)) : TString());
}

bool ChooseClassmate::OnMessage(TMessage* message)
{
    if (!message || message->GetType() != kMsgButtonPress || mChosen)
        return false;
    const int32_t index = IndexOf(message->GetName());
    if (index < 0)
        return false;
    KChild* child = FindClassmate(index);
    if (!child || child->IsUsed()) {
        WriteLog("ChooseClassmate: %s cannot be chosen; the press is ignored", kClassmates[index]);
        return false;
    }
    ShowController* show = ShowController::Existing();
    if (!show) {
        WriteLog("ChooseClassmate: no show to choose %s for", kClassmates[index]);
        return false;
    }
    mChosen = true;
    show->GetRecord().currentClassmate = child;
    child->SetUsed(true);
    ShowScreens::CloseSelf(*this);
    return false;
}

std::vector<TString> BestSubjects(const KChild& child, size_t count)
{
    std::vector<std::pair<float, TString>> ranked;
    for (const auto& [subject, aptitude] : child.GetAptitudes())
        ranked.emplace_back(child.GetAptitude(subject), subject);
    // Best first; the map's name order breaks ties.
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<TString> out;
    for (size_t i = 0; i < ranked.size() && i < count; ++i)
        out.push_back(Capitalised(ranked[i].second));
    return out;
}

} // namespace Quillory
