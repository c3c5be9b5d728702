#include "game/show/cast/CVModel.h"

#include "game/show/MTRandom.h"
#include "platform/Log.h"

namespace Quillory {

CVModel::CVModel() : KChild(TString(kName), TString(kInitAnim))
{
    LoadModel(TString(kModelFile), TString(kAnimFile));
}

std::shared_ptr<KEvent::Event> CVModel::PlayAnim(const TString& name, int32_t priority)
{
    return KChild::PlayAnim(StrFormat("Pos%u_%s", mPosition, name.c_str()), priority);
}

void CVModel::PickRandomPosition()
{
    mPosition = MTRandom::Instance()->NextWord() % kMarks + 1;
}

void CVModel::SetPosition(uint32_t position)
{
    if (position < 1 || position > kMarks) {
        WriteLog("Host: no mark %u; staying at mark %u", position, mPosition);
        return;
    }
    mPosition = position;
}

void CVModel::ResetForShow()
{
    KChild::ResetForShow();
    mPosition = 1;
}

} // namespace Quillory
